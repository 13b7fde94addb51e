#!/usr/bin/env bash
# Installs what is missing, builds the benchmarks in Release (build/bench) and runs them
# all; each prints its figures, the median and spread over several runs, beside its target.
# Warnings are not errors here, as for the program's own Release build: g++ 12 at -O3
# warns falsely inside the standard library.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh"
build="$root/build/bench"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVEL_WERROR=OFF
cmake --build "$build" -j "$(nproc)" --target orvel_benchmarks

export QT_QPA_PLATFORM=offscreen
for bench in startup_bench groups_bench transfer_bench ports_bench csv_bench; do
  echo
  "$build/bench/$bench"
done
