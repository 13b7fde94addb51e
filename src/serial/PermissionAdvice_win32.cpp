#include "serial/ProbePort.h"

#include <string_view>

namespace orvel {

namespace {

// "\\.\COM3" is shown as the operator knows the port: COM3.
std::string_view PortName(std::string_view devicePath) {
  constexpr std::string_view kDeviceNamespace = "\\\\.\\";
  if (devicePath.starts_with(kDeviceNamespace)) {
    devicePath.remove_prefix(kDeviceNamespace.size());
  }
  return devicePath;
}

}  // namespace

// Windows answers "access denied" for a port that another program holds, and the probe
// counts that as busy, not as refused; a port is refused only when the system withholds
// it from this user some other way, which the administrator decides.
std::string PermissionAdvice(const std::string& devicePath) {
  return "Windows does not let this user open the serial port " + std::string(PortName(devicePath)) +
         ". Close any other program that may be using it; if that does not help, ask the administrator to give "
         "this user access to the port.";
}

}  // namespace orvel
