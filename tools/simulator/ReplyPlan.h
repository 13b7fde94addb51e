#pragma once

#include "simulator/FaultPlanner.h"
#include "simulator/TesterFrame.h"

#include <chrono>
#include <cstddef>
#include <optional>
#include <random>
#include <string>

namespace orvel::sim {

// Everything the tester will do in answer to one request line.
struct ReplyPlan {
  bool hangUp = false;
  std::optional<TesterFrame> frame;  // nothing: no answer goes out
  std::string noiseBefore;
  std::string noiseAfter;
  std::size_t copies = 1;
  std::optional<std::chrono::milliseconds> copyAfter;  // a copy follows this long after the answer
  std::chrono::milliseconds delay{0};
  bool heldForNext = false;
  std::size_t pieces = 1;
  std::chrono::milliseconds gap{0};

  // The bytes that go on the line, or none when nothing is answered.
  std::string Bytes() const;
};

// True for the faults under which the request never reaches the tester, so a write is not stored.
bool KeepsRequestFromTester(FaultKind kind);

// Spoils `plan` with one fault; `random` supplies noise bytes.
void ApplyFault(ReplyPlan& plan, const ChosenFault& fault, std::mt19937_64& random);

}  // namespace orvel::sim
