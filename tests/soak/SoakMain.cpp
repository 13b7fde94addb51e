// The long soak: orvel-soak [transfers] [seed] [fault chance] [profiles] [fault kinds]. Prints its
// progress and a summary, and exits non-zero when any check failed. profiles picks timing profiles by
// their number in the list printed at the start, comma-separated (for example 2 or 2,4); fault kinds
// picks faults by the simulator's names for them (for example late,no-answer). Both default to all.
#include <cstdlib>
#include <exception>
#include <iostream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "SoakRun.h"

namespace {

std::vector<orvel::testing::TimingProfile> PickedProfiles(const std::string& numbers) {
  const std::vector<orvel::testing::TimingProfile> all = orvel::testing::StandardTimings();
  std::vector<orvel::testing::TimingProfile> picked;
  std::istringstream list(numbers);
  for (std::string number; std::getline(list, number, ',');) {
    const std::size_t index = std::stoul(number);
    if (index < 1 || index > all.size()) {
      throw std::invalid_argument("there is no timing profile " + number + "; pick from 1 to " +
                                  std::to_string(all.size()));
    }
    picked.push_back(all[index - 1]);
  }
  return picked;
}

std::vector<orvel::sim::FaultKind> PickedFaultKinds(const std::string& names) {
  std::vector<orvel::sim::FaultKind> picked;
  std::istringstream list(names);
  for (std::string name; std::getline(list, name, ',');) {
    const std::optional<orvel::sim::FaultKind> kind = orvel::sim::FaultKindFromName(name);
    if (!kind) throw std::invalid_argument("there is no fault kind '" + name + "'; the simulator's names are used");
    picked.push_back(*kind);
  }
  return picked;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    orvel::testing::SoakPlan plan;
    plan.transfers = 1000;
    if (argc > 1) plan.transfers = std::stoul(argv[1]);
    if (argc > 2) plan.seed = std::stoull(argv[2]);
    if (argc > 3) plan.faultProbability = std::stod(argv[3]);
    if (argc > 4) plan.timings = PickedProfiles(argv[4]);
    if (argc > 5) plan.faultKinds = PickedFaultKinds(argv[5]);
    std::cout << "Soak: " << plan.transfers << " transfers, seed " << plan.seed << ", fault chance "
              << plan.faultProbability << " per request line"
              << (plan.faultKinds.empty() ? "" : " (" + std::to_string(plan.faultKinds.size()) + " kinds)")
              << ", poll every " << plan.pollPeriod.count() << " ms" << std::endl;
    std::cout << "Simulated testers answer, in turn:" << std::endl;
    for (const orvel::testing::TimingProfile& profile : plan.timings) {
      std::cout << "  " << profile.name << " (at a 100 ms poll; scaled to the soak's)" << std::endl;
    }
    const orvel::testing::SoakReport report = orvel::testing::RunSoak(plan, &std::cout);
    orvel::testing::PrintSoakReport(std::cout, report);
    return report.violations.empty() ? EXIT_SUCCESS : EXIT_FAILURE;
  } catch (const std::exception& error) {
    std::cerr << "orvel-soak: " << error.what() << std::endl;
    return EXIT_FAILURE;
  }
}
