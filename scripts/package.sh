#!/usr/bin/env bash
# Installs what is missing and builds the Debian package of Orvel IDs (the program, the
# demo and the tester simulator, with their menu entries) into build/package.
# ORVEL_BUILD_DIR, when set, names another build folder.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${ORVEL_BUILD_DIR:-$root/build/package}"
# dpkg-shlibdeps (in dpkg-dev) lists the libraries the package depends on; cpack picks
# out the programs to examine with file.
"$root/scripts/install-deps.sh" dpkg-dev file

# Only the installed programs are built, not the tests.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVEL_WERROR=OFF \
  -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON
cmake --build "$build" --target OrvelIDs orvel-ids orvel-ids-demo orvel-tester-sim
rm -f "$build"/orvel-ids_*.deb
(cd "$build" && cpack -G DEB)

package="$(ls "$build"/orvel-ids_*.deb)"
echo
echo "Built $package"
echo "Install it with:  sudo apt-get install $package"
