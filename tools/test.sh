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

# Under qemu's emulation of 32-bit Linux (tools/ia32.sh) a hung Wine test is ended
# after 4 minutes (the longest suite takes about 2 there, a little over 3 beside
# another test run on two cores). A failure is a failure there too: qemu-user 10
# ran the whole suite without one, so no test gets a second try.
timeout=600
tools/ia32.sh prepare build/mingw
if [ -s build/mingw/ia32/env ]; then timeout=240; fi
cmake --preset mingw -DWINE_TEST_TIMEOUT=$timeout >/dev/null
cmake --build --preset mingw -j"$jobs"
bash tools/check-reproducible.sh
ctest --preset mingw
