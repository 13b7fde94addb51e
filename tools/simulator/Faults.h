#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvel::sim {

// The ways a tester or its cable can misbehave. When several hit one request they are
// applied in this order.
enum class FaultKind {
  NulByte,            // a NUL byte in the frame (checksum kept right, so only the NUL gives it away)
  LowerCaseChecksum,  // checksum digits in lower case (the data is nudged so a letter appears)
  WrongChecksum,      // checksum one higher than the data's
  WrongStartMarker,   // '#' instead of ':'
  WrongEndMarker,     // line feed instead of carriage return
  NoiseBefore,        // random bytes ahead of the frame
  NoiseAfter,         // random bytes after the frame
  TwoAnswers,         // the frame sent twice, back to back
  DuplicateLater,     // a copy of the answer follows it after a while, later answers going out meanwhile
  LateAnswer,         // the answer held back for a while, on top of its usual delay
  HeldForNext,        // the answer held back until the next request, and sent just before that one's
  InPieces,           // the answer sent in pieces with gaps between them (one byte a piece: a trickle)
  NoAnswer,           // the request is carried out but its answer is lost
  RequestLost,        // the request never reaches the tester: nothing is stored, nothing answered
  AnswerFromResend,   // the request is not heard until the n-th identical re-send
  HangUp,             // the line goes dead: the simulator closes its end
};

std::string_view FaultKindName(FaultKind kind);
std::optional<FaultKind> FaultKindFromName(std::string_view name);
const std::vector<FaultKind>& AllFaultKinds();

struct FaultSettings {
  std::chrono::milliseconds delay{1500};  // LateAnswer; DuplicateLater: from the answer to its copy
  std::size_t pieces = 3;                 // InPieces
  std::chrono::milliseconds gap{150};     // InPieces: pause between two pieces
  std::size_t noiseBytes = 3;             // NoiseBefore, NoiseAfter
  std::size_t nulPosition = 4;            // NulByte: 1-based byte position in the frame
  std::size_t resendsBeforeAnswer = 1;    // AnswerFromResend: answered from this re-send on
};

// A fault for the n-th request line received (1-based, re-sends and garbage counted),
// for requests to one address, or, with neither given, for every request.
struct FaultRule {
  FaultKind kind = FaultKind::NoAnswer;
  std::optional<std::size_t> onLine;
  std::optional<std::uint16_t> onAddress;
  std::size_t times = 1;  // how many requests it hits; 0 means no limit
  FaultSettings settings;
};

// Each request, with the given probability, meets one fault drawn from `kinds`
// (every kind but HangUp when empty). The seed makes a run repeatable.
struct RandomFaults {
  std::uint64_t seed = 1;
  double probability = 0.0;
  std::vector<FaultKind> kinds;
  FaultSettings settings;
};

struct FaultRecord {
  FaultKind kind = FaultKind::NoAnswer;
  std::size_t lineNumber = 0;  // the request it hit, as counted by FaultRule::onLine
  std::string line;
  std::chrono::steady_clock::time_point at;
};

// Refuses settings that would make a fault meaningless (no pieces, no re-send to wait for).
void CheckFaultSettings(const FaultSettings& settings);

}  // namespace orvel::sim
