#include "serial/SystemError.h"

#include "serial/PortErrors.h"

#include <cerrno>
#include <new>
#include <optional>
#include <system_error>

// The port message table numbers system errors the DOS/Windows way. Linux errno
// values overlap those numbers with other meanings (errno 5 is EIO, table 5 is
// "File access denied"; errno 4 is EINTR, table 4 is "Too many open files"), so
// an errno is never looked up by its raw value. Only these meanings are shared:
//
//   ENOENT                       -> 2   "File not found"
//   ENOTDIR                      -> 3   "Path not found"
//   EMFILE, ENFILE               -> 4   "Too many open files"
//   EBADF                        -> 6   "Invalid file handle"
//   EIO                          -> 162 "General failure" (the driver's own failure)
//   ENOMEM                       -> out of memory, raised as std::bad_alloc
//
// At open, the device's existence and ownership decide the port's own errors:
//   ENOENT, ENODEV, ENXIO, ENOTDIR -> system error 2, EBadId (no such device)
//   EBUSY                          -> system error 5, EAlreadyOpen (held elsewhere)
// A refused non-blocking flock counts as EBUSY; that is decided where the lock is taken.
//
// Every other errno keeps its own number and the host's message, for example
// EACCES -> 13 "Permission denied".

namespace orvel {

namespace {

bool MeansNoDevice(int hostError) noexcept {
  return hostError == ENOENT || hostError == ENODEV || hostError == ENXIO || hostError == ENOTDIR;
}

std::optional<int> SharedSystemErrorNumber(int hostError) noexcept {
  switch (hostError) {
    case ENOENT:
      return 2;
    case ENOTDIR:
      return 3;
    case EMFILE:
    case ENFILE:
      return 4;
    case EBADF:
      return 6;
    case EIO:
      return 162;
    default:
      return std::nullopt;
  }
}

}  // namespace

void RaiseSystemError(int hostError) {
  if (hostError == ENOMEM) {
    throw std::bad_alloc();
  }
  if (const auto shared = SharedSystemErrorNumber(hostError)) {
    throw EInOutError(*shared, std::string(PortSystemErrorText(*shared).value()), hostError);
  }
  throw EInOutError(hostError, OneLineMessage(std::system_category().message(hostError)), hostError);
}

void RaiseOpenError(int hostError) {
  if (MeansNoDevice(hostError)) {
    throw EBadId();
  }
  if (hostError == EBUSY) {
    throw EAlreadyOpen();
  }
  RaiseSystemError(hostError);
}

PortAvailability AvailabilityAfterOpenError(int hostError) noexcept {
  if (MeansNoDevice(hostError)) {
    return PortAvailability::Missing;
  }
  switch (hostError) {
    case EBUSY:
      return PortAvailability::Busy;
    case EACCES:
    case EPERM:
      return PortAvailability::PermissionDenied;
    default:
      return PortAvailability::Failed;
  }
}

}  // namespace orvel
