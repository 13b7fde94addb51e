#!/usr/bin/env bash
# scripts/test-unprivileged.sh BUILD, as root: runs the tests of the build folder BUILD
# whose checks depend on who runs them (ctest label user-dependent, see
# cmake/OrvelTesting.cmake) again as the user nobody, for whom file permissions count. A
# test about permissions that passes only as root fails here.
# BUILD stays root's: ctest runs in BUILD/unprivileged, which holds a copy of the build's
# test lists, ctest's logs and the user's home and temporary folder (home/).
set -euo pipefail
build="$(cd "${1:?usage: test-unprivileged.sh BUILD-FOLDER}" && pwd)"
user=nobody
if [ "$(id -u)" -ne 0 ]; then
  echo "test-unprivileged.sh runs the tests as the user $user, which only root may do; as $(id -un) run ctest in $build directly." >&2
  exit 1
fi

place="$build/unprivileged"
rm -rf "$place"
mkdir -p "$place/home"
(cd "$build" && find . -path ./unprivileged -prune -o -name CTestTestfile.cmake -exec cp --parents {} "$place" \;)
chown -R "$user:" "$place"
if ! runuser -u "$user" -- test -r "$place/CTestTestfile.cmake"; then
  echo "The user $user cannot enter $build, so the tests cannot run as $user. Keep the source in a folder that" \
    "other users may enter (not under /root), or let them pass through its parent folders: chmod o+x on each." >&2
  exit 1
fi
runuser -u "$user" -- env -u XDG_RUNTIME_DIR HOME="$place/home" TMPDIR="$place/home" \
  "$(command -v ctest)" --test-dir "$place" -L user-dependent --no-tests=error --output-on-failure -j "$(nproc)"
