#pragma once

#include "simulator/UniqueFd.h"

#include <string>

namespace orvel::sim {

// A pseudo-terminal pair in raw mode. The master is the simulated tester's end of the
// cable; the program opens the slave by its path. The simulator keeps a slave descriptor
// of its own so that the master does not see a hang-up each time the program closes its port.
class PseudoTerminal {
 public:
  PseudoTerminal();

  int Master() const noexcept { return m_master.Get(); }
  const std::string& SlavePath() const noexcept { return m_slavePath; }
  bool Connected() const noexcept { return m_master.Valid(); }

  // Pulls the cable: the program's end sees the line hang up.
  void HangUp() noexcept;

 private:
  UniqueFd m_master;
  UniqueFd m_slave;
  std::string m_slavePath;
};

}  // namespace orvel::sim
