// The frame takers fed an arbitrary byte stream in arbitrary pieces, as noise, split and
// doubled answers reach the serial port's input buffer.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "link/ReplyFrame.h"
#include "link/TakeReply.h"
#include "simulator/TesterFrame.h"

namespace {

// Holds what has arrived; hands out whole blocks only, as the serial port does.
class InputBuffer {
 public:
  void Receive(std::string_view bytes) { bytes_.append(bytes); }
  std::size_t InputCount() const { return bytes_.size(); }
  void ReadBlock(std::span<char> destination) {
    ORVEL_FUZZ_CHECK(destination.size() <= bytes_.size());
    bytes_.copy(destination.data(), destination.size());
    bytes_.erase(0, destination.size());
  }
  const std::string& Bytes() const { return bytes_; }
  void Discard() { bytes_.clear(); }

 private:
  std::string bytes_;
};

// A frame passes only when the simulator's own frame code agrees it is well formed.
void CheckJudgement(const orvel::TakenReply& reply, std::string_view frame) {
  const std::size_t dataLength = frame.size() - 9;
  if (reply.outcome != orvel::ReplyOutcome::TakenAndPassed) return;
  ORVEL_FUZZ_CHECK(frame.front() == ':' && frame.back() == '\r');
  ORVEL_FUZZ_CHECK(frame.find('\0') == std::string_view::npos);
  ORVEL_FUZZ_CHECK(reply.dataField == frame.substr(6, dataLength));
  ORVEL_FUZZ_CHECK(orvel::sim::DataChecksum(reply.dataField) == frame.substr(6 + dataLength, 2));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  // Any length at all, frame or not, is judged without reading past it.
  const orvel::TakenReply judged = orvel::JudgeTakenFrame(input);
  ORVEL_FUZZ_CHECK(judged.dataField.size() <= size);
  if (size >= 9) CheckJudgement(judged, input);
  if (size == 0) return 0;

  // Each byte of a control prefix says how many bytes arrive before the next poll, and
  // whether the poll takes long or short frames or the next send discards the input.
  const std::size_t controls = std::min<std::size_t>(data[0] % 16, size - 1);
  std::string_view stream = input.substr(1 + controls);
  InputBuffer buffer;
  for (std::size_t poll = 0; poll < controls || !stream.empty(); ++poll) {
    const std::uint8_t control = poll < controls ? data[1 + poll] : 0xFF;
    const std::size_t arriving = std::min<std::size_t>(stream.size(), control & 0x7F ? (control & 0x7F) : 1);
    buffer.Receive(stream.substr(0, arriving));
    stream.remove_prefix(arriving);
    if ((control & 0x80) != 0 && poll % 5 == 4) {
      buffer.Discard();
      continue;
    }
    const std::size_t frameLength = (control & 0x80) != 0 ? orvel::LongReplyLength : orvel::ShortReplyLength;
    const std::string before = buffer.Bytes();
    const orvel::TakenReply reply = orvel::TakeReply(buffer, frameLength);
    if (before.size() != frameLength) {
      ORVEL_FUZZ_CHECK(reply.outcome == orvel::ReplyOutcome::NothingTaken);
      ORVEL_FUZZ_CHECK(buffer.Bytes() == before);
    } else {
      ORVEL_FUZZ_CHECK(reply.outcome != orvel::ReplyOutcome::NothingTaken);
      ORVEL_FUZZ_CHECK(buffer.InputCount() == 0);
      CheckJudgement(reply, before);
    }
  }
  return 0;
}
