#pragma once

#include <cstddef>
#include <ostream>
#include <string>

namespace orvel::cli {

// What a transfer shows while it runs. On a terminal: one line, redrawn in place, with
// a bar over the transfer's steps, the slot and the status (the port being searched,
// the transfer under way); lines that must stay (the tester's identity, messages) are
// written above it. Elsewhere (a log, a pipe): each change as a plain line of its own.
class ProgressDisplay {
 public:
  ProgressDisplay(std::ostream& out, bool terminal, std::size_t totalSteps);
  ~ProgressDisplay();
  ProgressDisplay(const ProgressDisplay&) = delete;
  ProgressDisplay& operator=(const ProgressDisplay&) = delete;

  void SetStatus(const std::string& status);
  // One more step done: slot (1 to 32) of column.
  void StepDone(std::size_t slot, const std::string& column);
  // A line that stays, written above the progress line.
  void Note(const std::string& line);
  // Ends the progress line, so whatever is written next starts on a line of its own.
  void Finish();

 private:
  void Redraw();
  void ClearLine();

  std::ostream& out_;
  bool terminal_;
  std::size_t totalSteps_;
  std::size_t stepsDone_ = 0;
  std::string status_;
  std::string slotText_;
  bool lineShown_ = false;
};

}  // namespace orvel::cli
