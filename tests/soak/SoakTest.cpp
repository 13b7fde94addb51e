#include <gtest/gtest.h>

#include <cctype>
#include <optional>
#include <sstream>
#include <string>
#include <tuple>

#include "SoakRun.h"
#include "simulator/Faults.h"

namespace orvel::testing {
namespace {

// Checks that no transfer of the run stored, sent or showed a wrong ID or name, or
// reported a failure as success; returns the run's summary for further checks.
std::string ExpectEveryTransferRight(const SoakPlan& plan, const SoakReport& report) {
  std::ostringstream summary;
  PrintSoakReport(summary, report);
  EXPECT_TRUE(report.violations.empty()) << summary.str();
  EXPECT_EQ(report.idsInAWrongSlot, 0U) << summary.str();
  EXPECT_EQ(report.wrongCompanyNames, 0U) << summary.str();
  EXPECT_EQ(report.failuresReportedAsSuccess, 0U) << summary.str();
  EXPECT_EQ(report.Transfers(), plan.transfers) << summary.str();
  return summary.str();
}

// A short soak: enough transfers for every kind to meet faults of every kind, a simulated
// tester for each timing profile (the follow-up answered late or never, slow writes), and
// later testers to show that the first one's resources were all given back.
TEST(SoakTest, TransfersUnderRandomFaultsAndTimingsStoreAndSendOnlyTheRightIds) {
  SoakPlan plan;
  plan.transfers = 32;
  plan.transfersPerTester = 8;
  // Most faults are now recovered from; a higher rate still makes some transfer fail.
  plan.faultProbability = 0.3;
  std::ostringstream progress;
  const SoakReport report = RunSoak(plan, &progress);

  const std::string summary = ExpectEveryTransferRight(plan, report);
  EXPECT_GT(report.faultsInjected, 0U) << summary;
  std::size_t failures = 0;
  for (const std::size_t failed : report.failed) failures += failed;
  EXPECT_GT(failures, 0U) << "no transfer met enough faults to fail\n" << summary;
  for (std::size_t kind = 0; kind < kTransferKinds; ++kind) {
    EXPECT_GT(report.succeeded[kind], 0U) << TransferKindName(static_cast<TransferKind>(kind)) << "\n" << summary;
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

  const std::string summary = ExpectEveryTransferRight(plan, report);
  EXPECT_EQ(report.succeeded[static_cast<std::size_t>(TransferKind::ReadCompanyName)], plan.transfers) << summary;
}

// The line's fault model, one behaviour at a time: each fault the simulated tester can
// inject (on about a third of the requests), and each way of timing its answers (the
// follow-up answered late, very late, with a long frame or never; slow writes); a lost
// request also beside a follow-up answered late. Every kind of transfer, against a tester
// with and without the request's address in its answers, must store or send exactly what
// it should, or fail saying so.
struct LineBehaviour {
  std::optional<sim::FaultKind> fault;
  TimingProfile timing;
};

std::vector<LineBehaviour> FaultModel() {
  const std::vector<TimingProfile> timings = StandardTimings();
  std::vector<LineBehaviour> behaviours;
  for (const sim::FaultKind kind : sim::AllFaultKinds()) {
    if (kind != sim::FaultKind::HangUp) behaviours.push_back({kind, timings[3]});
  }
  for (const TimingProfile& timing : timings) {
    if (timing.echoesAddress) behaviours.push_back({std::nullopt, timing});
  }
  for (const sim::FaultKind kind : {sim::FaultKind::RequestLost, sim::FaultKind::AnswerFromResend}) {
    behaviours.push_back({kind, timings[1]});
  }
  return behaviours;
}

void PrintTo(const LineBehaviour& behaviour, std::ostream* out) {
  *out << (behaviour.fault ? std::string(sim::FaultKindName(*behaviour.fault)) + ", " : std::string())
       << behaviour.timing.name;
}

class FaultModelTest : public ::testing::TestWithParam<std::tuple<LineBehaviour, bool>> {};

TEST_P(FaultModelTest, EveryTransferIsExactOrAnHonestFailure) {
  const auto& [behaviour, echoesAddress] = GetParam();
  SoakPlan plan;
  plan.transfers = kTransferKinds;
  // A tester of its own per transfer, so that the faults a transfer meets are its own: a
  // copy of one session's answer may land in the next session.
  plan.transfersPerTester = 1;
  plan.kindsInTurn = true;
  plan.timings = {behaviour.timing};
  plan.timings[0].echoesAddress = echoesAddress;
  plan.faultKinds = {behaviour.fault.value_or(sim::FaultKind::NoAnswer)};
  plan.faultProbability = behaviour.fault ? 0.3 : 0.0;
  plan.faultsWithoutAddress = true;
  ExpectEveryTransferRight(plan, RunSoak(plan));
}

std::string BehaviourName(const ::testing::TestParamInfo<std::tuple<LineBehaviour, bool>>& info) {
  const auto& [behaviour, echoesAddress] = info.param;
  std::string name = behaviour.fault ? std::string(sim::FaultKindName(*behaviour.fault)) + "_" : std::string();
  name += behaviour.timing.name;
  for (char& character : name) {
    if (!std::isalnum(static_cast<unsigned char>(character))) character = '_';
  }
  return name + (echoesAddress ? "_address" : "_no_address");
}

INSTANTIATE_TEST_SUITE_P(Line, FaultModelTest, ::testing::Combine(::testing::ValuesIn(FaultModel()), ::testing::Bool()),
                         BehaviourName);

}  // namespace
}  // namespace orvel::testing
