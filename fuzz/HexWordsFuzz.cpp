// DecodeHexWords on arbitrary text, checked digit pair by digit pair, and against the
// simulator's encoder: what the tester encodes, the program decodes back.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "link/WireText.h"
#include "simulator/TesterFrame.h"

namespace {

int HexValue(char digit) {
  const std::string_view digits = "0123456789abcdef";
  const char lower = digit >= 'A' && digit <= 'F' ? static_cast<char>(digit - 'A' + 'a') : digit;
  const std::size_t at = digits.find(lower);
  return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

char ExpectedCharacter(std::string_view pair) {
  const int high = HexValue(pair[0]);
  const int low = HexValue(pair[1]);
  return high < 0 || low < 0 ? '\x01' : static_cast<char>(high * 16 + low);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::string decoded = orvel::DecodeHexWords(input);
  ORVEL_FUZZ_CHECK(decoded.size() == size / 4 * 2);
  for (std::size_t word = 0; word < size / 4; ++word) {
    ORVEL_FUZZ_CHECK(decoded[2 * word] == ExpectedCharacter(input.substr(4 * word + 2, 2)));
    ORVEL_FUZZ_CHECK(decoded[2 * word + 1] == ExpectedCharacter(input.substr(4 * word, 2)));
  }

  const std::string encoded = orvel::sim::EncodeHexWords(input);
  const std::string roundTrip = orvel::DecodeHexWords(encoded);
  ORVEL_FUZZ_CHECK(roundTrip == (size % 2 == 0 ? std::string(input) : std::string(input) + ' '));
  return 0;
}
