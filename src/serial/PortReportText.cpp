#include "serial/PortReportText.h"

#include "serial/PortErrors.h"
#include "serial/ProbePort.h"

#include <cerrno>
#include <system_error>

namespace orvel {

std::string HeldText(const std::vector<PortHolder>& holders) {
  std::string text = holders.size() == 1 ? "busy: held by process " : "busy: held by processes ";
  for (std::size_t index = 0; index < holders.size(); ++index) {
    if (index > 0) {
      text += ", ";
    }
    text += std::to_string(holders[index].pid);
    if (!holders[index].command.empty()) {
      text += " (" + holders[index].command + ")";
    }
  }
  return text;
}

std::string ProbeText(const std::string& devicePath, const DeviceProbe& probe) {
  switch (probe.availability) {
    case PortAvailability::Available:
      return "available";
    case PortAvailability::Busy:
      return "busy";
    case PortAvailability::PermissionDenied:
      return "permission refused: " + PermissionAdvice(devicePath);
    case PortAvailability::Missing:
      return "missing";
    case PortAvailability::Failed:
      break;
  }
  // The host's words for this one would be "Inappropriate ioctl for device".
  if (probe.hostError == ENOTTY) {
    return "cannot be opened: not a terminal";
  }
  return "cannot be opened: " + OneLineMessage(std::system_category().message(probe.hostError));
}

}  // namespace orvel
