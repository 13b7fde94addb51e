#include "simulator/AnswerTiming.h"

#include "simulator/SystemError.h"

#include <array>
#include <string>
#include <utility>

namespace orvel::sim {
namespace {

constexpr std::array<std::pair<RequestKind, std::string_view>, 4> Names = {{
    {RequestKind::Identify, "identify"},
    {RequestKind::FollowUp, "follow-up"},
    {RequestKind::Read, "read"},
    {RequestKind::Write, "write"},
}};

}  // namespace

std::string_view RequestKindName(RequestKind kind) {
  for (const auto& [known, name] : Names) {
    if (known == kind) {
      return name;
    }
  }
  return "?";
}

std::optional<RequestKind> RequestKindFromName(std::string_view name) {
  for (const auto& [kind, known] : Names) {
    if (known == name) {
      return kind;
    }
  }
  return std::nullopt;
}

AnswerDelay& AnswerTiming::For(RequestKind kind) { return const_cast<AnswerDelay&>(std::as_const(*this).For(kind)); }

const AnswerDelay& AnswerTiming::For(RequestKind kind) const {
  switch (kind) {
    case RequestKind::Identify:
      return identify;
    case RequestKind::FollowUp:
      return followUp;
    case RequestKind::Read:
      return read;
    case RequestKind::Write:
      break;
  }
  return write;
}

void CheckAnswerTiming(const AnswerTiming& timing) {
  for (const auto& [kind, name] : Names) {
    const AnswerDelay& delay = timing.For(kind);
    if (delay.least > delay.most) {
      throw ESimulator("Tester simulator: the " + std::string(name) + " answer delay runs from " +
                       std::to_string(delay.least.count()) + " ms to " + std::to_string(delay.most.count()) +
                       " ms; the least must not be past the most.");
    }
  }
}

AnswerClock::AnswerClock(const AnswerTiming& timing) : m_timing(timing), m_random(timing.seed) {
  CheckAnswerTiming(timing);
}

std::chrono::milliseconds AnswerClock::DelayFor(RequestKind kind) {
  const AnswerDelay& delay = m_timing.For(kind);
  std::uniform_int_distribution<long long> draw(delay.least.count(), delay.most.count());
  return std::chrono::milliseconds(draw(m_random));
}

}  // namespace orvel::sim
