#!/usr/bin/env bash
# Installs what is missing (the fuzzers' compiler too, so that nothing is asked for halfway),
# builds in Release with warnings as errors, so that the optimiser's own warnings count, and
# runs every test (run as root, those whose checks depend on the user once more as a user
# who is not root); then runs them again in a Debug build under AddressSanitizer with
# UndefinedBehaviorSanitizer, and the Qt-free tests (serial port, link, tables, store) under
# ThreadSanitizer; then the libFuzzer targets; last, the Windows build and its tests under
# Wine.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# A missing Windows kit is told beside the missing packages, so that one look shows all
# there is to do. runuser, for the tests run again unprivileged, is util-linux's.
kit=found
"$root/scripts/windows-kit.sh" >/dev/null || kit=missing
"$root/scripts/install-deps.sh" --fuzz --windows util-linux
[ "$kit" = found ] || exit 1
jobs="$(nproc)"
passed=0
started="$(date +%s)"
current_step=""
current_build=""
step_stamp="$(mktemp)"
step() {
  current_step="$1"
  current_build="$2"
  touch "$step_stamp"
  echo "==== $1 ($(($(date +%s) - started)) s) ===="
}

# CI shows only the end of what a run printed: on a failure, name the step there, and
# each failed test with the end of its output.
report_failure() {
  local status=$?
  rm -f "$step_stamp"
  [ "$status" -eq 0 ] && return
  echo "==== ci: failed in step '$current_step' (exit $status) after $(($(date +%s) - started)) s ===="
  local failed="$current_build/Testing/Temporary/LastTestsFailed.log"
  [ -n "$current_build" ] && [ -f "$failed" ] && [ "$failed" -nt "$step_stamp" ] || return
  local name output
  for name in $(sed 's/^[0-9]*://' "$failed"); do
    output="$(awk -v name="$name" '$0 ~ "^[0-9]+/[0-9]+ Test: " name "$" {on = 1} on {print} on && /^Test time/ {on = 0}' \
      "$current_build/Testing/Temporary/LastTest.log")"
    echo "---- $name: its failures"
    grep -E -A 6 'Failure$|^\[  FAILED  \]' <<<"$output" | head -n 40 || true
    echo "---- $name: the end of its output"
    tail -n 12 <<<"$output"
  done
}
trap report_failure EXIT

# count_passed SUMMARY: adds the tests of a ctest summary that passed without a failure.
count_passed() {
  passed=$((passed + $(sed -n 's/.*0 tests failed out of \([0-9]*\).*/\1/p' "$1")))
}

# build_and_test DIR CMAKE_OPTIONS...
build_and_test() {
  local dir="$1"; shift
  local configure=("$@")
  step "$(basename "$dir")" "$dir"
  cmake -S "$root" -B "$dir" -G Ninja -DORVEL_WERROR=ON "${configure[@]}"
  cmake --build "$dir" -j "$jobs"
  local summary="$dir/ctest-summary.txt"
  # The tests wait on the line and the poll timer far more than they compute (all of the
  # Release build's together use a tenth of one processor), so twice as many run at once as
  # there are processors.
  (cd "$dir" && ctest --output-on-failure -j "$((jobs * 2))") | tee "$summary"
  count_passed "$summary"
}

build_and_test "$root/build/test" -DCMAKE_BUILD_TYPE=Release
# Root may read, write and open what the permission tests lock away from everyone else:
# run as root, those tests run once more as a user who is not.
if [ "$(id -u)" -eq 0 ]; then
  step "test, unprivileged" "$root/build/test/unprivileged"
  bash "$root/scripts/test-unprivileged.sh" "$root/build/test" | tee "$root/build/test/ctest-summary-unprivileged.txt"
  count_passed "$root/build/test/ctest-summary-unprivileged.txt"
fi
build_and_test "$root/build/asan" -DCMAKE_BUILD_TYPE=Debug -DORVEL_SANITIZE=address
build_and_test "$root/build/tsan" -DCMAKE_BUILD_TYPE=Debug -DORVEL_SANITIZE=thread -DORVEL_BUILD_APP=OFF
# The libFuzzer targets, each for a bounded time over its corpus (clang, in build/fuzz).
step fuzz ""
bash "$root/scripts/fuzz.sh"
passed=$((passed + 1))
# The Windows build, cross-compiled with mingw-w64, its tests under Wine, and its packages
# (build/windows).
step windows "$root/build/windows/build"
bash "$root/scripts/windows.sh"
count_passed "$root/build/windows/ctest-summary.txt"

# One line for the whole run: every ctest test of the four builds, and the fuzz step.
echo "ci: $passed passed, 0 failed, in $(($(date +%s) - started)) s"
