#!/usr/bin/env bash
# The long operator-sequence run: scripts/operator-sequences.sh [steps, 5000 by default] [seed].
# Drives the Configure IDs window through that many seeded random operator steps against
# the tester simulator, checks every step against the model of store, grid, list and
# tester, and prints the figures. OPERATOR_STEPS and OPERATOR_SEED may be given instead of
# the arguments. A failure prints its seed, step and the steps that led to it.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh"
build="$root/build/operator-sequences"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug
cmake --build "$build" -j "$(nproc)" --target e2e_tests
export OPERATOR_STEPS="${1:-${OPERATOR_STEPS:-5000}}"
export OPERATOR_SEED="${2:-${OPERATOR_SEED:-$(date +%s)}}"
export QT_QPA_PLATFORM=offscreen
"$build/tests/e2e/e2e_tests" --gtest_filter='OperatorSequence.*' --gtest_brief=1 2>&1 |
  grep -av '^This plugin does not support'
