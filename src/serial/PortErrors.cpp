#include "serial/PortErrors.h"

#include <algorithm>
#include <array>
#include <utility>

namespace orvel {

namespace {

constexpr int kBadId = -2001;
constexpr int kCommNotOpen = -2007;
constexpr int kAlreadyOpen = -2008;
constexpr int kOutputBufferTooSmall = -3006;
constexpr int kBufferIsEmpty = -3007;

constexpr std::array<std::pair<int, std::string_view>, 27> kSystemErrorTexts{{
    {2, "File not found"},
    {3, "Path not found"},
    {4, "Too many open files"},
    {5, "File access denied"},
    {6, "Invalid file handle"},
    {8, "Insufficient memory"},
    {15, "Invalid drive"},
    {18, "No more files"},
    {100, "Attempt to read beyond end of file"},
    {101, "Disk is full"},
    {102, "File/device not assigned"},
    {103, "File/device not open"},
    {104, "File/device not open for input"},
    {105, "File/device not open for output"},
    {150, "Disk is write-protected"},
    {151, "Unknown disk unit"},
    {152, "Drive is not ready"},
    {153, "Unknown command"},
    {154, "Data error"},
    {155, "Bad request structure length"},
    {156, "Seek error"},
    {157, "Unknown media type"},
    {158, "Disk sector not found"},
    {159, "Printer is out of paper"},
    {160, "Device write error"},
    {161, "Device read error"},
    {162, "General failure"},
}};

bool IsControl(char character) noexcept {
  const auto code = static_cast<unsigned char>(character);
  return code < 0x20 || code == 0x7F;
}

}  // namespace

EPortError::EPortError(int errorCode, const std::string& message)
    : std::runtime_error(message), errorCode_(errorCode) {}

EBadId::EBadId() : EOpenComm(kBadId, "ie_BadId - Specified comport doesn't exist") {}

EAlreadyOpen::EAlreadyOpen() : EOpenComm(kAlreadyOpen, "ie_Open - device already open") {}

ECommNotOpen::ECommNotOpen() : EOpenComm(kCommNotOpen, "ie_NOpen - device not open") {}

EBufferIsEmpty::EBufferIsEmpty() : ESerialIO(kBufferIsEmpty, "Buffer is empty") {}

EOutputBufferTooSmall::EOutputBufferTooSmall()
    : ESerialIO(kOutputBufferTooSmall, "Output buffer too small for block") {}

EInOutError::EInOutError(int errorCode, const std::string& message, int hostError)
    : std::runtime_error(message), errorCode_(errorCode), hostError_(hostError) {}

std::optional<std::string_view> PortSystemErrorText(int systemErrorNumber) noexcept {
  const auto entry = std::ranges::find(kSystemErrorTexts, systemErrorNumber, &std::pair<int, std::string_view>::first);
  if (entry == kSystemErrorTexts.end()) {
    return std::nullopt;
  }
  return entry->second;
}

std::string OneLineMessage(std::string_view text) {
  std::string line;
  line.reserve(text.size());
  for (const char character : text) {
    const char shown = IsControl(character) ? ' ' : character;
    if (shown == ' ' && !line.empty() && line.back() == ' ') {
      continue;
    }
    line.push_back(shown);
  }
  return line;
}

}  // namespace orvel
