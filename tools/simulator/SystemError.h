#pragma once

#include <stdexcept>
#include <string>

namespace orvel::sim {

// A failed system call of the simulator, with the operating system's reason.
class ESimulator : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Builds the exception for a call that has just failed; errorNumber is captured by the
// caller right at the failure, before anything else can change errno.
ESimulator SystemFailure(const std::string& what, int errorNumber);

}  // namespace orvel::sim
