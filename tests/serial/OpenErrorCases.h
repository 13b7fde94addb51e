#pragma once

#include "serial/PortAvailability.h"
#include "serial/PortErrors.h"
#include "serial/SystemError.h"

#include <utility>

// The table both hosts' tests check a failed open against: what the port search makes of
// a host error, and what an open raises for it.

namespace orvel::testing {

struct OpenErrorCase {
  int hostError;
  PortAvailability availability;
  // What an open raises: an EOpenComm, or else an EInOutError, with this code.
  bool openComm;
  int errorCode;
};

inline std::pair<bool, int> RaisedByOpen(int hostError) {
  try {
    RaiseOpenError(hostError);
  } catch (const EOpenComm& error) {
    return {true, error.ErrorCode()};
  } catch (const EInOutError& error) {
    return {false, error.ErrorCode()};
  }
}

}  // namespace orvel::testing
