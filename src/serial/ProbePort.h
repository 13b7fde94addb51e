#pragma once

#include "serial/PortAvailability.h"
#include "serial/PortDeviceMap.h"

#include <cstdint>
#include <string>

namespace orvel {

struct PortProbe {
  PortAvailability availability = PortAvailability::Missing;
  // The device the port number names; empty when it names none.
  std::string devicePath;
};

// Finds out from the operating system alone whether the device behind port
// number `port` could be used: opens it for a moment and closes it again,
// changing no setting and sending nothing. Port 0 names no device and is
// answered without asking the system. Raises nothing for device errors.
PortProbe ProbePortAvailability(std::uint16_t port, const PortDeviceMap& devices = SystemPortDevices());

// Whether the port search should try `port`: true when its device exists,
// whether free or held by another program (the open that follows then tells
// which); false for a missing device, a refused permission and any other failure.
bool ProbePort(std::uint16_t port, const PortDeviceMap& devices = SystemPortDevices());

// What the operator should do about a device that exists but that this user
// may not open: the device, the group that may use it, and how to join it.
std::string PermissionAdvice(const std::string& devicePath);

}  // namespace orvel
