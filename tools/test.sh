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

# Under qemu's emulation of 32-bit Linux (tools/ia32.sh) a failed Wine test gets two
# more tries, in case qemu itself failed the process, and a hung one is ended after
# 4 minutes (the longest suite takes about 2.5 there).
tries=()
timeout=600
tools/ia32.sh prepare build/mingw
if [ -s build/mingw/ia32/env ]; then tries=(--repeat until-pass:3); timeout=240; fi
cmake --preset mingw -DWINE_TEST_TIMEOUT=$timeout >/dev/null
cmake --build --preset mingw -j"$jobs"
ctest --preset mingw "${tries[@]}"
