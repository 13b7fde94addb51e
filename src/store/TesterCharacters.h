#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvel {

// The tester keeps 8-bit characters (Latin-1 here); a character outside that set could
// be neither stored nor sent, and would otherwise turn into '?' unseen.
bool FitsTesterCharacters(std::u32string_view text);

// What the operator is told when a text does not fit; subject names the text, e.g.
// "The company name".
std::string TesterCharactersRefusal(const std::string& subject);

// A character that a name kept for the tester cannot hold: one outside the 8-bit set, or
// a control character (tab, line feed, NUL, ...), which would be invisible in the list
// and could make a name that cannot be opened.
struct UnfitCharacter {
  int position;  // counted in characters from 1
  char32_t code;
};

std::optional<UnfitCharacter> FirstUnfitCharacter(std::u32string_view text);

// What the operator is told about such a character; subject names the text, e.g.
// "The group name".
std::string UnfitCharacterRefusal(const std::string& subject, const UnfitCharacter& character);

// The 8-bit text of characters that all fit the tester's set.
std::string EightBitText(std::u32string_view text);

}  // namespace orvel
