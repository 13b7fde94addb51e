#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "link/LinkSessionHost.h"

namespace orvel {
class LinkSession;
}

namespace orvel::cli {

class ProgressDisplay;
class StopRequests;

// How the command line answers the questions a transfer asks.
enum class Answering {
  Yes,     // --yes was given
  Ask,     // ask on the terminal
  Refuse,  // no terminal to ask on: answer No and say how to answer Yes
};

// The window's part in a link session, without a window: the poll runs from a loop that
// sleeps until the next 100 ms tick or a Ctrl+C, which cancels as the Cancel button
// does; the status and slots go to the progress display, the boxes' texts to the
// operator as lines. The window searches until the operator cancels; here the search
// ends by itself after the search time, as not found.
class HeadlessHost : public LinkSessionHost {
 public:
  HeadlessHost(ProgressDisplay& progress, const StopRequests& stops, Answering answering,
               std::chrono::seconds searchTime);

  // The session whose poll the loop runs; set once, before the transfer.
  void Attach(LinkSession& session) { session_ = &session; }

  bool SearchGaveUp() const { return searchGaveUp_; }
  bool StopRequested() const { return stopRequested_; }
  bool QuestionDeclined() const { return questionDeclined_; }
  // The last text the session showed in a box: its failure or refusal message.
  const std::optional<std::string>& LastMessage() const { return lastMessage_; }
  // The last status text: where the search stood when it gave up.
  const std::string& LastStatus() const { return lastStatus_; }

  void ShowStatusPage() override {}
  void ShowSessionRunning() override;
  void ShowSessionCancelled() override {}
  void ShowSessionEnded() override {}
  void SetStatusText(const std::string& text) override;
  void SetIdentityText(const std::string& text) override;
  void SetPollTimerEnabled(bool enabled) override;
  void StartPageReturnTimer() override {}
  void ProcessEvents() override;
  void ProcessPendingEvents() override;
  void Beep() override {}
  void ShowInformation(const std::string& text) override;
  bool Confirm(const std::string& question) override;
  void NotifyPortSkipped(const std::string& advice) override;
  // The transfer has read or sent this slot's ID in this column.
  void ShowSlotDone(std::size_t slot, const std::string& column);

 private:
  using Clock = std::chrono::steady_clock;

  // Waits for a stop request until the deadline; true when one came.
  bool AwaitStop(Clock::time_point deadline);
  void CancelFor(bool& reason);

  ProgressDisplay& progress_;
  const StopRequests& stops_;
  Answering answering_;
  std::chrono::seconds searchTime_;
  LinkSession* session_ = nullptr;
  bool pollTimerEnabled_ = false;
  Clock::time_point nextTick_;
  Clock::time_point searchStartedAt_;
  bool searchGaveUp_ = false;
  bool stopRequested_ = false;
  bool questionDeclined_ = false;
  std::optional<std::string> lastMessage_;
  std::string lastStatus_;
};

}  // namespace orvel::cli
