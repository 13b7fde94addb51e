#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orvel {

// The identification request is answered with a long frame, every later request with a short one.
inline constexpr std::size_t LongReplyLength = 77;
inline constexpr std::size_t ShortReplyLength = 29;

enum class ReplyOutcome {
  NothingTaken,
  TakenAndFailed,
  TakenAndPassed,
};

struct TakenReply {
  ReplyOutcome outcome = ReplyOutcome::NothingTaken;
  // The frame's data field whenever a frame was taken, whether or not it passed: the
  // caller keeps it even for a frame that fails. Shorter than the layout says when the
  // frame held a NUL byte, since the frame's text ends there.
  std::string dataField;
};

// True when checksumField is the byte sum of dataField modulo 256 as exactly two
// upper-case hexadecimal digits.
bool ReplyChecksumOk(std::string_view dataField, std::string_view checksumField);

// Judges frameBytes, already taken out of the input buffer, as one reply frame of
// frameBytes.size() bytes: ":", five unexamined bytes, the data field, two checksum
// digits and a carriage return.
TakenReply JudgeTakenFrame(std::string_view frameBytes);

}  // namespace orvel
