#!/usr/bin/env bash
# Fuzzes the platform-free rules that read text: builds the libFuzzer targets of
# tests/fuzz natively with clang under AddressSanitizer and UndefinedBehaviorSanitizer
# (build tree build/fuzz), then runs them one after another, SECONDS each (60 unless
# given), in one process each: the machine is shared. Starts from the seeds in
# tests/fuzz/corpus/<target>; what a run adds stays in build/fuzz/corpus/<target>, and an
# input that made a target fail is kept in build/fuzz/findings/<target>/.
# Exit status 1 when any target found something. Installs what it needs first.
#
#     bash tools/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true

bash tools/install-deps.sh
probe='extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }'
if ! command -v clang++ >/dev/null 2>&1 ||
   ! echo "$probe" | clang++ -x c++ -fsanitize=fuzzer,address,undefined - -o /dev/null 2>/dev/null; then
  # libFuzzer and the sanitizer runtimes are only a recommendation of clang's packages.
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q clang libclang-rt-dev
fi

tree=build/fuzz
CC=clang CXX=clang++ cmake -S . -B "$tree" -DCMAKE_BUILD_TYPE=Debug -DFUZZ=ON >/dev/null
if [ ! -d "$tree/tests/fuzz" ]; then
  echo "tests/CMakeLists.txt does not add the folder fuzz" >&2
  exit 2
fi
cmake --build "$tree" --target fuzzers -j"$(nproc)"

if [ $# -gt 0 ]; then
  targets=("$@")
else
  targets=()
  for seeds in tests/fuzz/corpus/*/; do targets+=("$(basename "$seeds")"); done
fi

found=0
printf '%-24s %12s  %s\n' target runs result
for target in "${targets[@]}"; do
  program=$(find "$tree" -type f -name "$target" -perm -u+x | head -n1)
  if [ -z "$program" ]; then
    echo "$target: not built" >&2
    found=1
    continue
  fi
  corpus=$tree/corpus/$target
  findings=$tree/findings/$target
  log=$tree/logs/$target.log
  # Each run judges the code as it is now: findings of earlier runs are in their logs.
  rm -rf "$findings"
  mkdir -p "$corpus" "$findings" "$(dirname "$log")"
  status=0
  # New inputs go into the first folder only; the seeds in the repository stay as they are.
  UBSAN_OPTIONS=print_stacktrace=1 "$program" "$corpus" "tests/fuzz/corpus/$target" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$findings/" >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n1)
  [ -n "$runs" ] || runs=$(grep -o '^#[0-9]*' "$log" | tail -n1 | tr -d '#')
  artifacts=$(find "$findings" -type f | wc -l)
  if [ "$status" -ne 0 ] || [ "$artifacts" -gt 0 ]; then
    found=1
    reason=$(grep -m1 -E '^(==[0-9]+==ERROR|SUMMARY|property failed|.*runtime error)' "$log" || echo "exit status $status")
    printf '%-24s %12s  FOUND: %s (%s, %s)\n' "$target" "${runs:-?}" "$reason" "$findings" "$log"
  else
    printf '%-24s %12s  nothing found\n' "$target" "${runs:-?}"
  fi
done
exit $found
