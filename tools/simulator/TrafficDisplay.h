#pragma once

#include "simulator/TesterSimulator.h"

#include <chrono>
#include <ostream>
#include <string>
#include <string_view>

namespace orvel::sim {

// Bytes as a person can read them on a terminal: printable ASCII as is, a carriage return
// as <CR>, a line feed as <LF>, anything else as <xx> in hex.
std::string VisibleBytes(std::string_view bytes);

// One line per event, with the seconds since `start`.
void ShowTraffic(std::ostream& out, const TrafficEvent& event, std::chrono::steady_clock::time_point start);

}  // namespace orvel::sim
