#include "serial/ProbePort.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <optional>

namespace orvel {

namespace {

// Most distributions give serial devices to this group.
constexpr const char* kUsualSerialGroup = "dialout";

// Large enough for any real passwd or group entry.
constexpr std::size_t kEntryBufferSize = 16384;

std::optional<std::string> UserName() {
  std::array<char, kEntryBufferSize> buffer{};
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr) {
    return std::nullopt;
  }
  return std::string(found->pw_name);
}

std::optional<std::string> DeviceGroupName(const std::string& devicePath) {
  struct stat status {};
  if (::stat(devicePath.c_str(), &status) != 0) {
    return std::nullopt;
  }
  std::array<char, kEntryBufferSize> buffer{};
  group entry{};
  group* found = nullptr;
  if (::getgrgid_r(status.st_gid, &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr) {
    return std::nullopt;
  }
  return std::string(found->gr_name);
}

}  // namespace

std::string PermissionAdvice(const std::string& devicePath) {
  const std::string user = UserName().value_or(std::to_string(::geteuid()));
  const std::string group = DeviceGroupName(devicePath).value_or(kUsualSerialGroup);
  return "This user may not use the serial port " + devicePath + ". Add the user \"" + user + "\" to the group \"" +
         group + "\" (for example: sudo usermod -a -G " + group + " " + user + "), then log out and log in again.";
}

}  // namespace orvel
