#include "simulator/TrafficDisplay.h"

#include "simulator/TesterFrame.h"

#include <cstdio>

namespace orvel::sim {

std::string VisibleBytes(std::string_view bytes) {
  std::string visible;
  for (const char byte : bytes) {
    const auto code = static_cast<unsigned char>(byte);
    if (byte == '\r') {
      visible += "<CR>";
    } else if (byte == '\n') {
      visible += "<LF>";
    } else if (code >= 0x20 && code < 0x7F && byte != '<') {
      visible.push_back(byte);
    } else {
      visible.append("<").append(UpperHex(code, 2)).append(">");
    }
  }
  return visible;
}

void ShowTraffic(std::ostream& out, const TrafficEvent& event, std::chrono::steady_clock::time_point start) {
  const double seconds = std::chrono::duration<double>(event.at - start).count();
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "[%9.3f] #%-4zu ", seconds, event.lineNumber);
  out << stamp;
  switch (event.kind) {
    case TrafficKind::LineReceived:
      out << "<- " << VisibleBytes(event.bytes);
      break;
    case TrafficKind::ReplySent:
      out << "-> " << VisibleBytes(event.bytes);
      break;
    case TrafficKind::FaultInjected:
      out << "   fault: " << FaultKindName(*event.fault);
      break;
    case TrafficKind::HungUp:
      out << "   line hung up; press Ctrl+C to end";
      break;
  }
  out << std::endl;
}

}  // namespace orvel::sim
