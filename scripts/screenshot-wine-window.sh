#!/usr/bin/env bash
# screenshot-wine-window.sh PROGRAM.exe TITLE PICTURE.png
# On the X display already set (screenshots.sh runs it under xvfb-run): starts the Windows
# program under Wine, waits up to 60 s for its window of that title, lets it draw, saves the
# window as a PNG picture and ends the program.
set -euo pipefail
program="$1" title="$2" picture="$3"
wine "$program" >/dev/null 2>&1 &
started=$!
trap 'kill "$started" 2>/dev/null; wineserver -k 2>/dev/null || true' EXIT
window=""
for _ in $(seq 600); do
  window="$(xwininfo -root -tree 2>/dev/null | sed -n "s/^ *\(0x[0-9a-f]*\) \"$title\".*/\1/p" | head -1)"
  [ -n "$window" ] && break
  sleep 0.1
done
if [ -z "$window" ]; then
  echo "No window \"$title\" appeared within 60 s." >&2
  exit 1
fi
# Wine maps the window before Qt has painted it.
sleep 2
xwd -silent -id "$window" | xwdtopnm 2>/dev/null | pnmtopng > "$picture"
echo "Saved $picture"
