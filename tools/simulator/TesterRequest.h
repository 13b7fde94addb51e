#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvel::sim {

inline constexpr int IdentifyCode = 1;
inline constexpr int WriteCode = 2;
inline constexpr int ReadCode = 3;
inline constexpr std::size_t PayloadLength = 16;

struct TesterRequest {
  int code = 0;
  std::uint16_t address = 0;
  std::string payload;
};

// Reads a request line as the tester does: "!0000", one code digit (1, 2 or 3), four
// upper-case hex digits, for code 2 exactly sixteen payload bytes, then the carriage
// return. Anything else is not a request and gets nothing back.
std::optional<TesterRequest> ParseRequestLine(std::string_view line);

// Cuts the byte stream from the program into lines ending in a carriage return. A run of
// bytes far longer than any request without a carriage return is dropped, so noise on the
// line cannot make the tester's memory grow.
class LineAssembler {
 public:
  static constexpr std::size_t LongestKeptLine = 256;

  // Returns the lines completed by `bytes`, each with its carriage return.
  std::vector<std::string> Feed(std::string_view bytes);

 private:
  std::string m_pending;
};

}  // namespace orvel::sim
