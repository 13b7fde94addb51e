#pragma once

#include <stdexcept>
#include <string>

namespace orvel {

// The serial port failed under a running transfer, as it does when a USB adapter or its
// cable is pulled out. The message says so and what to do, and keeps the system's own
// text for the record.
class EPortLost : public std::runtime_error {
 public:
  EPortLost(const std::string& portName, const std::string& systemText)
      : std::runtime_error("The serial port " + portName +
                           " stopped working during the transfer; the adapter or its cable may have been "
                           "pulled out. Check the cable and the adapter, then try again. (The system reported: " +
                           systemText + ")") {}
};

}  // namespace orvel
