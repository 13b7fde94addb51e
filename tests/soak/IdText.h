#pragma once

#include <cstddef>
#include <string>

namespace orvel::testing {

inline constexpr std::size_t kIdTextWidth = 16;

// An ID as the tester holds it: the text followed by blanks up to 16 characters.
inline std::string PaddedId(std::string text) {
  if (text.size() < kIdTextWidth) text.append(kIdTextWidth - text.size(), ' ');
  return text;
}

}  // namespace orvel::testing
