#pragma once

#include <stdexcept>

namespace orvel {

// Every failure of the table engine. The message names the table and its folder and says
// what failed, so it can be shown to the operator as it stands.
class EDatabaseError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace orvel
