#include "link/ReplyFrame.h"

#include "link/HexDigits.h"

#include <cstdint>

namespace orvel {
namespace {

constexpr char StartMarker = ':';
constexpr char EndMarker = '\r';
constexpr std::size_t DataFieldOffset = 6;
constexpr std::size_t ChecksumLength = 2;
constexpr std::size_t FrameOverhead = DataFieldOffset + ChecksumLength + 1;

// The tester's text ends at a NUL byte; what follows it is not part of the frame, so a
// frame with a NUL anywhere comes out too short to pass.
std::string_view TextUpToNul(std::string_view bytes) { return bytes.substr(0, bytes.find('\0')); }

std::string_view Field(std::string_view text, std::size_t offset, std::size_t length) {
  return offset < text.size() ? text.substr(offset, length) : std::string_view{};
}

}  // namespace

bool ReplyChecksumOk(std::string_view dataField, std::string_view checksumField) {
  std::uint8_t sum = 0;
  for (const char character : dataField) {
    sum = static_cast<std::uint8_t>(sum + static_cast<unsigned char>(character));
  }
  std::string expected;
  AppendUpperHex(expected, sum, static_cast<int>(ChecksumLength));
  return checksumField == expected;
}

TakenReply JudgeTakenFrame(std::string_view frameBytes) {
  const std::size_t frameLength = frameBytes.size();
  const std::size_t dataLength = frameLength >= FrameOverhead ? frameLength - FrameOverhead : 0;
  const std::string_view text = TextUpToNul(frameBytes);

  TakenReply reply;
  reply.dataField = std::string(Field(text, DataFieldOffset, dataLength));
  const std::string_view checksumField = Field(text, DataFieldOffset + dataLength, ChecksumLength);

  const bool passed = frameLength >= FrameOverhead && text.size() == frameLength && text.front() == StartMarker &&
                      text.back() == EndMarker && ReplyChecksumOk(reply.dataField, checksumField);
  reply.outcome = passed ? ReplyOutcome::TakenAndPassed : ReplyOutcome::TakenAndFailed;
  return reply;
}

}  // namespace orvel
