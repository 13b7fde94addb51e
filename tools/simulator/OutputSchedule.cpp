#include "simulator/OutputSchedule.h"

#include <algorithm>
#include <utility>

namespace orvel::sim {

void OutputSchedule::InTurn(Outgoing outgoing, TimePoint received, std::chrono::milliseconds delay) {
  if (!outgoing.bytes.empty() || outgoing.hangUp) {
    m_turns.push_back({std::move(outgoing), received, delay});
  }
}

void OutputSchedule::Aside(Outgoing outgoing, TimePoint due) {
  if (!outgoing.bytes.empty()) {
    m_aside.push_back({std::move(outgoing), due});
  }
}

void OutputSchedule::Hold(const std::string& bytes) { m_held += bytes; }

std::string OutputSchedule::Release() { return std::exchange(m_held, {}); }

std::optional<OutputSchedule::TimePoint> OutputSchedule::TurnDue() const {
  if (m_turns.empty()) {
    return std::nullopt;
  }
  const Turn& next = m_turns.front();
  return std::max(next.received, m_turnsFreeAt) + next.delay;
}

std::vector<OutputSchedule::Timed>::iterator OutputSchedule::EarliestAside() {
  return std::min_element(m_aside.begin(), m_aside.end(),
                          [](const Timed& left, const Timed& right) { return left.due < right.due; });
}

std::optional<OutputSchedule::TimePoint> OutputSchedule::NextDue() const {
  std::optional<TimePoint> due = TurnDue();
  for (const Timed& timed : m_aside) {
    due = due ? std::min(*due, timed.due) : timed.due;
  }
  return due;
}

std::optional<Outgoing> OutputSchedule::TakeDue(TimePoint now) {
  const std::optional<TimePoint> turnDue = TurnDue();
  const auto aside = EarliestAside();
  const bool asideDue = aside != m_aside.end() && aside->due <= now;
  if (turnDue && *turnDue <= now && (!asideDue || *turnDue <= aside->due)) {
    Outgoing taken = std::move(m_turns.front().outgoing);
    m_turns.pop_front();
    m_tookTurn = true;
    return taken;
  }
  if (asideDue) {
    Outgoing taken = std::move(aside->outgoing);
    m_aside.erase(aside);
    m_tookTurn = false;
    return taken;
  }
  return std::nullopt;
}

void OutputSchedule::Sent(const Outgoing& sent, TimePoint finished) {
  if (m_tookTurn) {
    m_turnsFreeAt = finished;
  }
  if (sent.copyAfter) {
    Outgoing copy = sent;
    copy.copyAfter.reset();
    Aside(std::move(copy), finished + *sent.copyAfter);
  }
}

}  // namespace orvel::sim
