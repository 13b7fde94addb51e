#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build/fuzz and runs each for a bounded time
# (ORVEL_FUZZ_SECONDS, 25 by default) over its corpus in fuzz/corpus. Inputs found on the
# way are kept in build/fuzz/corpus, so the repository's corpus stays as committed; a
# crashing input is written to build/fuzz/crashes and the script fails.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh" --fuzz
seconds="${ORVEL_FUZZ_SECONDS:-25}"
build="$root/build/fuzz"

echo "==== fuzz ===="
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORVEL_WERROR=ON -DORVEL_FUZZ=ON \
  -DORVEL_SANITIZE=address -DORVEL_BUILD_APP=OFF -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14
cmake --build "$build" -j "$(nproc)" --target orvel_fuzzers

mkdir -p "$build/crashes"
for corpus in "$root"/fuzz/corpus/*/; do
  target="$(basename "$corpus")"
  mkdir -p "$build/corpus/$target"
  echo "---- $target for ${seconds} s"
  log="$build/$target.log"
  status=0
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 "$build/fuzz/$target" -max_total_time="$seconds" \
    -print_final_stats=1 -artifact_prefix="$build/crashes/$target-" "$build/corpus/$target" "$corpus" \
    >"$log" 2>&1 || status=$?
  grep -E '^(#[0-9]+[[:space:]]+DONE|stat::number_of_executed_units)' "$log" || true
  if [ "$status" -ne 0 ]; then
    tail -n 60 "$log" >&2
    echo "$target failed (exit $status); the input is in $build/crashes, the log in $log" >&2
    exit 1
  fi
done
echo "fuzz: every target ran ${seconds} s without a failure"
