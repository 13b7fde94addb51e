#!/usr/bin/env bash
# screenshot-wine-tour.sh PROGRAM.exe TESTER-SIMULATOR FOLDER
# On the X display already set (screenshots.sh runs it under xvfb-run) and in the Wine
# prefix WINEPREFIX, whose C:\Kestrin it may change: works the Windows program as an
# operator would, with the mouse and the keyboard, against the tester simulator on COM1,
# and saves the windows it passes through as windows-*.png pictures in FOLDER: the start
# window, the New-group box with a name typed, the group page after a Read, a cell being
# typed, the Status page while IDs are sent and the company name being typed.
# The windows stand where the program puts them and their controls where the program
# places them, so the clicks go to fixed points of each window.
set -euo pipefail
program="$1" simulator="$2" folder="$3"
log="$(mktemp)"

pids=()
finish() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wineserver -k 2>/dev/null || true
  rm -f "$log"
}
trap finish EXIT

source "$(dirname "${BASH_SOURCE[0]}")/within.sh"
window_named() { xdotool search --name "^$1\$" 2>/dev/null | head -1; }
shown() { [ -n "$(window_named "$1")" ]; }
await_window() {
  within 60 shown "$1" || { echo "No window \"$1\" appeared within 60 s." >&2; exit 1; }
  # Wine maps a window before Qt has painted it.
  sleep 1.5
}
requests() { grep -c -- "<- " "$log" || true; }
at_least_requests() { [ "$(requests)" -ge "$1" ]; }
# A transfer is over when the tester has had no request for two poll periods.
await_quiet_tester() {
  local before=-1
  while [ "$before" != "$(requests)" ]; do
    before="$(requests)"
    sleep 0.3
  done
  # The window goes back to the page it came from a second after the end.
  sleep 2
}
# click WINDOW-TITLE X Y: a left click at X, Y inside the window.
click() {
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$(window_named "$1")")"
  xdotool mousemove "$((X + $2))" "$((Y + $3))"
  sleep 0.3
  xdotool mousedown 1
  sleep 0.1
  xdotool mouseup 1
  sleep 0.5
}
save() {
  xwd -silent -id "$(window_named "$1")" | xwdtopnm 2>/dev/null | pnmtopng >"$folder/$2"
  echo "Saved $folder/$2"
}
type_text() { xdotool type --delay 80 "$1"; }

# The simulated tester, holding IDs to read, is COM1: Wine's own setting of the port's
# device, which it applies each time it starts.
content=(--trailer "1=TRL-2041" --vehicle "1=KX19 BHD" --trailer "2=TRL-2042" --vehicle "2=LK68 ZRT"
  --trailer "3=CURTAIN 114" --vehicle "3=BD21 OPU" --trailer "4=REEFER 07" --vehicle "4=SN69 TCV"
  --trailer "5=FLAT 310" --vehicle "5=FJ71 DRX" --trailer "6=TANKER 802" --vehicle "6=OU20 CZK"
  --company "HAULAGE DEPOT" --serial 4127)
: >"$log"
"$simulator" "${content[@]}" >>"$log" 2>&1 &
pids+=("$!")
within 5 grep -q "Open this device as the serial port: " "$log"
device="$(sed -n 's/.*Open this device as the serial port: //p' "$log")"
wine reg add 'HKLM\Software\Wine\Ports' /v COM1 /d "$device" /f >/dev/null 2>&1
wineserver -k 2>/dev/null || true
wineserver -w
rm -rf "$WINEPREFIX/drive_c/Kestrin"

wine "$program" >/dev/null 2>&1 &
pids+=("$!")
await_window "Orvel IDs"
save "Orvel IDs" windows-start-window.png
click "Orvel IDs" 84 283
await_window "Configure IDs"

click "Configure IDs" 55 436
await_window "Identities - New Group"
type_text "Depot North"
sleep 0.5
save "Identities - New Group" windows-new-group.png
xdotool key Return
sleep 1

# The group is chosen in the list as the operator chooses it, then read from the tester.
click "Configure IDs" 120 414
xdotool key Down Return
sleep 1
click "Configure IDs" 137 436
await_window "Confirm"
xdotool key Return
within 30 at_least_requests 60
await_quiet_tester
save "Configure IDs" windows-configure-ids-group-name.png

click "Configure IDs" 65 90
type_text "TRL-2099"
sleep 0.5
save "Configure IDs" windows-cell-editing.png
xdotool key Escape
sleep 0.5

sent_from="$(requests)"
click "Configure IDs" 178 436
within 30 at_least_requests "$((sent_from + 26))"
save "Configure IDs" windows-configure-ids-status.png
await_quiet_tester

click "Configure IDs" 123 480
click "Configure IDs" 119 414
xdotool key ctrl+a
type_text "Brake Hall North"
sleep 0.5
save "Configure IDs" windows-configure-ids-company-name.png
