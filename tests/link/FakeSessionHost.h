#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <string>

#include "LinkTimeline.h"
#include "ScriptedLinkPort.h"
#include "link/LinkSessionHost.h"

namespace orvel {
class LinkSession;
}

namespace orvel::test {

// The window as the session sees it, without Qt and without real time: one ProcessEvents
// is one poll tick while the poll timer runs. A tick first lets the port receive what is
// due, then runs the poll, then the Cancel click if one is scripted for that moment. An
// error escaping the poll is recorded as the application's error report would show it,
// and the loop goes on, as the window's event loop does.
class FakeSessionHost : public LinkSessionHost {
 public:
  FakeSessionHost(LinkTimeline& timeline, ScriptedLinkPort& port) : timeline_(timeline), port_(port) {}

  void Attach(LinkSession& session) { session_ = &session; }
  // The operator presses Cancel at the first tick for which pressWhen is true.
  void CancelWhen(std::function<bool(int tick)> pressWhen) { pressCancelWhen_ = std::move(pressWhen); }
  void CancelAtTick(int tick) {
    CancelWhen([tick](int now) { return now == tick; });
  }
  // Looks at the program's state at the end of every poll tick.
  void ObserveEveryTick(std::function<void()> observer) { observer_ = std::move(observer); }
  // The operator's answers to the confirmation boxes, in order; a question with no answer
  // left is a test failure.
  void AnswerConfirm(bool yes) { confirmAnswers_.push_back(yes); }
  // A modal box runs the event loop until the operator closes it, so the poll timer
  // ticks behind it if it is still enabled.
  void SetTicksWhileBoxOpen(int ticks) { ticksWhileBoxOpen_ = ticks; }
  // How far the clock moves in one poll tick; the timer's nominal period stays 100 ms,
  // so a step below it stands for a timer that fires early, one above it for a stalled one.
  void SetClockStepPerTick(std::chrono::milliseconds step) { clockStep_ = step; }

  bool PollTimerEnabled() const { return pollTimerEnabled_; }
  const std::string& StatusText() const { return statusText_; }
  const std::string& IdentityText() const { return identityText_; }
  // What the Exit/Cancel button reads.
  const std::string& ButtonCaption() const { return caption_; }

  void ShowStatusPage() override;
  void ShowSessionRunning() override;
  void ShowSessionCancelled() override;
  void ShowSessionEnded() override;
  void SetStatusText(const std::string& text) override;
  void SetIdentityText(const std::string& text) override;
  void SetPollTimerEnabled(bool enabled) override;
  void StartPageReturnTimer() override;
  void ProcessEvents() override;
  void Beep() override;
  void ShowInformation(const std::string& text) override;
  bool Confirm(const std::string& question) override;
  void NotifyPortSkipped(const std::string& advice) override;
  std::chrono::steady_clock::time_point Now() const override;

 private:
  void Tick();
  void RunModalLoop();

  LinkTimeline& timeline_;
  ScriptedLinkPort& port_;
  LinkSession* session_ = nullptr;
  std::function<bool(int)> pressCancelWhen_;
  std::function<void()> observer_;
  std::deque<bool> confirmAnswers_;
  int ticksWhileBoxOpen_ = 15;
  std::chrono::milliseconds clockStep_{100};
  bool pollTimerEnabled_ = false;
  std::string statusText_;
  std::string identityText_;
  std::string caption_ = "Exit";
};

}  // namespace orvel::test
