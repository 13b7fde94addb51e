#include "serial/ProbePort.h"

#include "serial/PortDevice.h"

namespace orvel {

PortProbe ProbePortAvailability(std::uint16_t port, const PortDeviceMap& devices) {
  if (port == 0) {
    return {};
  }
  auto path = devices(port);
  if (!path) {
    return {};
  }
  const PortAvailability availability = ProbePortDevice(*path).availability;
  return {availability, std::move(*path)};
}

bool ProbePort(std::uint16_t port, const PortDeviceMap& devices) {
  const PortAvailability availability = ProbePortAvailability(port, devices).availability;
  return availability == PortAvailability::Available || availability == PortAvailability::Busy;
}

}  // namespace orvel
