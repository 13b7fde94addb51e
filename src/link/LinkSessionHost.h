#pragma once

#include <chrono>
#include <cstddef>
#include <string>

namespace orvel {

// The parts of the window that a link session drives: the Status page with its two
// lines, the Exit/Cancel button, the poll and page-return timers, the event pump of the
// wait, the beep and the operator's boxes. A front end implements it; so do tests.
class LinkSessionHost {
 public:
  virtual ~LinkSessionHost() = default;

  virtual void ShowStatusPage() = 0;
  // The button reads "Cancel" in pure red; the status line takes the window-text colour.
  virtual void ShowSessionRunning() = 0;
  // The button reads "Exit" again but keeps its colour until the session ends.
  virtual void ShowSessionCancelled() = 0;
  // The button reads "Exit"; it and the status line take the window-text colour.
  virtual void ShowSessionEnded() = 0;
  virtual void SetStatusText(const std::string& text) = 0;
  virtual void SetIdentityText(const std::string& text) = 0;
  virtual void SetPollTimerEnabled(bool enabled) = 0;
  virtual void StartPageReturnTimer() = 0;
  // Handles every pending event of the window, poll ticks and Cancel clicks included,
  // and waits for the next one if there is none, so a waiting session uses no CPU.
  virtual void ProcessEvents() = 0;
  // Handles the events already pending without waiting for more. A host whose events
  // are only its poll ticks has nothing to do here.
  virtual void ProcessPendingEvents() {}
  virtual void Beep() = 0;
  virtual void ShowInformation(const std::string& text) = 0;
  // Asks with Yes, No and Cancel; true only for Yes.
  virtual bool Confirm(const std::string& question) = 0;
  // Tells the operator, without stopping the search, that a serial device exists but
  // cannot be used (this user may not open it, or it refuses the tester's line settings),
  // and what to do about it.
  virtual void NotifyPortSkipped(const std::string& advice) = 0;

  // The clock the session measures its answer windows by. Tests give one of their own.
  virtual std::chrono::steady_clock::time_point Now() const { return std::chrono::steady_clock::now(); }
  // The period of the poll timer; the tester's answer window is counted in it.
  virtual std::chrono::milliseconds PollPeriod() const { return std::chrono::milliseconds(100); }
};

}  // namespace orvel
