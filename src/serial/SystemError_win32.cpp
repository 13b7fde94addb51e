#include "serial/SystemError.h"

#include <windows.h>

#include <new>
#include <string>

#include "serial/PortErrors.h"

// A Windows error keeps its number as the port's system error number. The port message
// table numbers its first entries as Windows does (2 to 18: file not found ... no more
// files), and those take the table's text. Its entries from 100 on are the numbers of
// DOS-era run-time errors, which Windows gives other meanings (100 is "too many
// semaphores", 162 "a signal is already pending"), so those numbers, like every number
// without an entry, take the system's own message. At open, error 2 (file not found) and
// 3 (path not found) mean no such device, and error 5 (access denied) means another
// program holds the device.

namespace orvel {
namespace {

bool MeansNoDevice(int hostError) noexcept {
  return hostError == ERROR_FILE_NOT_FOUND || hostError == ERROR_PATH_NOT_FOUND;
}

bool SharesTheTablesMeaning(int hostError) noexcept { return hostError < 100; }

bool MeansExhaustedMemory(int hostError) noexcept {
  return hostError == ERROR_NOT_ENOUGH_MEMORY || hostError == ERROR_OUTOFMEMORY;
}

// The system's message for the error in the user's language, or its number when the
// system has none.
std::string SystemMessage(int hostError) {
  char* text = nullptr;
  const DWORD length =
      ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, static_cast<DWORD>(hostError), 0, reinterpret_cast<char*>(&text), 0, nullptr);
  if (length == 0 || text == nullptr) return "System error " + std::to_string(hostError);
  std::string message(text, length);
  ::LocalFree(text);
  return message;
}

}  // namespace

void RaiseSystemError(int hostError) {
  if (MeansExhaustedMemory(hostError)) {
    throw std::bad_alloc();
  }
  if (const auto text = PortSystemErrorText(hostError); text && SharesTheTablesMeaning(hostError)) {
    throw EInOutError(hostError, std::string(*text), hostError);
  }
  throw EInOutError(hostError, OneLineMessage(SystemMessage(hostError)), hostError);
}

void RaiseOpenError(int hostError) {
  if (MeansNoDevice(hostError)) {
    throw EBadId();
  }
  if (hostError == ERROR_ACCESS_DENIED) {
    throw EAlreadyOpen();
  }
  RaiseSystemError(hostError);
}

PortAvailability AvailabilityAfterOpenError(int hostError) noexcept {
  if (MeansNoDevice(hostError)) {
    return PortAvailability::Missing;
  }
  return hostError == ERROR_ACCESS_DENIED ? PortAvailability::Busy : PortAvailability::Failed;
}

}  // namespace orvel
