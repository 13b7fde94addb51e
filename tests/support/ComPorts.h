#pragma once

#include "serial/PortDeviceMap.h"

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>

namespace orvel::testing {

// The Windows tests talk to COM ports that scripts/windows.sh links to pseudo-terminals
// in the Wine prefix, and names in the environment:
//   ORVEL_TEST_COM_PORT     the port under test, one end of a null-modem line
//   ORVEL_TEST_COM_FAR_END  the other end of that line
//   ORVEL_TEST_COM_TESTER   the line of a running orvel-tester-sim
//   ORVEL_TEST_COM_MISSING  a number with no device behind it
//   ORVEL_TEST_COM_FILLED_TESTER  the line of an orvel-tester-sim of its own for the window's
//                                 test, started with known pairs in all 32 slots
//   ORVEL_TEST_FILLED_TESTER_LOG  that simulator's traffic log, as a Windows path
inline std::uint16_t ComPortNamedBy(const char* variable) {
  const char* value = std::getenv(variable);
  const int number = value == nullptr ? 0 : std::atoi(value);
  if (number < 1 || number > 254) {
    throw std::runtime_error(std::string(variable) +
                             " does not name a COM port: run the Windows tests through scripts/windows.sh, which "
                             "links pseudo-terminals into the Wine prefix as COM ports and names them");
  }
  return static_cast<std::uint16_t>(number);
}

// Wine's ntdll exports wine_get_version; Windows' own does not.
inline bool RunningUnderWine() {
  const HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// The host's own naming of ports, narrowed to one port, so that a port search cannot go
// on to the real serial devices of the machine that runs the tests.
inline PortDeviceMap OnlyComPort(std::uint16_t port) {
  return [port, system = SystemPortDevices()](std::uint16_t number) -> std::optional<std::string> {
    return number == port ? system(number) : std::nullopt;
  };
}

}  // namespace orvel::testing
