#include "simulator/TesterRequest.h"

namespace orvel::sim {
namespace {

constexpr std::string_view LeadIn = "!0000";
constexpr char Terminator = '\r';
constexpr std::size_t AddressDigits = 4;
constexpr std::size_t LineWithoutPayload = LeadIn.size() + 1 + AddressDigits + 1;

std::optional<std::uint16_t> ParseAddress(std::string_view digits) {
  unsigned value = 0;
  for (const char digit : digits) {
    unsigned nibble = 0;
    if (digit >= '0' && digit <= '9') {
      nibble = static_cast<unsigned>(digit - '0');
    } else if (digit >= 'A' && digit <= 'F') {
      nibble = static_cast<unsigned>(digit - 'A' + 10);
    } else {
      return std::nullopt;
    }
    value = value * 16 + nibble;
  }
  return static_cast<std::uint16_t>(value);
}

}  // namespace

std::optional<TesterRequest> ParseRequestLine(std::string_view line) {
  if (line.size() < LineWithoutPayload || !line.starts_with(LeadIn) || line.back() != Terminator) {
    return std::nullopt;
  }
  const char codeDigit = line[LeadIn.size()];
  if (codeDigit < '1' || codeDigit > '3') {
    return std::nullopt;
  }
  TesterRequest request;
  request.code = codeDigit - '0';
  const auto address = ParseAddress(line.substr(LeadIn.size() + 1, AddressDigits));
  if (!address) {
    return std::nullopt;
  }
  request.address = *address;
  request.payload = std::string(line.substr(LineWithoutPayload - 1, line.size() - LineWithoutPayload));
  const std::size_t expectedPayload = request.code == WriteCode ? PayloadLength : 0;
  if (request.payload.size() != expectedPayload) {
    return std::nullopt;
  }
  return request;
}

std::vector<std::string> LineAssembler::Feed(std::string_view bytes) {
  std::vector<std::string> lines;
  for (const char byte : bytes) {
    m_pending.push_back(byte);
    if (byte == Terminator) {
      lines.push_back(std::move(m_pending));
      m_pending.clear();
    } else if (m_pending.size() > LongestKeptLine) {
      m_pending.clear();
    }
  }
  return lines;
}

}  // namespace orvel::sim
