#pragma once

#include "serial/PortReportText.h"

#include <sys/types.h>

#include <compare>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <vector>

namespace orvel {

// What makes two paths the same device: the device number for a device node,
// wherever it is mounted, otherwise the file itself.
struct DeviceIdentity {
  dev_t device = 0;
  ino_t inode = 0;
  auto operator<=>(const DeviceIdentity&) const = default;
};

// The identity of what path names, following links; nullopt when it cannot be examined.
std::optional<DeviceIdentity> IdentityOf(const std::filesystem::path& path);

// The processes that have one of the devices open, by device, each in order of
// process ID, found through the open-file links of every process in procFolder.
// Processes this user may not inspect, and processes that end meanwhile, are
// passed over.
std::map<DeviceIdentity, std::vector<PortHolder>> HoldersOf(const std::set<DeviceIdentity>& devices,
                                                            const std::filesystem::path& procFolder);

}  // namespace orvel
