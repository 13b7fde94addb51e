#include "app/TesterText.h"

#include <QChar>
#include <QList>
#include <algorithm>

namespace orvel {
namespace {

constexpr char32_t kLastEightBitCode = 0xFF;

std::string CodePoint(char32_t code) {
  return QStringLiteral("U+%1").arg(static_cast<uint>(code), 4, 16, QLatin1Char('0')).toUpper().toStdString();
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

bool FitsTesterCharacters(const QString& text) {
  return std::all_of(text.cbegin(), text.cend(), [](QChar character) { return character.unicode() <= 0xFF; });
}

std::string TesterCharactersRefusal(const std::string& subject) {
  return subject +
         " holds characters the tester cannot store. Use only letters, digits and signs of the Western European "
         "(Latin-1) character set.";
}

std::optional<UnfitCharacter> FirstUnfitCharacter(const QString& text) {
  int position = 0;
  for (const uint ucs4 : text.toUcs4()) {
    ++position;
    const auto code = static_cast<char32_t>(ucs4);
    if (code > kLastEightBitCode || QChar::category(code) == QChar::Other_Control) {
      return UnfitCharacter{position, code};
    }
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

}  // namespace orvel
