#!/usr/bin/env bash
# Builds the benchmark programs and prints one table: setup.exe in quiet mode against
# CopyFileA of the same bytes, against a durable replace, and against an NSIS installer
# of the same job (built here with makensis), with start-up to the first question under
# win7 and win10, peak memory for the sample package and one four times as large, and
# stub sizes. Every timing is a median of interleaved rounds beside its baseline.
#   tools/bench.sh [ROUNDS]             the table (7 rounds unless told)
#   tools/bench.sh --in-process [ROUNDS]  the in-process figures of bench_install instead
# The benchmark has a Wine prefix and X display of its own, so it can run while the
# tests use build/mingw/wineprefix.
set -euo pipefail
cd "$(dirname "$0")/.."
mode=peer
if [ "${1:-}" = --in-process ]; then mode=in-process; shift; fi
rounds=${1:-7}
bash tools/install-deps.sh
command -v makensis >/dev/null 2>&1 || DEBIAN_FRONTEND=noninteractive apt-get install -y -q nsis
cmake --preset mingw >/dev/null
cmake --build --preset mingw -j"$(nproc)" --target benchmarks
build=build/mingw
session=$build/bench-wine
mkdir -p "$session"
tools/wine-session.sh start "$session" >/dev/null
tools/ia32.sh prepare "$build" 2>/dev/null
trap 'tools/wine-session.sh stop "$session" >/dev/null' EXIT
export WINEPREFIX_OVERRIDE="$PWD/$session/wineprefix"
DISPLAY=$(cat "$session/wine-session/display")
export DISPLAY
win() { WINEPREFIX="$WINEPREFIX_OVERRIDE" winepath -w "$1"; }
if [ "$mode" = in-process ]; then
  "$build/wine-run.sh" "$build/bin/bench_install.exe" "$rounds" "$(win "$build/resources/sample.pak")" \
    "$(win "$build/bin/setup.exe")" "$(win "$build/bin/setup-x4.exe")"
else
  "$build/wine-run.sh" "$build/bin/peer_benchmark.exe" "$rounds" "$(win "$build/bin")" \
    "$(win "$build/resources/sample.pak")" "$(win "$build/resources/sample-x4.pak")"
fi
