#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orvel::sim {

// One reply frame as the tester lays it out on the wire:
// start marker, five header bytes, data field, two checksum digits, end marker.
// Kept in parts so that faults can spoil one part at a time.
struct TesterFrame {
  char start = ':';
  std::string header;
  std::string dataField;
  std::string checksum;
  char end = '\r';

  std::string Bytes() const;
  std::size_t Size() const;
};

inline constexpr std::size_t FrameHeaderLength = 5;
inline constexpr std::size_t ShortDataLength = 20;
inline constexpr std::size_t LongDataLength = 68;

std::string UpperHex(unsigned value, int digitCount);

// Sum of the data field's bytes modulo 256, and the same as two upper-case hex digits.
unsigned DataSum(std::string_view dataField);
std::string DataChecksum(std::string_view dataField);

// A correctly framed reply; header and dataField must already have their exact widths.
TesterFrame MakeFrame(std::string header, std::string dataField);

// Identity text travels as 4-digit hex words, the character of the low byte first:
// "21" becomes "3132". An odd trailing character is paired with a space.
std::string EncodeHexWords(std::string_view text);

}  // namespace orvel::sim
