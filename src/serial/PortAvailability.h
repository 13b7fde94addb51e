#pragma once

namespace orvel {

// What the operating system says about a port's device, before any use of it.
enum class PortAvailability {
  Missing,           // no device behind the port number
  Available,         // exists and is free
  Busy,              // exists and another program holds it
  PermissionDenied,  // exists, but this user may not open it
  Failed,            // exists, but opening it failed for another reason
};

}  // namespace orvel
