#pragma once

#include <optional>
#include <string>

namespace orvel {

// Appends `digitCount` upper-case hexadecimal digits of value, most significant first.
void AppendUpperHex(std::string& text, unsigned value, int digitCount);

// Value of one hexadecimal digit in either case, or nothing for any other character.
std::optional<unsigned> HexDigitValue(char digit);

}  // namespace orvel
