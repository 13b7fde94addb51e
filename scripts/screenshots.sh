#!/usr/bin/env bash
# Installs what is missing, builds the screenshot maker and makes the user guide's
# pictures of the windows in docs/screenshots, on a virtual X display (Xvfb) with a
# simulated tester and a throw-away ID store.
# ORVEL_BUILD_DIR, when set, names another build folder.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${ORVEL_BUILD_DIR:-$root/build/release}"
# xvfb-run needs xauth beside the virtual display.
"$root/scripts/install-deps.sh" xvfb xauth

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVEL_WERROR=OFF
cmake --build "$build" --target orvel-screenshots

output="$root/docs/screenshots"
rm -f "$output"/*.png
# The desktop's own settings stay out of the pictures: the same build gives the same look.
env -u QT_QPA_PLATFORMTHEME -u QT_STYLE_OVERRIDE -u QT_SCALE_FACTOR LANG=C.UTF-8 \
  xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24" \
  "$build/tools/screenshots/orvel-screenshots" "$output"
ls "$output"
