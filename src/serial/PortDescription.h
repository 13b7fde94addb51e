#pragma once

#include "serial/PortInventorySources.h"

#include <string>

namespace orvel {

// What the terminal of that name is, from sysfs: a built-in port with its UART, or
// a USB adapter or ACM device with its maker, model, serial number, USB ID and
// driver. What sysfs does not show is left out.
std::string DescribeTerminal(const PortInventorySources& sources, const std::string& name);

// What the device node at path is: a pseudo-terminal, a terminal sysfs knows (as
// above), or not a serial device at all. Empty when nothing can be told, as for a
// path that does not exist.
std::string DescribeDeviceNode(const PortInventorySources& sources, const std::string& path);

}  // namespace orvel
