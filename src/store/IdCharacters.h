#pragma once

namespace orvel {

// Whether an ID may not take a typed character of the 8-bit set: punctuation and
// symbols (codes 33-44, 46-47, 58-64, 91-96, 123-150) are refused, so IDs keep to
// letters, digits, blanks and hyphens. Control codes, the blank, '-', digits, letters
// and codes 151-255 pass.
bool IsRefusedIdCharacter(unsigned char code);

// Why an ID cannot hold this character (a code point), or null when it can: the rule for
// every character that becomes part of a stored ID, however it comes in. Besides the
// refused punctuation and symbols, an ID holds no control character and nothing outside
// the 8-bit set.
const char* IdCharacterRefusal(char32_t character);

}  // namespace orvel
