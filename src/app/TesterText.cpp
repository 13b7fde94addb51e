#include "app/TesterText.h"

#include <QList>

namespace orvel {
namespace {

std::u32string CodePoints(const QString& text) {
  const QList<uint> ucs4 = text.toUcs4();
  return std::u32string(ucs4.cbegin(), ucs4.cend());
}

}  // namespace

bool FitsTesterCharacters(const QString& text) { return FitsTesterCharacters(CodePoints(text)); }

std::optional<UnfitCharacter> FirstUnfitCharacter(const QString& text) {
  return FirstUnfitCharacter(CodePoints(text));
}

}  // namespace orvel
