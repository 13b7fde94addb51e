#pragma once

#include "link/ReplyFrame.h"

#include <concepts>
#include <cstddef>
#include <span>
#include <string>

namespace orvel {

// Anything that counts the bytes waiting in its input buffer and hands out a whole block
// of them: the serial port in the program, a plain buffer in tests.
template <typename Source>
concept ReplySource = requires(Source& source, std::span<char> destination) {
  { source.InputCount() } -> std::convertible_to<std::size_t>;
  source.ReadBlock(destination);
};

// A frame is taken only when exactly one frame's length is waiting: fewer bytes may still be
// arriving, and more mean noise or a second answer, which the next send discards. Once
// taken, the bytes are gone whatever the checks decide.
template <ReplySource Source>
TakenReply TakeReply(Source& source, std::size_t frameLength) {
  if (static_cast<std::size_t>(source.InputCount()) != frameLength) {
    return {};
  }
  std::string frameBytes(frameLength, '\0');
  source.ReadBlock(std::span<char>(frameBytes));
  return JudgeTakenFrame(frameBytes);
}

template <ReplySource Source>
TakenReply TakeLongReply(Source& source) {
  return TakeReply(source, LongReplyLength);
}

template <ReplySource Source>
TakenReply TakeShortReply(Source& source) {
  return TakeReply(source, ShortReplyLength);
}

}  // namespace orvel
