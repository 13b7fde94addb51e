#include "app/TesterText.h"

#include <algorithm>

namespace orvel {

bool FitsTesterCharacters(const QString& text) {
  return std::all_of(text.cbegin(), text.cend(), [](QChar character) { return character.unicode() <= 0xFF; });
}

std::string TesterCharactersRefusal(const std::string& subject) {
  return subject +
         " holds characters the tester cannot store. Use only letters, digits and signs of the Western European "
         "(Latin-1) character set.";
}

}  // namespace orvel
