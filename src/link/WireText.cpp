#include "link/WireText.h"

#include "link/HexDigits.h"
#include "link/TesterAddresses.h"

namespace orvel {
namespace {

constexpr std::size_t HexWordLength = 4;
constexpr char UndecodableCharacter = '\x01';

char DecodeHexPair(std::string_view pair) {
  const auto high = HexDigitValue(pair[0]);
  const auto low = HexDigitValue(pair[1]);
  if (!high || !low) {
    return UndecodableCharacter;
  }
  return static_cast<char>(*high * 16 + *low);
}

}  // namespace

void PadTo16(std::string& text) {
  if (text.size() < IdTextLength) {
    text.append(IdTextLength - text.size(), ' ');
  }
}

std::string DecodeHexWords(std::string_view hexWords) {
  std::string decoded;
  const std::size_t wordCount = hexWords.size() / HexWordLength;
  for (std::size_t word = 0; word < wordCount; ++word) {
    const std::string_view digits = hexWords.substr(word * HexWordLength, HexWordLength);
    decoded.push_back(DecodeHexPair(digits.substr(2, 2)));
    decoded.push_back(DecodeHexPair(digits.substr(0, 2)));
  }
  return decoded;
}

}  // namespace orvel
