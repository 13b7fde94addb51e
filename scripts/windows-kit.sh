#!/usr/bin/env bash
# Prints where the Windows kit orvel-win-kit.tar.xz is (static Qt for mingw-w64 and the
# SQLite amalgamation): where ORVEL_WINDOWS_KIT_ARCHIVE names it, else in shared/win/ beside
# the source folder. Without one it says where to put it and stops, so that the test
# command can stop before it builds anything rather than in its last step.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
archive="${ORVEL_WINDOWS_KIT_ARCHIVE:-$(dirname "$root")/shared/win/orvel-win-kit.tar.xz}"
if [ ! -r "$archive" ]; then
  echo "No Windows kit at $archive: put orvel-win-kit.tar.xz there, or name where it is in" \
    "ORVEL_WINDOWS_KIT_ARCHIVE." >&2
  exit 1
fi
echo "$archive"
