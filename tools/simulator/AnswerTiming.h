#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <random>
#include <string_view>

namespace orvel::sim {

// The kinds of request a tester may be slower or faster to answer.
enum class RequestKind { Identify, FollowUp, Read, Write };

std::string_view RequestKindName(RequestKind kind);
std::optional<RequestKind> RequestKindFromName(std::string_view name);

// The time from the last byte of a request to the first byte of its answer: drawn evenly
// from [least, most] for every request, so most - least is the jitter.
struct AnswerDelay {
  std::chrono::milliseconds least{0};
  std::chrono::milliseconds most{0};
};

// How fast the tester answers each kind of request. The tester answers one request at a
// time, so an answer never starts before the previous one has left the line. Whether the
// follow-up request is answered at all is the tester's memory's business; a follow-up
// answer that holds up nothing is TesterSimulator::SetFollowUpAnsweredAfter's.
struct AnswerTiming {
  AnswerDelay identify;
  AnswerDelay followUp;
  AnswerDelay read;
  AnswerDelay write;
  // Makes the drawn delays repeat from run to run.
  std::uint64_t seed = 1;

  AnswerDelay& For(RequestKind kind);
  const AnswerDelay& For(RequestKind kind) const;
};

// Refuses a delay whose least is past its most.
void CheckAnswerTiming(const AnswerTiming& timing);

// Draws the delays of an AnswerTiming. Not synchronised: the simulator guards it.
class AnswerClock {
 public:
  explicit AnswerClock(const AnswerTiming& timing = {});

  std::chrono::milliseconds DelayFor(RequestKind kind);

 private:
  AnswerTiming m_timing;
  std::mt19937_64 m_random;
};

}  // namespace orvel::sim
