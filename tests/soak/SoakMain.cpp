// The long soak: orvel-soak [transfers] [seed] [fault chance]. Prints its progress and a summary, and
// exits non-zero when any check failed.
#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>

#include "SoakRun.h"

int main(int argc, char** argv) {
  try {
    orvel::testing::SoakPlan plan;
    plan.transfers = 1000;
    if (argc > 1) plan.transfers = std::stoul(argv[1]);
    if (argc > 2) plan.seed = std::stoull(argv[2]);
    if (argc > 3) plan.faultProbability = std::stod(argv[3]);
    std::cout << "Soak: " << plan.transfers << " transfers, seed " << plan.seed << ", fault chance "
              << plan.faultProbability << " per request line, poll every " << plan.pollPeriod.count() << " ms"
              << std::endl;
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
