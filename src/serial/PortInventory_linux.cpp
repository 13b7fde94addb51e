#include "serial/PortInventory.h"

#include "serial/PortDescription.h"
#include "serial/PortHolders.h"
#include "serial/PortInventorySources.h"
#include "serial/PortReportText.h"

#include <map>
#include <optional>
#include <set>

namespace orvel {

namespace {

// Opening a port raises its DTR line, which can disturb the program that uses it;
// a port some process holds is therefore reported from its holders alone.
PortReport Report(std::uint16_t comNumber, std::string devicePath, std::string description,
                  const std::vector<PortHolder>& holders) {
  PortReport report;
  report.comNumber = comNumber;
  report.devicePath = std::move(devicePath);
  report.description = std::move(description);
  if (!holders.empty()) {
    report.availability = PortAvailability::Busy;
    report.availabilityText = HeldText(holders);
    return report;
  }
  const DeviceProbe probe = ProbePortDevice(report.devicePath);
  report.availability = probe.availability;
  report.availabilityText = ProbeText(report.devicePath, probe);
  return report;
}

const std::vector<PortHolder>& FoundHolders(const std::map<DeviceIdentity, std::vector<PortHolder>>& holders,
                                            const std::optional<DeviceIdentity>& device) {
  static const std::vector<PortHolder> none;
  if (!device) {
    return none;
  }
  const auto found = holders.find(*device);
  return found == holders.end() ? none : found->second;
}

}  // namespace

std::vector<PortReport> SystemPortReports(const PortInventorySources& sources) {
  const std::vector<std::string> names = SerialDevicesInPortOrder(sources);
  std::vector<std::optional<DeviceIdentity>> identities;
  std::set<DeviceIdentity> devices;
  for (const std::string& name : names) {
    identities.push_back(IdentityOf(sources.devFolder / name));
    if (identities.back()) {
      devices.insert(*identities.back());
    }
  }
  // One pass over the processes serves every port.
  const auto holders = HoldersOf(devices, sources.procFolder);

  std::vector<PortReport> reports;
  reports.reserve(names.size());
  for (std::size_t index = 0; index < names.size(); ++index) {
    reports.push_back(Report(static_cast<std::uint16_t>(index + 1), (sources.devFolder / names[index]).string(),
                             DescribeTerminal(sources, names[index]), FoundHolders(holders, identities[index])));
  }
  return reports;
}

PortReport DescribePortDevice(std::uint16_t comNumber, const std::string& devicePath,
                              const PortInventorySources& sources) {
  std::vector<PortHolder> holders;
  if (const auto device = IdentityOf(devicePath)) {
    auto found = HoldersOf({*device}, sources.procFolder);
    if (!found.empty()) {
      holders = std::move(found.begin()->second);
    }
  }
  return Report(comNumber, devicePath, DescribeDeviceNode(sources, devicePath), holders);
}

std::vector<PortReport> SystemPortReports() { return SystemPortReports(PortInventorySources{}); }

PortReport DescribePortDevice(std::uint16_t comNumber, const std::string& devicePath) {
  return DescribePortDevice(comNumber, devicePath, PortInventorySources{});
}

}  // namespace orvel
