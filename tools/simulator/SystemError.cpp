#include "simulator/SystemError.h"

#include <cstring>

namespace orvel::sim {

ESimulator SystemFailure(const std::string& what, int errorNumber) {
  return ESimulator("Tester simulator: " + what + " failed: " + std::strerror(errorNumber));
}

}  // namespace orvel::sim
