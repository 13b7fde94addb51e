#include "link/RequestLine.h"

#include "link/HexDigits.h"
#include "link/ProtocolError.h"

#include <string>

namespace orvel {
namespace {

constexpr std::string_view LeadIn = "!0000";

void CheckPayload(RequestCode code, std::string_view payload) {
  const std::size_t expected = code == RequestCode::Write ? IdTextLength : 0;
  if (payload.size() != expected) {
    throw EProtocol("A request with code " + std::to_string(static_cast<unsigned>(code)) + " carries " +
                    std::to_string(expected) + " payload characters, not " + std::to_string(payload.size()) + ".");
  }
  if (payload.find(RequestTerminator) != std::string_view::npos) {
    throw EProtocol(
        "The text to send holds a carriage return, which the tester would take as "
        "the end of the request. Remove it from the ID or name and send again.");
  }
}

}  // namespace

std::string BuildRequestLine(RequestCode code, TesterAddress address, std::string_view payload) {
  CheckPayload(code, payload);
  std::string line(LeadIn);
  line += std::to_string(static_cast<unsigned>(code));
  AppendUpperHex(line, address, 4);
  line.append(payload);
  line.push_back(RequestTerminator);
  return line;
}

}  // namespace orvel
