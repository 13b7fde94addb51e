#!/usr/bin/env bash
# Installs what is missing, builds Orvel IDs and starts it; stops first, with a message,
# where there is no graphical session to show its windows in.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/require-display.sh"
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVEL_WERROR=OFF
cmake --build "$root/build/release" --target OrvelIDs orvel-ids
exec "$root/build/release/src/app/OrvelIDs"
