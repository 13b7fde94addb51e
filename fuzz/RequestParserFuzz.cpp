// The simulator's request parser fed arbitrary bytes from the line, and checked against
// the program's own request builder: whatever the tester takes for a request, the
// program builds byte for byte the same from its parts.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "link/RequestLine.h"
#include "simulator/TesterRequest.h"

namespace {

void CheckParsed(std::string_view line) {
  const auto request = orvel::sim::ParseRequestLine(line);
  if (!request) return;
  ORVEL_FUZZ_CHECK(request->code >= 1 && request->code <= 3);
  ORVEL_FUZZ_CHECK(request->payload.size() == (request->code == orvel::sim::WriteCode ? 16U : 0U));
  if (request->payload.find('\r') != std::string::npos) return;  // the program never builds those
  const std::string rebuilt =
      orvel::BuildRequestLine(static_cast<orvel::RequestCode>(request->code), request->address, request->payload);
  ORVEL_FUZZ_CHECK(rebuilt == line);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  CheckParsed(input);

  orvel::sim::LineAssembler assembler;
  std::size_t fed = 0;
  // Fed in pieces of varying size, as the pseudo-terminal delivers them.
  for (std::size_t piece = 1; fed < size; piece = piece * 3 % 17 + 1) {
    const std::string_view bytes = input.substr(fed, piece);
    fed += bytes.size();
    for (const std::string& line : assembler.Feed(bytes)) {
      ORVEL_FUZZ_CHECK(!line.empty() && line.back() == '\r');
      ORVEL_FUZZ_CHECK(line.find('\r') == line.size() - 1);
      ORVEL_FUZZ_CHECK(line.size() <= orvel::sim::LineAssembler::LongestKeptLine + 1);
      CheckParsed(line);
    }
  }
  return 0;
}
