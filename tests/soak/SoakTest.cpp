#include <gtest/gtest.h>

#include <sstream>

#include "SoakRun.h"

namespace orvel::testing {
namespace {

// A short soak: enough transfers for every kind to meet faults of every kind, and for a
// second simulated tester to show that the first one's resources were all given back.
TEST(SoakTest, TransfersUnderRandomFaultsStoreAndSendOnlyTheRightIds) {
  SoakPlan plan;
  plan.transfers = 50;
  std::ostringstream progress;
  const SoakReport report = RunSoak(plan, &progress);

  std::ostringstream summary;
  PrintSoakReport(summary, report);
  EXPECT_TRUE(report.violations.empty()) << summary.str();
  EXPECT_EQ(report.Transfers(), plan.transfers) << summary.str();
  EXPECT_GT(report.faultsInjected, 0U) << summary.str();
  std::size_t failures = 0;
  for (const std::size_t failed : report.failed) failures += failed;
  EXPECT_GT(failures, 0U) << "no transfer met enough faults to fail\n" << summary.str();
  for (std::size_t kind = 0; kind < kTransferKinds; ++kind) {
    EXPECT_GT(report.succeeded[kind], 0U) << TransferKindName(static_cast<TransferKind>(kind)) << "\n" << summary.str();
  }
}

}  // namespace
}  // namespace orvel::testing
