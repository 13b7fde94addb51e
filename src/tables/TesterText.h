#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// What the tester can hold: the one rule for every text that becomes an ID or the company
// name, however it comes in (typed or pasted into the grid, read from a CSV file, given on
// the command line, or on its way over the wire). The tester keeps characters of its 8-bit
// set (Latin-1 here), one byte each, at most 16 of them. Control characters are refused:
// C0 (below 32), DEL (127) and C1 (128 to 159) are invisible on the tester's display and
// in the grid, and would end or garble a request line.

namespace orvel {

inline constexpr std::size_t kTesterTextWidth = 16;

bool IsControlCharacter(char32_t character);

// In the tester's 8-bit set and not a control character.
bool IsTesterCharacter(char32_t character);

struct UnfitCharacter {
  int position;  // counted in characters from 1
  char32_t code;
};

std::optional<UnfitCharacter> FirstUnfitCharacter(std::u32string_view text);
std::optional<UnfitCharacter> FirstUnfitCharacter(std::string_view eightBitText);

// The character as a message names it: "a tab (U+0009)", "a control character (U+0085)",
// "the character U+20AC".
std::string CharacterName(char32_t character);

// Why the tester cannot hold the character, e.g. "control characters cannot be stored".
std::string UnfitCharacterRule(char32_t character);

// The whole sentence for the operator; subject names the text, e.g. "The group name".
std::string UnfitCharacterRefusal(const std::string& subject, const UnfitCharacter& character);

// Why 8-bit text cannot be an ID or the company name in the tester, e.g. "has 17
// characters; the tester holds 16" or "holds a tab (U+0009) at character 3", or nothing.
std::optional<std::string> TesterTextFault(std::string_view eightBitText);

// The 8-bit text of characters that all fit the tester's set.
std::string EightBitText(std::u32string_view text);

// UTF-8 text, possibly malformed, made safe to show in a message: control characters
// and bytes that are not UTF-8 are written as \t, \n, \r or \xHH, so that text from a
// file cannot move the cursor, clear the screen or retitle the terminal it is shown on.
std::string VisibleText(std::string_view utf8);

// The grid's typing rule, on top of the tester's: punctuation and symbols (codes 33-44,
// 46-47, 58-64, 91-96 and 123-150) are refused as keys are typed, so that typed IDs keep to
// letters, digits, blanks and hyphens. Text that comes in whole is not held to it.
bool IsRefusedTypedCharacter(unsigned char code);

}  // namespace orvel
