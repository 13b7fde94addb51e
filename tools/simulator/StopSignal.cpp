#include "simulator/StopSignal.h"

#include "simulator/SystemError.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <cerrno>
#include <ctime>

namespace orvel::sim {

StopSignal::StopSignal() {
  int ends[2] = {-1, -1};
  if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
    throw SystemFailure("creating the stop signal", errno);
  }
  m_read.Reset(ends[0]);
  m_write.Reset(ends[1]);
}

void StopSignal::Raise() noexcept {
  const char token = 1;
  // A full pipe already holds a raised signal, so a failed write loses nothing.
  [[maybe_unused]] const ssize_t written = ::write(m_write.Get(), &token, 1);
}

void StopSignal::Reset() noexcept {
  char drained[64];
  while (::read(m_read.Get(), drained, sizeof drained) > 0) {
  }
}

bool StopSignal::Raised() const noexcept {
  pollfd watched{m_read.Get(), POLLIN, 0};
  return ::poll(&watched, 1, 0) > 0;
}

bool StopSignal::SleepFor(std::chrono::steady_clock::duration duration) const {
  return SleepUntil(std::chrono::steady_clock::now() + duration);
}

bool StopSignal::SleepUntil(std::chrono::steady_clock::time_point deadline) const {
  using namespace std::chrono;
  for (;;) {
    const auto remaining = duration_cast<nanoseconds>(deadline - steady_clock::now());
    if (remaining <= nanoseconds::zero()) {
      return !Raised();
    }
    const auto whole = duration_cast<seconds>(remaining);
    const timespec timeout{static_cast<time_t>(whole.count()), static_cast<long>((remaining - whole).count())};
    pollfd watched{m_read.Get(), POLLIN, 0};
    const int ready = ::ppoll(&watched, 1, &timeout, nullptr);
    if (ready > 0) {
      return false;
    }
    if (ready < 0 && errno != EINTR) {
      throw SystemFailure("waiting for a stop request", errno);
    }
  }
}

}  // namespace orvel::sim
