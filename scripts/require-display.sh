#!/usr/bin/env bash
# Stops with a message a person can act on when there is no graphical session to show the
# windows in; without one Qt aborts with its own display error. A platform named in
# QT_QPA_PLATFORM (vnc, offscreen...) needs no display, so it is left to Qt.
set -euo pipefail
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  {
    echo "Orvel IDs shows windows, so it needs a graphical session, and there is none here"
    echo "(neither DISPLAY nor WAYLAND_DISPLAY is set). Start it from a terminal on the desktop,"
    echo "or over 'ssh -X'. Without a desktop, QT_QPA_PLATFORM=vnc shows the windows to a VNC"
    echo "viewer on port 5900 of this machine."
  } >&2
  exit 1
fi
