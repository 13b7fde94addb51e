#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Orvel IDs need, and
# any further packages named as arguments; --fuzz adds the fuzzers' compiler and runtime,
# --windows the Windows cross build's compilers, Wine, NSIS, GoogleTest's source, socat, xz
# (the Windows kit is a .tar.xz, and a minimal Debian has no xz) and the condensed DejaVu
# fonts built into the Windows program.
# As root it installs what is missing; otherwise it prints the command to run as root and
# stops, so that a long build never stops halfway to ask for a package.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libsqlite3-dev
  libgtest-dev libgmock-dev
  fonts-dejavu-core
)
for argument in "$@"; do
  case "$argument" in
    --fuzz) packages+=(clang-14 libfuzzer-14-dev libclang-rt-14-dev) ;;
    --windows) packages+=(mingw-w64 wine64 wine nsis googletest socat xz-utils fonts-dejavu-extra) ;;
    *) packages+=("$argument") ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

update=(apt-get update)
install=(apt-get install -y --no-install-recommends "${missing[@]}")

if [ "$(id -u)" -ne 0 ]; then
  {
    echo "Orvel IDs needs these Debian packages: ${missing[*]}"
    echo "Install them as root and try again. With sudo:"
    echo "  sudo ${update[*]} && sudo ${install[*]}"
    echo "or, where there is no sudo (su asks for root's password):"
    echo "  su -c '${update[*]} && ${install[*]}'"
  } >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
"${update[@]}"
"${install[@]}"
