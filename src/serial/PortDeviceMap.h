#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace orvel {

// Names the device behind a port number, or nullopt when there is none. Port
// numbers count from 1; 0 never names a device. The port object and the probe
// both take one, so they agree on what a number means.
using PortDeviceMap = std::function<std::optional<std::string>(std::uint16_t port)>;

// The host's serial devices, looked up afresh on every call so that an adapter
// plugged in while the program runs is found by the next port search.
PortDeviceMap SystemPortDevices();

// The port search tries ports 1 to 254; on Windows, where port n is COMn, the port
// listing goes as far.
inline constexpr std::uint16_t kLastPortNumber = 254;

// Whether the ttyS device of that name has a UART behind it.
using UartCheck = std::function<bool(const std::string& deviceName)>;

// The serial device names among deviceNames (entries of /dev) in port order:
// ttyS0..ttyS31 that have a UART, then ttyUSB0, ttyUSB1, ..., then ttyACM0,
// ttyACM1, ...; each family by number, not by spelling. The legacy ttyS nodes
// exist whether or not hardware backs them; skipping the empty ones lets a PC
// with one USB adapter find the tester on port 1 instead of after 32 dead ports.
std::vector<std::string> OrderSerialDevices(const std::vector<std::string>& deviceNames, const UartCheck& hasUart);

}  // namespace orvel
