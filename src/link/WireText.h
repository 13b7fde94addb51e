#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvel {

// Right-pads text with spaces to the tester's 16-character ID width; longer text is left as is.
void PadTo16(std::string& text);

// The tester sends identity text as 4-digit hex words, two characters per word with the
// low byte's character first. A pair that is not two hex digits yields the character 1;
// characters after the last whole word are ignored.
std::string DecodeHexWords(std::string_view hexWords);

}  // namespace orvel
