#pragma once

#include <stdexcept>

namespace orvel {

// Raised when the program asks the protocol layer for something the tester cannot take,
// such as a payload that would break the request line's framing.
class EProtocol : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace orvel
