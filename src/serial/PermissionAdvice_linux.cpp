#include "serial/PermissionAdvice.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <optional>

#include "serial/ProbePort.h"

namespace orvel {

namespace {

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

std::optional<DeviceAccess> AccessOf(const std::string& devicePath) {
  struct stat status {};
  if (::stat(devicePath.c_str(), &status) != 0) return std::nullopt;
  DeviceAccess access{status.st_gid, std::to_string(status.st_gid), status.st_mode};
  std::array<char, kEntryBufferSize> buffer{};
  group entry{};
  group* found = nullptr;
  if (::getgrgid_r(status.st_gid, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr) {
    access.groupName = found->gr_name;
  }
  return access;
}

std::string ModeText(mode_t mode) {
  std::array<char, 8> text{};
  std::snprintf(text.data(), text.size(), "%04o", static_cast<unsigned>(mode & 07777));
  return text.data();
}

}  // namespace

std::string PermissionAdviceFor(const std::string& devicePath, const DeviceAccess& access, const std::string& user) {
  const std::string refused = "This user may not use the serial port " + devicePath + ". ";
  const bool groupMayUse = (access.mode & S_IRGRP) != 0 && (access.mode & S_IWGRP) != 0;
  if (groupMayUse && access.groupId != 0) {
    return refused + "Add the user \"" + user + "\" to the group \"" + access.groupName +
           "\" (for example: sudo usermod -a -G " + access.groupName + " " + user + "), then log out and log in again.";
  }
  return refused + "It belongs to the group \"" + access.groupName + "\" with mode " + ModeText(access.mode) +
         ", so joining a group would not let this user read and write it. Its permissions must be changed: ask "
         "the administrator for a udev rule that gives " +
         devicePath +
         " to a serial group such as \"dialout\" with mode 0660, then add the user to that group and "
         "log out and log in again.";
}

std::string PermissionAdvice(const std::string& devicePath) {
  const std::string user = UserName().value_or(std::to_string(::geteuid()));
  if (const std::optional<DeviceAccess> access = AccessOf(devicePath)) {
    return PermissionAdviceFor(devicePath, *access, user);
  }
  return "This user may not use the serial port " + devicePath +
         ", and its permissions cannot be read. Ask the administrator to give this user read and write access "
         "to it, for example with a udev rule.";
}

}  // namespace orvel
