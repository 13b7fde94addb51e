#include "link/HexDigits.h"

namespace orvel {

void AppendUpperHex(std::string& text, unsigned value, int digitCount) {
  constexpr char digits[] = "0123456789ABCDEF";
  for (int shift = 4 * (digitCount - 1); shift >= 0; shift -= 4) {
    text.push_back(digits[(value >> shift) & 0xFU]);
  }
}

std::optional<unsigned> HexDigitValue(char digit) {
  if (digit >= '0' && digit <= '9') {
    return static_cast<unsigned>(digit - '0');
  }
  if (digit >= 'A' && digit <= 'F') {
    return static_cast<unsigned>(digit - 'A' + 10);
  }
  if (digit >= 'a' && digit <= 'f') {
    return static_cast<unsigned>(digit - 'a' + 10);
  }
  return std::nullopt;
}

}  // namespace orvel
