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
ctest --preset mingw
