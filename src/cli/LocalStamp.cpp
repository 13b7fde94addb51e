#include "cli/LocalStamp.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <string>

#include "cli/Console.h"
#include "store/IdListTableName.h"

namespace orvel::cli {
namespace {

bool PlainText(const std::string& text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= ' ' && c < 0x7F; });
}

std::string Written(const std::tm& when, const char* format) {
  char text[64];
  return std::string(text, std::strftime(text, sizeof text, format, &when));
}

// The locale's format where it writes plain text that tells apart the moments a stamp
// must (days for the date, seconds for the time); the plain format otherwise.
std::string Formatted(const std::tm& when, const char* format, const char* plainFormat, int std::tm::*unit) {
  std::tm next = when;
  next.*unit = when.*unit == 1 ? 2 : 1;
  const std::string written = Written(when, format);
  if (PlainText(written) && written != Written(next, format)) return written;
  return Written(when, plainFormat);
}

}  // namespace

CreationStampClock LocalStampClock() {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  return [now](int secondsLater) {
    const std::time_t then = now + secondsLater;
    const std::tm local = LocalTime(then);
    const bool midnight = local.tm_hour == 0 && local.tm_min == 0 && local.tm_sec == 0;
    return CreationStamp(Formatted(local, "%x", "%Y-%m-%d", &std::tm::tm_mday),
                         Formatted(local, "%X", "%H:%M:%S", &std::tm::tm_sec), midnight);
  };
}

}  // namespace orvel::cli
