#!/usr/bin/env bash
# Builds the benchmark programs and prints one table: setup.exe in quiet mode against
# CopyFileA of the same bytes, against a durable replace, and against an NSIS installer
# of the same job (built here with makensis), with start-up to the first question under
# win7 and win10, peak memory for the sample package and one four times as large, and
# stub sizes. Every timing is a median of interleaved rounds beside its baseline.
# Where 32-bit code is emulated (tools/ia32.sh) the x86-64 twin is timed instead;
# where it runs natively, both.
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
build=build/mingw
twin=build/mingw64
# Where the kernel runs no 32-bit code, Wine's 32-bit side runs under qemu and its
# timings say little; the x86-64 twin (preset mingw64, the same sources) runs natively
# on Wine's 64-bit side and is what is timed there. Where 32-bit code runs natively,
# both are timed. The stub size shown is always that of the 32-bit setup.exe: it ships.
mkdir -p "$build"
tools/ia32.sh prepare "$build" 2>/dev/null
emulated=
[ -s "$build/ia32/env" ] && emulated=1
cmake --preset mingw >/dev/null
if [ -n "$emulated" ]; then
  cmake --build --preset mingw -j"$(nproc)" --target setup
else
  cmake --build --preset mingw -j"$(nproc)" --target benchmarks
fi
# A configure that ran before makensis was installed remembers it as missing.
cmake --preset mingw64 -U MAKENSIS >/dev/null
cmake --build --preset mingw64 -j"$(nproc)" --target benchmarks
session=$build/bench-wine
mkdir -p "$session"
tools/wine-session.sh start "$session" >/dev/null
trap 'tools/wine-session.sh stop "$session" >/dev/null' EXIT
export WINEPREFIX_OVERRIDE="$PWD/$session/wineprefix"
DISPLAY=$(cat "$session/wine-session/display")
export DISPLAY
win() { WINEPREFIX="$WINEPREFIX_OVERRIDE" winepath -w "$1"; }
# run BUILD HEADING: the table (or the in-process figures) of one build's programs;
# the twin's table takes the stub size from the 32-bit setup.exe.
run() {
  local from=$1 heading=$2 shipped=()
  [ "$from" = "$build" ] || shipped=("$(win "$build/bin/setup.exe")")
  if [ "$mode" = in-process ]; then
    echo
    echo "$heading"
    "$from/wine-run.sh" "$from/bin/bench_install.exe" "$rounds" "$(win "$from/resources/sample.pak")" \
      "$(win "$from/bin/setup.exe")" "$(win "$from/bin/setup-x4.exe")"
  else
    "$from/wine-run.sh" "$from/bin/peer_benchmark.exe" "$rounds" "$(win "$from/bin")" \
      "$(win "$from/resources/sample.pak")" "$(win "$from/resources/sample-x4.pak")" "$heading" \
      "${shipped[@]}"
  fi
}
if [ -n "$emulated" ]; then
  run "$twin" "x86-64 twin under Wine's 64-bit side (32-bit code is emulated here; the NSIS installers are 32-bit and run emulated)"
else
  run "$build" "32-bit setup.exe (what ships) under Wine's WOW64"
  run "$twin" "x86-64 twin under Wine's 64-bit side (the NSIS installers are 32-bit, under WOW64)"
fi
