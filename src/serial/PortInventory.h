#pragma once

#include "serial/PortAvailability.h"

#include <cstdint>
#include <string>
#include <vector>

namespace orvel {

// One port as the operator needs to see it when the tester is not found: which
// device a port number names, what that device is, and whether this user could
// use it now.
struct PortReport {
  std::uint16_t comNumber = 0;
  std::string devicePath;
  // What the device is, on one line, as far as the system tells: "built-in serial
  // port (16550A UART)", "USB serial adapter: FTDI FT232R USB UART, serial
  // A50285BI (USB ID 0403:6001, driver ftdi_sio)", "pseudo-terminal". Empty when
  // nothing is known, as for a device that is missing.
  std::string description;
  PortAvailability availability = PortAvailability::Missing;
  // "available", "busy: held by process 4711 (minicom)", "busy", "permission
  // refused: " and the advice, "missing", "cannot be opened: " and the reason.
  std::string availabilityText;

  bool operator==(const PortReport&) const = default;
};

// Every port of the host in search order, numbered as the port search numbers
// them. A port that another process holds is reported without being opened, so
// the listing never disturbs a program that uses a port; the others are probed.
std::vector<PortReport> SystemPortReports();

// One device the operator named (a pseudo-terminal of the tester simulator, say),
// reported as port comNumber.
PortReport DescribePortDevice(std::uint16_t comNumber, const std::string& devicePath);

}  // namespace orvel
