#!/usr/bin/env bash
# Builds the benchmark programs and prints their figures: writing the package against
# CopyFileA and against a durable replace, the integrity check, and whole quiet
# installs (time, peak commit, peak working set) for the sample package and one four
# times as large.  tools/bench.sh [ROUNDS]
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-7}
bash tools/install-deps.sh
cmake --preset mingw >/dev/null
cmake --build --preset mingw -j"$(nproc)" --target benchmarks
build=build/mingw
tools/wine-session.sh start "$build" >/dev/null
trap 'tools/wine-session.sh stop "$build" >/dev/null' EXIT
win() { WINEPREFIX="$PWD/$build/wineprefix" winepath -w "$1"; }
"$build/wine-run.sh" "$build/bin/bench_install.exe" "$rounds" "$(win "$build/resources/sample.pak")" \
  "$(win "$build/bin/setup.exe")" "$(win "$build/bin/setup-x4.exe")"
