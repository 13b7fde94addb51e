#include <gtest/gtest.h>

#include <sstream>

#include "SoakRun.h"

namespace orvel::testing {
namespace {

// A short soak: enough transfers for every kind to meet faults of every kind, a simulated
// tester for each timing profile (the follow-up answered late or never, slow writes), and
// later testers to show that the first one's resources were all given back.
TEST(SoakTest, TransfersUnderRandomFaultsAndTimingsStoreAndSendOnlyTheRightIds) {
  SoakPlan plan;
  plan.transfers = 32;
  plan.transfersPerTester = 8;
  std::ostringstream progress;
  const SoakReport report = RunSoak(plan, &progress);

  std::ostringstream summary;
  PrintSoakReport(summary, report);
  EXPECT_TRUE(report.violations.empty()) << summary.str();
  EXPECT_EQ(report.idsInAWrongSlot, 0U) << summary.str();
  EXPECT_EQ(report.wrongCompanyNames, 0U) << summary.str();
  EXPECT_EQ(report.failuresReportedAsSuccess, 0U) << summary.str();
  EXPECT_EQ(report.Transfers(), plan.transfers) << summary.str();
  EXPECT_GT(report.faultsInjected, 0U) << summary.str();
  std::size_t failures = 0;
  for (const std::size_t failed : report.failed) failures += failed;
  EXPECT_GT(failures, 0U) << "no transfer met enough faults to fail\n" << summary.str();
  for (std::size_t kind = 0; kind < kTransferKinds; ++kind) {
    EXPECT_GT(report.succeeded[kind], 0U) << TransferKindName(static_cast<TransferKind>(kind)) << "\n" << summary.str();
  }
}

// At the window's own 100 ms poll, without faults: a tester that answers the follow-up
// request after 330-600 ms and the company name after 40-100 ms. Its late follow-up
// answer must never be shown as the company name.
TEST(SoakTest, LateFollowUpAnswerIsNeverTakenForTheCompanyName) {
  SoakPlan plan;
  plan.transfers = 4;
  plan.faultProbability = 0.0;
  plan.pollPeriod = std::chrono::milliseconds(100);
  plan.timings = {StandardTimings()[1]};
  plan.kinds = {TransferKind::ReadCompanyName};
  const SoakReport report = RunSoak(plan);

  std::ostringstream summary;
  PrintSoakReport(summary, report);
  EXPECT_TRUE(report.violations.empty()) << summary.str();
  EXPECT_EQ(report.wrongCompanyNames, 0U) << summary.str();
  EXPECT_EQ(report.succeeded[static_cast<std::size_t>(TransferKind::ReadCompanyName)], plan.transfers) << summary.str();
}

}  // namespace
}  // namespace orvel::testing
