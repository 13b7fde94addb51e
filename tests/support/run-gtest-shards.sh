#!/usr/bin/env bash
# run-gtest-shards.sh SHARDS PROGRAM [ARGUMENTS...]: runs a GoogleTest program as SHARDS
# processes at once, each with its share of the tests, then prints each one's output in
# turn; fails if any of them fails. For tests that spend their time waiting on a line
# rather than on the processor, so that ctest's slots are not held by sleep.
set -uo pipefail
shards="${1:?usage: run-gtest-shards.sh SHARDS PROGRAM [ARGUMENTS...]}"
shift
outputs="$(mktemp -d)"
trap 'rm -rf "$outputs"' EXIT
pids=()
for ((index = 0; index < shards; index++)); do
  GTEST_TOTAL_SHARDS="$shards" GTEST_SHARD_INDEX="$index" "$@" >"$outputs/$index" 2>&1 &
  pids+=("$!")
done
status=0
for ((index = 0; index < shards; index++)); do
  wait "${pids[$index]}" || status=1
  echo "---- shard $((index + 1)) of $shards"
  cat "$outputs/$index"
done
exit "$status"
