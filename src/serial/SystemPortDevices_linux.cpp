#include "serial/PortDeviceMap.h"
#include "serial/PortInventorySources.h"

#include "serial/UniqueFd.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <chrono>
#include <fstream>
#include <memory>
#include <mutex>

namespace orvel {

namespace {

std::vector<std::string> DeviceNodeNames(const std::filesystem::path& devFolder) {
  std::vector<std::string> names;
  std::error_code error;
  for (std::filesystem::directory_iterator entry(devFolder, error), end; !error && entry != end;
       entry.increment(error)) {
    names.push_back(entry->path().filename().string());
  }
  return names;
}

bool UartFromDevice(const std::filesystem::path& device) {
  const UniqueFd terminal(::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
  if (!terminal) {
    // A port that is held, or that this user may not open, cannot be
    // examined; keeping it lets the probe tell the operator which it is.
    const int error = errno;
    return error == EBUSY || error == EACCES || error == EPERM;
  }
  serial_struct info{};
  return ::ioctl(terminal.Get(), TIOCGSERIAL, &info) == 0 && info.type != PORT_UNKNOWN;
}

}  // namespace

// sysfs shows the same port type that TIOCGSERIAL reports, without opening the
// device: opening a serial port raises its DTR line, and fails for a user who
// is not in the device's group.
std::optional<int> UartTypeFromSysfs(const PortInventorySources& sources, const std::string& name) {
  std::ifstream typeAttribute(sources.sysFolder / "class/tty" / name / "type");
  int portType = PORT_UNKNOWN;
  if (!(typeAttribute >> portType)) {
    return std::nullopt;
  }
  return portType;
}

std::vector<std::string> SerialDevicesInPortOrder(const PortInventorySources& sources) {
  return OrderSerialDevices(DeviceNodeNames(sources.devFolder), [&sources](const std::string& name) {
    if (const auto portType = UartTypeFromSysfs(sources, name)) {
      return *portType != PORT_UNKNOWN;
    }
    return UartFromDevice(sources.devFolder / name);
  });
}

PortDeviceMap PortDevicesIn(const PortInventorySources& sources) {
  // The search asks for every port number in turn; one look at /dev serves a whole
  // round, and a look at most a second old still finds an adapter plugged in since.
  struct Listing {
    std::mutex mutex;
    std::chrono::steady_clock::time_point takenAt;
    std::vector<std::string> devices;
    bool taken = false;
  };
  auto listing = std::make_shared<Listing>();
  return [listing, sources](std::uint16_t port) -> std::optional<std::string> {
    if (port == 0) {
      return std::nullopt;
    }
    const std::lock_guard lock(listing->mutex);
    const auto now = std::chrono::steady_clock::now();
    if (!listing->taken || now - listing->takenAt > std::chrono::seconds(1)) {
      listing->devices = SerialDevicesInPortOrder(sources);
      listing->takenAt = now;
      listing->taken = true;
    }
    if (port > listing->devices.size()) {
      return std::nullopt;
    }
    return (sources.devFolder / listing->devices[port - 1U]).string();
  };
}

PortDeviceMap SystemPortDevices() { return PortDevicesIn({}); }

}  // namespace orvel
