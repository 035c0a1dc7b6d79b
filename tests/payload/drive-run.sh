# Sourced by the drive tests. A test that finds no drive to work on has proved nothing:
# it ends with kSkip, which CTest reports as skipped (SKIP_RETURN_CODE), not as passed.
kSkip=77

skip() {
  echo "$1: skipped"
  exit $kSkip
}

# run_drive_tests BUILD TESTS FILTER: runs the GoogleTest cases; when one of them found
# no drive mapped (GTEST_SKIP) and none failed, the whole entry counts as skipped.
run_drive_tests() {
  local out status
  out=$(mktemp "${TMPDIR:-/tmp}/drive-tests.XXXXXX")
  "$1/wine-run.sh" "$2" --gtest_filter="$3" | tee "$out"
  status=${PIPESTATUS[0]}
  if [ "$status" -eq 0 ] && grep -q '^\[  SKIPPED \]' "$out"; then
    rm -f "$out"
    skip "the drive was not to be seen from Wine"
  fi
  # A filter that names no case (a renamed test) proves nothing either, and says so.
  if [ "$status" -eq 0 ] && grep -q '^\[  PASSED  \] 0 tests' "$out"; then
    echo "no test matched $3"
    status=1
  fi
  rm -f "$out"
  return "$status"
}
