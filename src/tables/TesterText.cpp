#include "tables/TesterText.h"

#include <cstdio>

#include "tables/FieldText.h"

namespace orvel {
namespace {

constexpr char32_t kLastEightBitCode = 0xFF;

std::string Hex(unsigned value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*X", digits, value);
  return text;
}

std::string CodePoint(char32_t code) { return "U+" + Hex(static_cast<unsigned>(code), 4); }

}  // namespace

bool IsControlCharacter(char32_t character) { return character < 0x20 || (character >= 0x7F && character <= 0x9F); }

bool IsTesterCharacter(char32_t character) {
  return character <= kLastEightBitCode && !IsControlCharacter(character);
}

std::optional<UnfitCharacter> FirstUnfitCharacter(std::u32string_view text) {
  int position = 0;
  for (const char32_t code : text) {
    ++position;
    if (!IsTesterCharacter(code)) return UnfitCharacter{position, code};
  }
  return std::nullopt;
}

std::optional<UnfitCharacter> FirstUnfitCharacter(std::string_view eightBitText) {
  std::u32string text;
  for (const char c : eightBitText) text += static_cast<unsigned char>(c);
  return FirstUnfitCharacter(text);
}

std::string CharacterName(char32_t character) {
  const std::string code = " (" + CodePoint(character) + ")";
  switch (character) {
    case 0x00:
      return "a NUL character" + code;
    case 0x09:
      return "a tab" + code;
    case 0x0A:
      return "a line feed" + code;
    case 0x0D:
      return "a carriage return" + code;
    default:
      break;
  }
  if (IsControlCharacter(character)) return "a control character" + code;
  // By its code alone: a message may be 8-bit text, and a character beyond the tester's
  // set may be one that turns the text around it right to left.
  return "the character " + CodePoint(character);
}

std::string UnfitCharacterRule(char32_t character) {
  if (character > kLastEightBitCode) {
    return "the tester's character set has no such character; use only letters, digits and signs of the Western "
           "European (Latin-1) character set";
  }
  return "control characters cannot be stored";
}

std::string UnfitCharacterRefusal(const std::string& subject, const UnfitCharacter& character) {
  return subject + " cannot hold its character " + std::to_string(character.position) + ", " +
         CharacterName(character.code) + ": " + UnfitCharacterRule(character.code) + ". Please remove it.";
}

std::optional<std::string> TesterTextFault(std::string_view eightBitText) {
  if (eightBitText.size() > kTesterTextWidth) {
    return "has " + std::to_string(eightBitText.size()) + " characters; the tester holds " +
           std::to_string(kTesterTextWidth);
  }
  if (const std::optional<UnfitCharacter> unfit = FirstUnfitCharacter(eightBitText)) {
    return "holds " + CharacterName(unfit->code) + " at character " + std::to_string(unfit->position);
  }
  return std::nullopt;
}

std::string EightBitText(std::u32string_view text) {
  std::string result;
  result.reserve(text.size());
  for (const char32_t code : text) result += static_cast<char>(static_cast<unsigned char>(code));
  return result;
}

std::string VisibleText(std::string_view utf8) {
  std::string visible;
  while (!utf8.empty()) {
    const Utf8Character character = DecodeUtf8Character(utf8);
    if (character.length == 0 || IsControlCharacter(character.codePoint)) {
      const unsigned code = character.length == 0 ? static_cast<unsigned char>(utf8.front()) : character.codePoint;
      visible += code == '\t' ? "\\t" : code == '\n' ? "\\n" : code == '\r' ? "\\r" : "\\x" + Hex(code, 2);
    } else {
      visible += utf8.substr(0, character.length);
    }
    utf8.remove_prefix(character.length == 0 ? 1 : character.length);
  }
  return visible;
}

bool IsRefusedTypedCharacter(unsigned char code) {
  return (code >= 33 && code <= 44) || (code >= 46 && code <= 47) || (code >= 58 && code <= 64) ||
         (code >= 91 && code <= 96) || (code >= 123 && code <= 150);
}

}  // namespace orvel
