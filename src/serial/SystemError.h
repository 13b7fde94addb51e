#pragma once

#include "serial/PortAvailability.h"

namespace orvel {

// Host failures turned into the port's errors. The host error is the number the
// failing call reported (errno on POSIX), captured right where it failed.

// Raises std::bad_alloc for exhausted memory, otherwise EInOutError whose
// ErrorCode is the port message table's number for the same meaning, or the host
// number itself when no entry means the same thing.
[[noreturn]] void RaiseSystemError(int hostError);

// For a failed open of a port's device: EBadId when the device does not exist,
// EAlreadyOpen when another program holds it, otherwise as RaiseSystemError.
[[noreturn]] void RaiseOpenError(int hostError);

// How a failed open of the device counts for the port search.
PortAvailability AvailabilityAfterOpenError(int hostError) noexcept;

}  // namespace orvel
