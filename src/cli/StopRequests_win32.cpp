#include <windows.h>

#include <atomic>
#include <stdexcept>
#include <string>

#include "cli/StopRequests.h"

namespace orvel::cli {
namespace {

// The console calls the handler on a thread of its own.
std::atomic<bool> stopRequested{false};
HANDLE wakeUp = nullptr;

BOOL WINAPI OnConsoleStop(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) return FALSE;
  // The first stop cancels; the next one has the default effect, which ends the program.
  if (stopRequested.exchange(true)) return FALSE;
  ::SetEvent(wakeUp);
  return TRUE;
}

}  // namespace

StopRequests::StopRequests() {
  wakeUp = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (wakeUp == nullptr) {
    throw std::runtime_error("Cannot prepare for Ctrl+C: Windows error " + std::to_string(::GetLastError()) + ".");
  }
  stopRequested = false;
  ::SetConsoleCtrlHandler(OnConsoleStop, TRUE);
}

StopRequests::~StopRequests() {
  ::SetConsoleCtrlHandler(OnConsoleStop, FALSE);
  ::CloseHandle(wakeUp);
  wakeUp = nullptr;
}

void StopRequests::Wait(std::chrono::milliseconds most) const {
  ::WaitForSingleObject(wakeUp, static_cast<DWORD>(most.count()));
}

bool StopRequests::Requested() const { return stopRequested; }

}  // namespace orvel::cli
