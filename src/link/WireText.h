#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvel {

// Right-pads text with spaces to the tester's 16-character ID width; longer text is left as is.
void PadTo16(std::string& text);

// Why text cannot go to the tester as a payload, or nothing when it can: it is longer than
// 16 characters, or it holds a control character, which would end or break the request
// line or sit invisibly in the tester. The reason reads "holds a tab", and so on.
std::optional<std::string> UnsendableTextReason(std::string_view text);

// The tester sends identity text as 4-digit hex words, two characters per word with the
// low byte's character first. A pair that is not two hex digits yields the character 1;
// characters after the last whole word are ignored.
std::string DecodeHexWords(std::string_view hexWords);

}  // namespace orvel
