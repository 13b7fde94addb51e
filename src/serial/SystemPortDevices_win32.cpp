#include "serial/PortDeviceMap.h"

#include <string>

namespace orvel {

namespace {

// The port search tries COM1 to COM254.
constexpr std::uint16_t kLastPort = 254;

}  // namespace

// Windows names serial ports itself: port n is the device COMn in the device
// namespace, whether or not a device stands behind it; opening it tells.
PortDeviceMap SystemPortDevices() {
  return [](std::uint16_t port) -> std::optional<std::string> {
    if (port == 0 || port > kLastPort) {
      return std::nullopt;
    }
    return "\\\\.\\COM" + std::to_string(port);
  };
}

}  // namespace orvel
