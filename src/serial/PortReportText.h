#pragma once

#include "serial/PortDevice.h"

#include <string>
#include <vector>

namespace orvel {

// A process that has a port's device open.
struct PortHolder {
  long pid = 0;
  // The process's command name; empty when it is not visible.
  std::string command;
};

// The availability text of a port that the given processes hold, at least one:
// "busy: held by process 4711 (minicom)".
std::string HeldText(const std::vector<PortHolder>& holders);

// The availability text for what a probe of the device at devicePath found:
// "available", "busy", "permission refused: " with the advice, "missing", or
// "cannot be opened: " with the reason.
std::string ProbeText(const std::string& devicePath, const DeviceProbe& probe);

}  // namespace orvel
