#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <string>

#include "OperatorSequence.h"

namespace orvel {
namespace {

using testing::OperatorSequence;

std::uint64_t EnvironmentNumber(const char* name, std::uint64_t fallback) {
  const char* text = std::getenv(name);
  return text != nullptr && *text != '\0' ? std::stoull(text) : fallback;
}

// A short run: OPERATOR_SEED and OPERATOR_STEPS choose a longer one, which
// scripts/operator-sequences.sh runs.
TEST_F(OperatorSequence, StoreGridListAndTesterFollowTheOperatorsSteps) {
  const auto started = std::chrono::steady_clock::now();
  const std::uint64_t seed = EnvironmentNumber("OPERATOR_SEED", 20261208);
  const int steps = static_cast<int>(EnvironmentNumber("OPERATOR_STEPS", 300));
  Run(seed, steps);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::cout << "operator sequence: seed " << seed << ", steps " << steps << ", transfers " << Transfers() << ", boxes "
            << BoxesSeen() << ", seconds " << seconds << ", failures " << (HasFailure() ? 1 : 0) << "\n";
}

}  // namespace
}  // namespace orvel
