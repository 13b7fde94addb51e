#pragma once

#include <string>
#include <vector>

namespace orvel::sim {
class TesterSimulator;
}

namespace orvel::demo {

struct ExamplePair {
  std::string trailerId;
  std::string vehicleId;
};

// What a tester in a small haulage depot might hold: the first slots in use, the rest
// empty. Every ID keeps to the characters the ID grid accepts.
const std::vector<ExamplePair>& ExamplePairs();

inline constexpr const char* kExampleCompanyName = "Northway Haulage";

// Gives the simulated tester the example pairs, company name and identity.
void LoadExampleContent(sim::TesterSimulator& tester);

}  // namespace orvel::demo
