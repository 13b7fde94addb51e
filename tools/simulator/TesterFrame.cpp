#include "simulator/TesterFrame.h"

#include <utility>

namespace orvel::sim {

std::string UpperHex(unsigned value, int digitCount) {
  constexpr char digits[] = "0123456789ABCDEF";
  std::string text;
  for (int shift = 4 * (digitCount - 1); shift >= 0; shift -= 4) {
    text.push_back(digits[(value >> shift) & 0xFU]);
  }
  return text;
}

std::string TesterFrame::Bytes() const {
  std::string bytes;
  bytes.reserve(Size());
  bytes.push_back(start);
  bytes += header;
  bytes += dataField;
  bytes += checksum;
  bytes.push_back(end);
  return bytes;
}

std::size_t TesterFrame::Size() const { return 2 + header.size() + dataField.size() + checksum.size(); }

unsigned DataSum(std::string_view dataField) {
  unsigned sum = 0;
  for (const char byte : dataField) {
    sum += static_cast<unsigned char>(byte);
  }
  return sum % 256;
}

std::string DataChecksum(std::string_view dataField) { return UpperHex(DataSum(dataField), 2); }

TesterFrame MakeFrame(std::string header, std::string dataField) {
  TesterFrame frame;
  frame.header = std::move(header);
  frame.checksum = DataChecksum(dataField);
  frame.dataField = std::move(dataField);
  return frame;
}

std::string EncodeHexWords(std::string_view text) {
  std::string words;
  for (std::size_t index = 0; index < text.size(); index += 2) {
    const char first = text[index];
    const char second = index + 1 < text.size() ? text[index + 1] : ' ';
    words += UpperHex(static_cast<unsigned char>(second), 2);
    words += UpperHex(static_cast<unsigned char>(first), 2);
  }
  return words;
}

}  // namespace orvel::sim
