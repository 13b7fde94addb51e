#include "SoakHost.h"

#include <algorithm>
#include <stdexcept>
#include <thread>

#include "link/LinkSession.h"

namespace orvel::testing {

SoakHost::SoakHost(std::chrono::milliseconds pollPeriod, std::size_t tickBudget)
    : pollPeriod_(pollPeriod), tickBudget_(tickBudget) {}

void SoakHost::BeginTransfer() {
  ticks_ = 0;
  ranOutOfTicks_ = false;
  status_.clear();
  identity_.clear();
  boxes_.clear();
  refusals_.clear();
}

void SoakHost::SetPollTimerEnabled(bool enabled) {
  // Like a timer that is started, its first tick is one period away.
  if (enabled && !pollTimerEnabled_) nextTick_ = Clock::now() + pollPeriod_;
  pollTimerEnabled_ = enabled;
}

void SoakHost::ProcessEvents() {
  if (session_ == nullptr) throw std::logic_error("SoakHost: no session attached");
  if (!pollTimerEnabled_) {
    // Nothing would ever wake a window whose only timer is off; a waiting session here is stuck.
    ranOutOfTicks_ = true;
    session_->Cancel();
    return;
  }
  std::this_thread::sleep_until(nextTick_);
  // Ticks keep their phase; a pump that fell behind catches up with one tick, as a timer does.
  nextTick_ = std::max(nextTick_ + pollPeriod_, Clock::now());
  if (++ticks_ > tickBudget_) {
    ranOutOfTicks_ = true;
    session_->Cancel();
    return;
  }
  session_->Tick();
}

}  // namespace orvel::testing
