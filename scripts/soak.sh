#!/usr/bin/env bash
# The long soak: scripts/soak.sh [transfers, 1000 by default] [seed] [fault chance].
# Runs that many Read IDs, Send IDs and company name transfers against simulated testers
# that inject random faults, checks every outcome, and fails if any check failed.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh"
build="$root/build/soak"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug
cmake --build "$build" -j "$(nproc)" --target orvel-soak
exec "$build/tests/soak/orvel-soak" "$@"
