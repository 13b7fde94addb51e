#include "cli/ProgressDisplay.h"

#include <algorithm>

namespace orvel::cli {
namespace {

constexpr std::size_t kBarWidth = 32;
constexpr std::size_t kSlots = 32;
// Back to the line's start, then clear to its end.
constexpr const char* kClearLine = "\r\x1b[K";

}  // namespace

ProgressDisplay::ProgressDisplay(std::ostream& out, bool terminal, std::size_t totalSteps)
    : out_(out), terminal_(terminal), totalSteps_(totalSteps) {}

ProgressDisplay::~ProgressDisplay() { Finish(); }

void ProgressDisplay::SetStatus(const std::string& status) {
  if (status.empty() || status == status_) return;
  status_ = status;
  if (terminal_) {
    Redraw();
  } else {
    out_ << status << '\n' << std::flush;
  }
}

void ProgressDisplay::StepDone(std::size_t slot, const std::string& column) {
  ++stepsDone_;
  slotText_ = column + " slot " + std::to_string(slot) + " of " + std::to_string(kSlots);
  if (terminal_) {
    Redraw();
  } else {
    out_ << slotText_ << '\n' << std::flush;
  }
}

void ProgressDisplay::Note(const std::string& line) {
  ClearLine();
  out_ << line << '\n';
  if (terminal_ && lineShown_) {
    lineShown_ = false;
    Redraw();
  }
  out_ << std::flush;
}

void ProgressDisplay::Finish() {
  if (terminal_ && lineShown_) out_ << '\n' << std::flush;
  lineShown_ = false;
}

void ProgressDisplay::ClearLine() {
  if (terminal_ && lineShown_) out_ << kClearLine;
}

void ProgressDisplay::Redraw() {
  std::string line = kClearLine;
  if (totalSteps_ > 0) {
    const std::size_t filled = kBarWidth * std::min(stepsDone_, totalSteps_) / totalSteps_;
    line.append("[").append(filled, '#').append(kBarWidth - filled, '.').append("] ");
  }
  if (!slotText_.empty()) line += slotText_ + "  ";
  line += status_;
  out_ << line << std::flush;
  lineShown_ = true;
}

}  // namespace orvel::cli
