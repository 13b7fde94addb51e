#include "cli/HeadlessHost.h"

#include <algorithm>
#include <iostream>
#include <stdexcept>

#include "cli/ProgressDisplay.h"
#include "cli/StopRequests.h"
#include "link/LinkSession.h"

namespace orvel::cli {

HeadlessHost::HeadlessHost(ProgressDisplay& progress, const StopRequests& stops, Answering answering,
                           std::chrono::seconds searchTime)
    : progress_(progress), stops_(stops), answering_(answering), searchTime_(searchTime) {}

void HeadlessHost::ShowSessionRunning() { searchStartedAt_ = Clock::now(); }

void HeadlessHost::SetStatusText(const std::string& text) {
  if (!text.empty()) lastStatus_ = text;
  progress_.SetStatus(text);
}

void HeadlessHost::SetIdentityText(const std::string& text) {
  if (!text.empty()) progress_.Note(text);
}

void HeadlessHost::SetPollTimerEnabled(bool enabled) {
  // Like a timer that is started, its first tick is one period away.
  if (enabled && !pollTimerEnabled_) nextTick_ = Clock::now() + PollPeriod();
  pollTimerEnabled_ = enabled;
}

bool HeadlessHost::AwaitStop(Clock::time_point deadline) {
  for (;;) {
    if (stops_.Requested()) return true;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) return false;
    stops_.Wait(left);
  }
}

void HeadlessHost::CancelFor(bool& reason) {
  reason = true;
  session_->Cancel();
}

void HeadlessHost::ProcessPendingEvents() {
  if (session_ == nullptr) throw std::logic_error("HeadlessHost: no session attached");
  if (stops_.Requested() && !stopRequested_ && session_->Cancellable()) CancelFor(stopRequested_);
}

void HeadlessHost::ProcessEvents() {
  if (session_ == nullptr) throw std::logic_error("HeadlessHost: no session attached");
  if (!pollTimerEnabled_) {
    // Nothing but a stop can come: a session never waits here with its poll off for
    // long, but a stop must still be seen.
    if (AwaitStop(Clock::now() + PollPeriod()) && !stopRequested_) CancelFor(stopRequested_);
    return;
  }
  if (AwaitStop(nextTick_)) {
    if (!stopRequested_) CancelFor(stopRequested_);
    return;
  }
  // Ticks keep their phase; a loop that fell behind catches up with one tick, as a timer does.
  nextTick_ = std::max(nextTick_ + PollPeriod(), Clock::now());
  if (session_->Searching() && Clock::now() - searchStartedAt_ >= searchTime_) {
    CancelFor(searchGaveUp_);
    return;
  }
  session_->Tick();
}

// Kept for the command's end, which reports it once, with what it means for the run.
void HeadlessHost::ShowInformation(const std::string& text) { lastMessage_ = text; }

bool HeadlessHost::Confirm(const std::string& question) {
  switch (answering_) {
    case Answering::Yes:
      return true;
    case Answering::Refuse:
      progress_.Note(question + " Answered No: there is no terminal to ask on. Add --yes to answer Yes.");
      questionDeclined_ = true;
      return false;
    case Answering::Ask:
      break;
  }
  progress_.Finish();
  std::cerr << question << " [y/N] " << std::flush;
  std::string answer;
  std::getline(std::cin, answer);
  const bool yes = answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes";
  questionDeclined_ = !yes;
  return yes;
}

void HeadlessHost::NotifyPortSkipped(const std::string& advice) { progress_.Note(advice); }

void HeadlessHost::ShowSlotDone(std::size_t slot, const std::string& column) { progress_.StepDone(slot, column); }

}  // namespace orvel::cli
