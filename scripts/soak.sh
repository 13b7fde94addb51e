#!/usr/bin/env bash
# The long soak: scripts/soak.sh [transfers, 1000 by default] [seed] [fault chance] [profiles]
# [fault kinds] (profiles numbered from 1 in the order below, fault kinds by the simulator's names,
# both comma-separated and all by default).
# Runs that many Read IDs, Send IDs and company name transfers against simulated testers
# that inject random faults and answer with timings of their own (prompt; the follow-up
# request after 330-600 ms and the rest after 40-100 ms; the follow-up never; slow writes
# beside fast reads), checks every outcome, prints how many IDs landed in a wrong slot, how
# many company names were wrong and how many failures were reported as success, and fails
# if any check failed.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh"
build="$root/build/soak"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug
cmake --build "$build" -j "$(nproc)" --target orvel-soak
exec "$build/tests/soak/orvel-soak" "$@"
