#include "serial/PortDeviceMap.h"

#include <string>

namespace orvel {

// Windows names serial ports itself: port n is the device COMn in the device
// namespace, whether or not a device stands behind it; opening it tells.
PortDeviceMap SystemPortDevices() {
  return [](std::uint16_t port) -> std::optional<std::string> {
    if (port == 0 || port > kLastPortNumber) {
      return std::nullopt;
    }
    return "\\\\.\\COM" + std::to_string(port);
  };
}

}  // namespace orvel
