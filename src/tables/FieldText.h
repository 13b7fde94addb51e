#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The program's text is 8-bit (Latin-1); the storage holds UTF-8 so that any SQLite tool
// shows it as it reads.

namespace orvel {

std::string Latin1ToUtf8(std::string_view latin1);

// Appends the UTF-8 form of a code point (at most U+10FFFF, no surrogate).
void AppendUtf8(std::string& utf8, char32_t codePoint);

// The first character of UTF-8 text and the bytes it takes; a length of 0 when the text
// is empty or does not start with well-formed UTF-8. Overlong forms, surrogates, values
// past U+10FFFF and cut-short sequences are malformed, so every text has one reading.
struct Utf8Character {
  char32_t codePoint = 0;
  std::size_t length = 0;
};
Utf8Character DecodeUtf8Character(std::string_view utf8);

// A character above 255, or a byte that is not part of well-formed UTF-8, reads as '?'.
std::string Utf8ToLatin1(std::string_view utf8);

// Compares ASCII letters without regard to case, and every other byte exactly.
bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b);

// The text a field of the given width holds: it ends at the first NUL byte, and longer
// text is cut to the width.
std::string FitToField(std::string_view text, int width);

}  // namespace orvel
