#include "store/TesterCharacters.h"

#include <algorithm>
#include <cstdio>

namespace orvel {
namespace {

constexpr char32_t kLastEightBitCode = 0xFF;

bool IsControl(char32_t code) { return code < 0x20 || (code >= 0x7F && code <= 0x9F); }

std::string CodePoint(char32_t code) {
  char text[16];
  std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(code));
  return text;
}

std::string ControlName(char32_t code) {
  switch (code) {
    case 0x00:
      return "a NUL character";
    case 0x09:
      return "a tab";
    case 0x0A:
      return "a line feed";
    case 0x0D:
      return "a carriage return";
    default:
      return "a control character (" + CodePoint(code) + ")";
  }
}

}  // namespace

bool FitsTesterCharacters(std::u32string_view text) {
  return std::all_of(text.begin(), text.end(), [](char32_t code) { return code <= kLastEightBitCode; });
}

std::string TesterCharactersRefusal(const std::string& subject) {
  return subject +
         " holds characters the tester cannot store. Use only letters, digits and signs of the Western European "
         "(Latin-1) character set.";
}

std::optional<UnfitCharacter> FirstUnfitCharacter(std::u32string_view text) {
  int position = 0;
  for (const char32_t code : text) {
    ++position;
    if (code > kLastEightBitCode || IsControl(code)) return UnfitCharacter{position, code};
  }
  return std::nullopt;
}

std::string UnfitCharacterRefusal(const std::string& subject, const UnfitCharacter& character) {
  const std::string which = "character " + std::to_string(character.position);
  if (character.code > kLastEightBitCode) {
    return subject + " cannot hold its " + which + " (" + CodePoint(character.code) +
           "): the tester's character set has no such character. Use only letters, digits and signs of the "
           "Western European (Latin-1) character set.";
  }
  return subject + " cannot hold its " + which + ", " + ControlName(character.code) +
         ": control characters cannot be stored. Please remove it.";
}

std::string EightBitText(std::u32string_view text) {
  std::string result;
  result.reserve(text.size());
  for (const char32_t code : text) result += static_cast<char>(static_cast<unsigned char>(code));
  return result;
}

}  // namespace orvel
