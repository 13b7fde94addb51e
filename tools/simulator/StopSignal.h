#pragma once

#include "simulator/UniqueFd.h"

#include <chrono>

namespace orvel::sim {

// A stop request that a thread blocked in poll() notices at once: a pipe whose read end
// becomes readable when Raise() is called. Every wait of the simulator goes through it,
// so a stop never waits out a delay or a paced write.
class StopSignal {
 public:
  StopSignal();

  void Raise() noexcept;
  // Forgets an earlier Raise() so the simulator can be started again.
  void Reset() noexcept;
  bool Raised() const noexcept;
  int Fd() const noexcept { return m_read.Get(); }

  // Sleeps for `duration`; false when a stop was requested before or during the sleep.
  bool SleepFor(std::chrono::steady_clock::duration duration) const;
  bool SleepUntil(std::chrono::steady_clock::time_point deadline) const;

 private:
  UniqueFd m_read;
  UniqueFd m_write;
};

}  // namespace orvel::sim
