#pragma once

#include "serial/PortDeviceMap.h"
#include "serial/PortInventory.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace orvel {

// Where a Linux host shows its device nodes, its device model and its processes.
// The port search and the port listing read the host through these alone, so a
// test or a benchmark can point them at a tree of its own.
struct PortInventorySources {
  std::filesystem::path devFolder = "/dev";
  std::filesystem::path sysFolder = "/sys";
  std::filesystem::path procFolder = "/proc";
};

// The entries of devFolder that are serial devices, in port order: the n-th is
// the device of port n.
std::vector<std::string> SerialDevicesInPortOrder(const PortInventorySources& sources);

// The port search's numbering of those devices; SystemPortDevices() is this over
// the host's own folders.
PortDeviceMap PortDevicesIn(const PortInventorySources& sources);

// The UART type (a PORT_ number of the kernel's serial interface) that sysfs shows
// for the terminal of that name, if it shows one.
std::optional<int> UartTypeFromSysfs(const PortInventorySources& sources, const std::string& name);

std::vector<PortReport> SystemPortReports(const PortInventorySources& sources);
PortReport DescribePortDevice(std::uint16_t comNumber, const std::string& devicePath,
                              const PortInventorySources& sources);

}  // namespace orvel
