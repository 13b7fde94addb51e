#pragma once

#include <string>

#include "serial/TSerialPort.h"
#include "simulator/PseudoTerminal.h"

namespace orvel::testing {

// A serial device that exists but that another program holds open: a pseudo-terminal
// whose far end a serial port object of its own keeps open with exclusive use.
class HeldPort {
 public:
  HeldPort();

  const std::string& DevicePath() const { return line_.SlavePath(); }

 private:
  sim::PseudoTerminal line_;
  TSerialPort holder_;
};

}  // namespace orvel::testing
