#!/usr/bin/env bash
# Builds everything and runs all tests: the Windows programs under Wine (a prefix and
# an X server of the test run's own), then the platform-free rules natively under
# AddressSanitizer and UndefinedBehaviorSanitizer. Installs what it needs first.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
jobs=$(nproc)

cmake --preset native >/dev/null
cmake --build --preset native -j"$jobs"
ctest --preset native

cmake --preset mingw >/dev/null
cmake --build --preset mingw -j"$jobs"
# Under qemu's emulation of 32-bit Linux (tools/ia32.sh) a Wine process now and then
# crashes or hangs through no fault of its own (most often one whose progress window
# runs on its own thread): there a failed test gets four more tries.
tries=()
tools/ia32.sh prepare build/mingw
if [ -s build/mingw/ia32/env ]; then tries=(--repeat until-pass:5); fi
ctest --preset mingw "${tries[@]}"
