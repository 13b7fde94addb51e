#include "serial/PortDeviceMap.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <tuple>

namespace orvel {

namespace {

constexpr std::array<std::string_view, 3> kFamiliesInPortOrder{"ttyS", "ttyUSB", "ttyACM"};
constexpr std::size_t kLegacyFamily = 0;
constexpr unsigned kLegacyPortCount = 32;
// Kernel device numbers stay far below this; longer digit runs are not devices.
constexpr std::size_t kMaxIndexDigits = 6;

struct SerialDeviceName {
  std::size_t family;
  unsigned index;
  std::string name;
};

// The index of a device name: decimal digits as the kernel writes them, with
// no sign, no leading zero and nothing after them.
std::optional<unsigned> DeviceIndex(std::string_view digits) {
  if (digits.empty() || digits.size() > kMaxIndexDigits || (digits.size() > 1 && digits.front() == '0')) {
    return std::nullopt;
  }
  unsigned index = 0;
  for (const char digit : digits) {
    if (digit < '0' || digit > '9') {
      return std::nullopt;
    }
    index = index * 10 + static_cast<unsigned>(digit - '0');
  }
  return index;
}

std::optional<SerialDeviceName> ParseSerialDeviceName(const std::string& name) {
  for (std::size_t family = 0; family < kFamiliesInPortOrder.size(); ++family) {
    const std::string_view prefix = kFamiliesInPortOrder[family];
    if (!name.starts_with(prefix)) {
      continue;
    }
    if (const auto index = DeviceIndex(std::string_view(name).substr(prefix.size()))) {
      return SerialDeviceName{family, *index, name};
    }
  }
  return std::nullopt;
}

}  // namespace

std::vector<std::string> OrderSerialDevices(const std::vector<std::string>& deviceNames, const UartCheck& hasUart) {
  std::vector<SerialDeviceName> devices;
  for (const std::string& name : deviceNames) {
    auto device = ParseSerialDeviceName(name);
    if (!device) {
      continue;
    }
    if (device->family == kLegacyFamily && (device->index >= kLegacyPortCount || !hasUart(device->name))) {
      continue;
    }
    devices.push_back(std::move(*device));
  }
  std::ranges::sort(devices, {}, [](const SerialDeviceName& device) { return std::tie(device.family, device.index); });

  std::vector<std::string> ordered;
  ordered.reserve(devices.size());
  for (SerialDeviceName& device : devices) {
    ordered.push_back(std::move(device.name));
  }
  return ordered;
}

}  // namespace orvel
