#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Orvel IDs need, and
# any further packages named as arguments (the fuzzers' compiler, for instance).
# As root it installs what is missing; otherwise it prints the command to run and stops.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libsqlite3-dev
  libgtest-dev libgmock-dev
  fonts-dejavu-core
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Orvel IDs needs these Debian packages: ${missing[*]}" >&2
  echo "Install them with:" >&2
  echo "  sudo apt-get update && sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
apt-get update
apt-get install -y --no-install-recommends "${missing[@]}"
