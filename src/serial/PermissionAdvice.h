#pragma once

#include <sys/types.h>
#include <string>

namespace orvel {

// Who may use a serial device: its group and its permission bits.
struct DeviceAccess {
  gid_t groupId = 0;
  std::string groupName;
  mode_t mode = 0;
};

// The advice for a device this user may not open. Joining the device's group helps only
// when the group may read and write it and is not root's; otherwise the device's own
// permissions must change, which a udev rule does.
std::string PermissionAdviceFor(const std::string& devicePath, const DeviceAccess& access, const std::string& user);

}  // namespace orvel
