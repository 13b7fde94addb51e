#include "FakeSessionHost.h"

#include <stdexcept>

#include "link/LinkSession.h"

namespace orvel::test {
namespace {

// No transfer in these tests needs more; a session that gets here would hang the window.
constexpr int TickLimit = 20000;

}  // namespace

void FakeSessionHost::ShowStatusPage() { timeline_.Record("show status page"); }

void FakeSessionHost::ShowSessionRunning() {
  caption_ = "Cancel";
  timeline_.Record("running");
}

void FakeSessionHost::ShowSessionCancelled() {
  caption_ = "Exit";
  timeline_.Record("cancelled");
}

void FakeSessionHost::ShowSessionEnded() {
  caption_ = "Exit";
  timeline_.Record("ended");
}

void FakeSessionHost::SetStatusText(const std::string& text) {
  statusText_ = text;
  timeline_.Record("status " + text);
}

void FakeSessionHost::SetIdentityText(const std::string& text) {
  identityText_ = text;
  timeline_.Record("identity " + text);
}

void FakeSessionHost::SetPollTimerEnabled(bool enabled) {
  pollTimerEnabled_ = enabled;
  timeline_.Record(enabled ? "timer on" : "timer off");
}

void FakeSessionHost::StartPageReturnTimer() { timeline_.Record("page return"); }

void FakeSessionHost::ProcessEvents() {
  if (!pollTimerEnabled_) {
    throw std::logic_error("the session waits for events with its poll timer stopped, so the window would hang");
  }
  if (timeline_.Now() >= TickLimit) {
    throw std::logic_error("the session is still waiting after " + std::to_string(TickLimit) + " poll ticks");
  }
  Tick();
}

void FakeSessionHost::Beep() { timeline_.Record("beep"); }

void FakeSessionHost::ShowInformation(const std::string& text) {
  timeline_.Record("information " + text);
  RunModalLoop();
}

bool FakeSessionHost::Confirm(const std::string& question) {
  timeline_.Record("confirm " + question);
  if (confirmAnswers_.empty()) throw std::logic_error("unexpected question: " + question);
  RunModalLoop();
  const bool yes = confirmAnswers_.front();
  confirmAnswers_.pop_front();
  return yes;
}

void FakeSessionHost::NotifyPortSkipped(const std::string& advice) { timeline_.Record("notice " + advice); }

std::chrono::steady_clock::time_point FakeSessionHost::Now() const {
  return std::chrono::steady_clock::time_point{} + clockStep_ * timeline_.Now();
}

void FakeSessionHost::Tick() {
  timeline_.AdvanceTick();
  port_.DeliverDue();
  try {
    session_->Tick();
  } catch (const std::exception& error) {
    timeline_.Record(std::string("error report ") + error.what());
  }
  if (pressCancelWhen_ && pressCancelWhen_(timeline_.Now())) {
    pressCancelWhen_ = nullptr;
    if (caption_ == "Cancel") session_->Cancel();
  }
  if (observer_) observer_();
}

void FakeSessionHost::RunModalLoop() {
  for (int tick = 0; tick < ticksWhileBoxOpen_ && pollTimerEnabled_; ++tick) Tick();
}

}  // namespace orvel::test
