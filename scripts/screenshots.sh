#!/usr/bin/env bash
# Installs what is missing, builds the screenshot maker and makes the user guide's
# pictures of the windows in docs/screenshots, on a virtual X display (Xvfb) with a
# simulated tester and a throw-away ID store; then the start window of the Windows build
# under Wine (scripts/windows.sh makes that build when it is missing).
# ORVEL_BUILD_DIR, when set, names another build folder.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${ORVEL_BUILD_DIR:-$root/build/release}"
# xvfb-run needs xauth beside the virtual display.
# xwd, xwininfo and netpbm take the picture of the Windows program's window; --windows,
# so that the Windows build it may need does not stop halfway to ask for its packages.
"$root/scripts/install-deps.sh" --windows xvfb xauth x11-apps x11-utils netpbm

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVEL_WERROR=OFF
cmake --build "$build" --target orvel-screenshots

output="$root/docs/screenshots"
rm -f "$output"/*.png
# The desktop's own settings stay out of the pictures: the same build gives the same look.
env -u QT_QPA_PLATFORMTHEME -u QT_STYLE_OVERRIDE -u QT_SCALE_FACTOR LANG=C.UTF-8 \
  xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24" \
  "$build/tools/screenshots/orvel-screenshots" "$output"

windows="$root/build/windows"
[ -f "$windows/build/src/app/OrvelIDs.exe" ] || "$root/scripts/windows.sh"
WINEPREFIX="$windows/wine" WINEDEBUG=-all LANG=C.UTF-8 \
  xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24" \
  "$root/scripts/screenshot-wine-window.sh" "$windows/build/src/app/OrvelIDs.exe" "Orvel IDs" \
  "$output/windows-start-window.png"
ls "$output"
