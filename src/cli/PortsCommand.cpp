// ports: every serial port in the order the search tries them, and whether it can be used.
#include <iostream>

#include "cli/Commands.h"
#include "serial/PortInventory.h"

namespace orvel::cli {
namespace {

void Show(const PortReport& port) {
  std::string com = "COM" + std::to_string(port.comNumber);
  com.resize(std::max<std::size_t>(com.size() + 1, 6), ' ');
  std::cout << com << port.devicePath << '\n';
  if (!port.description.empty()) std::cout << "      " << port.description << '\n';
  std::cout << "      " << port.availabilityText << '\n';
}

}  // namespace

ExitStatus ListPorts(const CommandLine& line) {
  if (line.device) {
    Show(DescribePortDevice(1, *line.device));
    return ExitStatus::Success;
  }
  const std::vector<PortReport> ports = SystemPortReports();
  if (ports.empty()) {
    std::cout << "No serial ports found. Plug in the tester's USB serial adapter, or check that the serial port's "
                 "driver is loaded.\n";
  }
  for (const PortReport& port : ports) Show(port);
  return ExitStatus::Success;
}

}  // namespace orvel::cli
