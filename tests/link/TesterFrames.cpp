#include "TesterFrames.h"

#include <cstdio>

namespace orvel::test {
namespace {

// The data field's first four characters are not read by the program.
const std::string UnusedLead = "0000";

std::string Hex(unsigned value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*X", digits, value);
  return text;
}

std::string Padded(std::string text, std::size_t width, char filler) {
  if (text.size() < width) text.append(width - text.size(), filler);
  return text;
}

}  // namespace

std::string ReplyFrame(const std::string& dataField) {
  unsigned sum = 0;
  for (const char byte : dataField) sum += static_cast<unsigned char>(byte);
  return std::string(":01234").append(dataField).append(Hex(sum % 256, 2)).append("\r");
}

std::string ShortFrame(const std::string& answer) { return ReplyFrame(UnusedLead + Padded(answer, 16, ' ')); }

std::string LongFrame(const std::string& instrumentData) {
  return ReplyFrame(UnusedLead + Padded(instrumentData, 64, '0'));
}

std::string ShortFrameFor(unsigned address, const std::string& answer) {
  return ReplyFrame(Hex(address, 4) + Padded(answer, 16, ' '));
}

std::string LongFrameFor(unsigned address, const std::string& instrumentData) {
  return ReplyFrame(Hex(address, 4) + Padded(instrumentData, 64, '0'));
}

std::string WithByte(std::string frame, std::size_t position, char byte) {
  frame.at(position - 1) = byte;
  return frame;
}

std::string ReadLine(unsigned address) { return "!00003" + Hex(address, 4) + "\r"; }

std::string WriteLine(unsigned address, const std::string& payload16) {
  return "!00002" + Hex(address, 4) + payload16 + "\r";
}

}  // namespace orvel::test
