#include "cli/StopRequests.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <stdexcept>
#include <string>

namespace orvel::cli {
namespace {

// A handler may only touch these; the pipe's write end wakes the pump.
int wakeWrite = -1;
int wakeRead = -1;
volatile std::sig_atomic_t stopRequested = 0;

constexpr int kStopSignals[] = {SIGINT, SIGTERM};

extern "C" void OnStopSignal(int) {
  const int savedErrno = errno;
  stopRequested = 1;
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = ::write(wakeWrite, &byte, 1);
  errno = savedErrno;
}

}  // namespace

StopRequests::StopRequests() {
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
    throw std::runtime_error(std::string("Cannot prepare for Ctrl+C: ") + std::strerror(errno));
  }
  wakeRead = ends[0];
  wakeWrite = ends[1];
  stopRequested = 0;
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  // The first signal cancels; the next one has its default effect.
  action.sa_flags = SA_RESETHAND;
  sigemptyset(&action.sa_mask);
  for (const int signalNumber : kStopSignals) ::sigaction(signalNumber, &action, nullptr);
}

StopRequests::~StopRequests() {
  for (const int signalNumber : kStopSignals) std::signal(signalNumber, SIG_DFL);
  ::close(wakeRead);
  ::close(wakeWrite);
  wakeRead = wakeWrite = -1;
}

void StopRequests::Wait(std::chrono::milliseconds most) const {
  pollfd wake{wakeRead, POLLIN, 0};
  ::poll(&wake, 1, static_cast<int>(most.count()));
}

bool StopRequests::Requested() const { return stopRequested != 0; }

}  // namespace orvel::cli
