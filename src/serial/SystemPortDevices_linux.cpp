#include "serial/PortDeviceMap.h"

#include "serial/UniqueFd.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <string_view>

namespace orvel {

namespace {

constexpr std::string_view kDeviceFolder = "/dev/";

std::vector<std::string> DeviceNodeNames() {
  std::vector<std::string> names;
  std::error_code error;
  for (std::filesystem::directory_iterator entry(kDeviceFolder, error), end; !error && entry != end;
       entry.increment(error)) {
    names.push_back(entry->path().filename().string());
  }
  return names;
}

// sysfs shows the same port type that TIOCGSERIAL reports, without opening the
// device: opening a serial port raises its DTR line, and fails for a user who
// is not in the device's group.
std::optional<bool> UartFromSysfs(const std::string& name) {
  std::ifstream typeAttribute("/sys/class/tty/" + name + "/type");
  int portType = PORT_UNKNOWN;
  if (!(typeAttribute >> portType)) {
    return std::nullopt;
  }
  return portType != PORT_UNKNOWN;
}

bool UartFromDevice(const std::string& name) {
  const UniqueFd device(
      ::open((std::string(kDeviceFolder) + name).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
  if (!device) {
    // A port that is held, or that this user may not open, cannot be
    // examined; keeping it lets the probe tell the operator which it is.
    const int error = errno;
    return error == EBUSY || error == EACCES || error == EPERM;
  }
  serial_struct info{};
  return ::ioctl(device.Get(), TIOCGSERIAL, &info) == 0 && info.type != PORT_UNKNOWN;
}

bool HasUart(const std::string& name) {
  if (const auto fromSysfs = UartFromSysfs(name)) {
    return *fromSysfs;
  }
  return UartFromDevice(name);
}

}  // namespace

PortDeviceMap SystemPortDevices() {
  // The search asks for every port number in turn; one look at /dev serves a whole
  // round, and a look at most a second old still finds an adapter plugged in since.
  struct Listing {
    std::mutex mutex;
    std::chrono::steady_clock::time_point takenAt;
    std::vector<std::string> devices;
    bool taken = false;
  };
  auto listing = std::make_shared<Listing>();
  return [listing](std::uint16_t port) -> std::optional<std::string> {
    if (port == 0) {
      return std::nullopt;
    }
    const std::lock_guard lock(listing->mutex);
    const auto now = std::chrono::steady_clock::now();
    if (!listing->taken || now - listing->takenAt > std::chrono::seconds(1)) {
      listing->devices = OrderSerialDevices(DeviceNodeNames(), HasUart);
      listing->takenAt = now;
      listing->taken = true;
    }
    if (port > listing->devices.size()) {
      return std::nullopt;
    }
    return std::string(kDeviceFolder) + listing->devices[port - 1U];
  };
}

}  // namespace orvel
