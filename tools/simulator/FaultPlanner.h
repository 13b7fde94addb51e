#pragma once

#include "simulator/Faults.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace orvel::sim {

struct ChosenFault {
  FaultKind kind;
  FaultSettings settings;
};

// Decides, request by request, which faults hit. Rules come first; random faults are
// drawn only for requests no rule hit. Not synchronised: the simulator guards it.
class FaultPlanner {
 public:
  FaultPlanner();

  void AddRule(const FaultRule& rule);
  void SetRandomFaults(const RandomFaults& random);
  void Clear();

  // The faults for one well-formed request line, in the order they are to be applied.
  std::vector<ChosenFault> Choose(std::size_t lineNumber, std::uint16_t address, std::string_view line);

  // The source of noise bytes, seeded with the random faults' seed so a run repeats.
  std::mt19937_64& Random() { return m_random; }

 private:
  struct ActiveRule {
    FaultRule rule;
    std::size_t hits = 0;
  };
  // A request that is not heard until it has been re-sent often enough.
  struct Withheld {
    std::string line;
    std::size_t sends = 0;
    FaultSettings settings;
  };

  std::vector<ChosenFault> FromRules(std::size_t lineNumber, std::uint16_t address);
  std::optional<ChosenFault> FromChance();

  std::vector<ActiveRule> m_rules;
  std::optional<RandomFaults> m_chance;
  std::mt19937_64 m_random;
  std::optional<Withheld> m_withheld;
};

}  // namespace orvel::sim
