#pragma once

#include "simulator/AnswerTiming.h"
#include "simulator/Faults.h"
#include "simulator/ReplyWriter.h"
#include "simulator/TesterMemory.h"

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvel::sim {

class TesterSimulator;

// What the operator asked for on the command line of orvel-tester-sim.
struct SimulatorSetup {
  std::vector<std::pair<std::size_t, std::string>> trailerIds;  // 0-based slot, text
  std::vector<std::pair<std::size_t, std::string>> vehicleIds;
  std::optional<std::string> companyName;
  TesterIdentity identity;
  Pacing pacing = Pacing::Baud9600;
  FollowUpFrame followUpFrame = FollowUpFrame::Short;
  std::optional<std::chrono::milliseconds> followUpAfter;
  bool echoesAddress = true;
  AnswerTiming timing;
  std::vector<FaultRule> faultRules;
  std::optional<RandomFaults> randomFaults;
  bool helpRequested = false;

  void ApplyTo(TesterSimulator& simulator) const;
};

// Throws ESimulator naming the argument that could not be understood.
SimulatorSetup ParseCommandLine(const std::vector<std::string_view>& arguments);

std::string_view CommandLineHelp();

}  // namespace orvel::sim
