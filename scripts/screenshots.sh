#!/usr/bin/env bash
# Installs what is missing, builds the screenshot maker and makes the user guide's
# pictures of the windows in docs/screenshots, on a virtual X display (Xvfb) with a
# simulated tester and a throw-away ID store; then the same tour of the Windows build
# under Wine, in a Wine prefix of its own (scripts/windows.sh makes that build when it is
# missing).
# ORVEL_BUILD_DIR, when set, names another build folder.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${ORVEL_BUILD_DIR:-$root/build/release}"
# xvfb-run needs xauth beside the virtual display.
# xdotool works the Windows program's windows, xwd and netpbm take their pictures;
# --windows, so that the Windows build it may need does not stop halfway to ask for its
# packages.
"$root/scripts/install-deps.sh" --windows xvfb xauth x11-apps x11-utils netpbm xdotool

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVEL_WERROR=OFF
cmake --build "$build" --target orvel-screenshots orvel-tester-sim

output="$root/docs/screenshots"
rm -f "$output"/*.png
# The desktop's own settings stay out of the pictures: the same build gives the same look.
env -u QT_QPA_PLATFORMTHEME -u QT_STYLE_OVERRIDE -u QT_SCALE_FACTOR LANG=C.UTF-8 \
  xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24" \
  "$build/tools/screenshots/orvel-screenshots" "$output"

windows="$root/build/windows"
[ -f "$windows/build/src/app/OrvelIDs.exe" ] || "$root/scripts/windows.sh"
# The tour's prefix is not the tests': the tour sets COM1 and C:\Kestrin as it needs them.
export WINEPREFIX="$windows/wine-tour" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LANG=C.UTF-8
[ -f "$WINEPREFIX/system.reg" ] || env -u DISPLAY wineboot --init
xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24" \
  "$root/scripts/screenshot-wine-tour.sh" "$windows/build/src/app/OrvelIDs.exe" \
  "$build/tools/simulator/orvel-tester-sim" "$output"
ls "$output"
