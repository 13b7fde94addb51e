#!/usr/bin/env bash
# Installs what is missing, builds the demo and starts it: the program's windows against
# a simulated tester, with a throw-away ID store that is removed when the demo ends. Like
# run.sh it stops first, with a message, where there is no graphical session.
# ORVEL_BUILD_DIR, when set, names another build folder.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${ORVEL_BUILD_DIR:-$root/build/release}"
"$root/scripts/require-display.sh"
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVEL_WERROR=OFF
cmake --build "$build" --target orvel-ids-demo
exec "$build/tools/demo/orvel-ids-demo"
