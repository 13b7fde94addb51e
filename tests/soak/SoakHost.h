#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

#include "link/LinkSessionHost.h"

namespace orvel {
class LinkSession;
}

namespace orvel::testing {

// A window without a screen for the link session: its event pump sleeps until the next
// poll tick and runs the poll there, as the window's timer would, only with a shorter
// period so that many transfers fit in a short run. It keeps what the operator would
// have seen, and cancels a transfer that runs past its tick budget, so a hang shows as
// a failed check instead of a stuck run.
class SoakHost : public LinkSessionHost {
 public:
  SoakHost(std::chrono::milliseconds pollPeriod, std::size_t tickBudget);

  // The session whose poll the pump runs; set once, before the first transfer.
  void Attach(LinkSession& session) { session_ = &session; }

  // Forgets what the previous transfer showed and restarts the tick budget.
  void BeginTransfer();
  const std::string& StatusText() const { return status_; }
  const std::vector<std::string>& InformationBoxes() const { return boxes_; }
  const std::vector<std::string>& RefusalNotices() const { return refusals_; }
  bool RanOutOfTicks() const { return ranOutOfTicks_; }
  bool PollTimerEnabled() const { return pollTimerEnabled_; }
  std::size_t TicksThisTransfer() const { return ticks_; }

  void ShowStatusPage() override {}
  void ShowSessionRunning() override {}
  void ShowSessionCancelled() override {}
  void ShowSessionEnded() override {}
  void SetStatusText(const std::string& text) override { status_ = text; }
  void SetIdentityText(const std::string& text) override { identity_ = text; }
  void SetPollTimerEnabled(bool enabled) override;
  void StartPageReturnTimer() override {}
  void ProcessEvents() override;
  void Beep() override {}
  void ShowInformation(const std::string& text) override { boxes_.push_back(text); }
  bool Confirm(const std::string&) override { return true; }
  void NotifyPortSkipped(const std::string& advice) override { refusals_.push_back(advice); }
  std::chrono::milliseconds PollPeriod() const override { return pollPeriod_; }

 private:
  using Clock = std::chrono::steady_clock;

  std::chrono::milliseconds pollPeriod_;
  std::size_t tickBudget_;
  LinkSession* session_ = nullptr;
  bool pollTimerEnabled_ = false;
  Clock::time_point nextTick_;
  std::size_t ticks_ = 0;
  bool ranOutOfTicks_ = false;
  std::string status_;
  std::string identity_;
  std::vector<std::string> boxes_;
  std::vector<std::string> refusals_;
};

}  // namespace orvel::testing
