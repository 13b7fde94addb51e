#!/usr/bin/env bash
# Builds Orvel IDs for 64-bit Windows on Debian 12, runs its Windows tests under Wine and
# makes the Windows packages. Everything happens in build/windows:
#   kit/      the Windows kit (static Qt for mingw-w64, the SQLite amalgamation), unpacked
#             from orvel-win-kit.tar.xz (ORVEL_WINDOWS_KIT_ARCHIVE, else ../shared/win/)
#   build/    the cross build: OrvelIDs.exe, one static executable, and the test programs
#   wine/     the Wine prefix the tests run in, made here without asking anything
#   package/  OrvelIDs-<version>-windows.zip (the program and the user guide) and
#             OrvelIDs-<version>-setup.exe (an installer with a Start-menu entry)
# The ctest summary is left in build/windows/ctest-summary.txt for scripts/test.sh.
#
# Serial ports under Wine: port COMn is the link $WINEPREFIX/dosdevices/comn to a Linux
# device. set_up_com_ports below is where tests that need ports get them, with
#   link_com_port N DEVICE            COMn is DEVICE
#   start_simulated_tester N [OPTION...]
#                                     COMn is the tester simulator (orvel-tester-sim from
#                                     the native build, ORVEL_TESTER_SIM to name another)
#   start_pty_pair N M                COMn and COMm are the two ends of one line (socat)
# Whatever they start is stopped when this script ends.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh" --windows

out="$root/build/windows"
kit="$out/kit"
build="$out/build"
package="$out/package"
archive="$("$root/scripts/windows-kit.sh")"
jobs="$(nproc)"
mkdir -p "$out"

seconds() { date +%s; }
started="$(seconds)"
step() {
  echo "==== windows: $1 ($(($(seconds) - started)) s) ===="
}
source "$(dirname "${BASH_SOURCE[0]}")/within.sh"

step "kit"
if [ ! -f "$kit/.unpacked" ] || [ "$archive" -nt "$kit/.unpacked" ]; then
  rm -rf "$kit"
  mkdir -p "$kit"
  tar -xJf "$archive" -C "$kit" --strip-components=1
  touch "$kit/.unpacked"
fi

step "cross build"
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVEL_WERROR=ON \
  -DCMAKE_TOOLCHAIN_FILE="$kit/qt6-mingw/lib/cmake/Qt6/qt.toolchain.cmake" -DORVEL_WINDOWS_KIT="$kit" \
  "${launcher[@]}"
cmake --build "$build" -j "$jobs"
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"

# Wine: its own prefix, no display (the tests draw offscreen), no questions about Mono or
# Gecko, no debug chatter.
export WINEPREFIX="$out/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
background=()
finish() {
  for pid in "${background[@]}"; do kill "$pid" 2>/dev/null || true; done
  wineserver --kill 2>/dev/null || true
}
trap finish EXIT
# One Wine server for the whole script, stopped by finish. Started here, its messages go
# to a log: Debian's server lists every object it still holds when it stops, thousands of
# lines that would otherwise end this script's output and hide what failed.
mkdir -p "$WINEPREFIX"
wineserver --persistent 2>"$out/wineserver.log"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  step "wine prefix"
  wineboot --init
fi

link_com_port() {
  ln -sfn "$2" "$WINEPREFIX/dosdevices/com$1"
}

# The tester simulator runs on Linux: the one named by ORVEL_TESTER_SIM, else the one
# scripts/test.sh has just built in build/test, else one built here in build/windows/native.
tester_simulator() {
  if [ -n "${ORVEL_TESTER_SIM:-}" ]; then
    echo "$ORVEL_TESTER_SIM"
  elif [ -x "$root/build/test/tools/simulator/orvel-tester-sim" ]; then
    echo "$root/build/test/tools/simulator/orvel-tester-sim"
  else
    cmake -S "$root" -B "$out/native" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVEL_BUILD_APP=OFF "${launcher[@]}" >&2
    cmake --build "$out/native" -j "$jobs" --target orvel-tester-sim >&2
    echo "$out/native/tools/simulator/orvel-tester-sim"
  fi
}

start_simulated_tester() {
  local port="$1"; shift
  local simulator
  simulator="$(tester_simulator)"
  local log="$out/tester-com$port.log"
  # The log is made here, not by the background shell that starts the simulator, which
  # may not have opened it yet when the wait below first reads it.
  : >"$log"
  "$simulator" "$@" >>"$log" 2>&1 &
  background+=("$!")
  if ! within 5 grep -q "Open this device as the serial port: " "$log"; then
    echo "The tester simulator for COM$port did not start: $(cat "$log")" >&2
    exit 1
  fi
  link_com_port "$port" "$(sed -n 's/.*Open this device as the serial port: //p' "$log")"
}

start_pty_pair() {
  local ends="$out/pty-com$1-com$2"
  socat pty,raw,echo=0,link="$ends-a" pty,raw,echo=0,link="$ends-b" &
  background+=("$!")
  if ! within 5 test -e "$ends-a" -a -e "$ends-b"; then
    echo "socat did not make the line between COM$1 and COM$2." >&2
    exit 1
  fi
  link_com_port "$1" "$(readlink -f "$ends-a")"
  link_com_port "$2" "$(readlink -f "$ends-b")"
}

# The serial ports the Windows tests use, named to them in ORVEL_TEST_COM_* (see
# tests/support/ComPorts.h): a null-modem line, a simulated tester, a number with no
# device, and a second simulated tester with known pairs for the window's test alone, as
# the first one is changed by the tests that run beside it. High numbers stay clear of the
# ports Wine links to the machine's own serial devices (COM1 is /dev/ttyS0), which no test
# may touch.
set_up_com_ports() {
  start_pty_pair 201 202
  start_simulated_tester 203
  # What the filled tester holds, as tests/app/IdFormThroughComPortTest_win32.cpp expects
  # it: slot n holds "ANHÄNGER nn" and "KFZ-nn ÆØÅ", in Latin-1 as the tester keeps them.
  local content=() n
  for n in $(seq -w 1 32); do
    content+=(--trailer "$((10#$n))=ANH"$'\xc4'"NGER $n" --vehicle "$((10#$n))=KFZ-$n "$'\xc6\xd8\xc5')
  done
  start_simulated_tester 204 "${content[@]}"
  rm -f "$WINEPREFIX/dosdevices/com209"
  export ORVEL_TEST_COM_PORT=201 ORVEL_TEST_COM_FAR_END=202 ORVEL_TEST_COM_TESTER=203 ORVEL_TEST_COM_MISSING=209
  export ORVEL_TEST_COM_FILLED_TESTER=204 ORVEL_TEST_FILLED_TESTER_LOG
  ORVEL_TEST_FILLED_TESTER_LOG="$(winepath -w "$out/tester-com204.log")"
}

step "tests under wine"
set_up_com_ports
(cd "$build" && ctest --output-on-failure -j "$jobs") | tee "$out/ctest-summary.txt"
# ctest keeps a passing test's output in its log: the figure the window's COM-port test
# prints, Send against Read on the paced tester, is shown here.
grep -h "on the paced tester" "$build/Testing/Temporary/LastTest.log" || true

# The program itself, as installed: it must start and create its store in C:\Kestrin.
step "program start"
store="$WINEPREFIX/drive_c/Kestrin/Braketesting IDs/IDGroup.db"
rm -rf "$WINEPREFIX/drive_c/Kestrin"
wine "$build/src/app/OrvelIDs.exe" -platform offscreen &
program="$!"
within 30 test -f "$store" || true
kill "$program" 2>/dev/null || true
wait "$program" 2>/dev/null || true
if [ ! -f "$store" ]; then
  echo "OrvelIDs.exe did not create its store in C:\\Kestrin under Wine." >&2
  exit 1
fi

# The command line, as a script on Windows uses it: a group imported, sent to a simulated
# tester on a COM port and verified, read back into another group, compared and exported.
step "orvel-ids.exe"
command_line="$build/src/cli/orvel-ids.exe"
start_simulated_tester 205
rm -rf "$WINEPREFIX/drive_c/orvel-ids-check"
orvel_ids() { wine "$command_line" --store 'C:\orvel-ids-check' "$@"; }
orvel_ids import "Depot North" "$(winepath -w "$root/docs/sample-ids.csv")"
orvel_ids send "Depot North" --port 205 --yes --verify
orvel_ids read Copy --port 205 --yes
orvel_ids diff "Depot North" Copy
orvel_ids company "Müller & Co" --port 205
if [ "$(orvel_ids company --port 205 | tr -d '\r')" != "Müller & Co" ]; then
  echo "orvel-ids.exe did not read back the company name it sent under Wine." >&2
  exit 1
fi
if [ "$(orvel_ids export Copy)" != "$(orvel_ids export "Depot North")" ]; then
  echo "orvel-ids.exe exported a group read back from the tester unlike the group it sent." >&2
  exit 1
fi
if ! orvel_ids ports | tr -d '\r' | grep -A2 '^COM205' | grep -q 'available'; then
  echo "orvel-ids.exe ports did not list COM205 as available under Wine:" >&2
  orvel_ids ports >&2
  exit 1
fi
# Ctrl+C, as the console's control handler gets it, cancels a transfer: here a Read into a
# new group, during the search on a line where no tester answers. The group goes again.
start_pty_pair 206 207
wine "$command_line" --store 'C:\orvel-ids-check' read Yard --port 206 --yes 2>"$out/ctrl-c.log" &
reader="$!"
within 30 grep -q "Looking for instrument" "$out/ctrl-c.log"
kill -INT "$reader"
status=0
wait "$reader" || status="$?"
if [ "$status" -ne 6 ] || orvel_ids groups | grep -q Yard; then
  echo "Ctrl+C did not cancel orvel-ids.exe read (exit status $status, 6 expected) or left its group:" >&2
  cat "$out/ctrl-c.log" >&2
  exit 1
fi

step "packages"
rm -rf "$package"
mkdir -p "$package/OrvelIDs-$version"
cp "$build/src/app/OrvelIDs.exe" "$command_line" "$root/README.md" "$package/OrvelIDs-$version/"
(cd "$package" && cmake -E tar cf "OrvelIDs-$version-windows.zip" --format=zip "OrvelIDs-$version")
makensis -V2 -DVERSION="$version" -DPROGRAM="$build/src/app/OrvelIDs.exe" -DCOMMAND="$command_line" \
  -DGUIDE="$root/README.md" \
  -DOUTFILE="$package/OrvelIDs-$version-setup.exe" "$root/packaging/orvel-ids.nsi"
rm -rf "$package/OrvelIDs-$version"

# The installer installs silently, and its uninstaller removes the program and its menu
# entry but leaves the operator's groups in C:\Kestrin.
step "installer"
installed="$WINEPREFIX/drive_c/Program Files/Orvel IDs"
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Orvel IDs"
# The Wine server stays up until this script ends, so waiting is for what each program
# leaves behind.
installed_whole() {
  [ -f "$installed/OrvelIDs.exe" ] && [ -f "$installed/orvel-ids.exe" ] && [ -f "$installed/README.md" ] &&
    [ -f "$menu/Orvel IDs.lnk" ]
}
uninstalled() {
  [ ! -e "$installed/OrvelIDs.exe" ] && [ ! -e "$menu" ]
}
wine "$package/OrvelIDs-$version-setup.exe" /S
if ! within 30 installed_whole; then
  echo "The installer did not install OrvelIDs.exe, orvel-ids.exe, README.md and the Start-menu entry in 30 s." >&2
  exit 1
fi
# The uninstaller runs from a copy of itself that it starts and does not wait for.
wine "$installed/Uninstall.exe" /S
if ! within 30 uninstalled || [ ! -f "$store" ]; then
  echo "The uninstaller left the program or its menu entry, or removed C:\\Kestrin." >&2
  exit 1
fi

step "done"
ls -l "$package"
