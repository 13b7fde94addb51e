#include "simulator/SimulatorCommandLine.h"
#include "simulator/SystemError.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string_view>
#include <vector>

namespace orvel::sim {
namespace {

TEST(SimulatorCommandLine, ReadsContentsIdentityAndPacing) {
  const SimulatorSetup setup =
      ParseCommandLine({"--trailer", "1=TR-0001", "--vehicle", "32=VH 32", "--company", "Acme Brakes", "--serial",
                        "2143", "--pacing", "immediate", "--silent-follow-up", "--no-address-echo"});
  ASSERT_EQ(setup.trailerIds.size(), 1U);
  EXPECT_EQ(setup.trailerIds[0], (std::pair<std::size_t, std::string>{0, "TR-0001"}));
  EXPECT_EQ(setup.vehicleIds[0], (std::pair<std::size_t, std::string>{31, "VH 32"}));
  EXPECT_EQ(setup.companyName, "Acme Brakes");
  EXPECT_EQ(setup.identity.serial, "2143");
  EXPECT_EQ(setup.pacing, Pacing::Immediate);
  EXPECT_EQ(setup.followUpFrame, FollowUpFrame::Never);
  EXPECT_FALSE(setup.echoesAddress);
  EXPECT_TRUE(ParseCommandLine({}).echoesAddress);
}

TEST(SimulatorCommandLine, ReadsFaultRules) {
  const SimulatorSetup setup =
      ParseCommandLine({"--fault", "late:address=FF08,delay=2500,times=0", "--fault", "from-resend:line=7,resends=2",
                        "--fault", "duplicate-later:delay=300", "--fault", "held-for-next", "--fault", "request-lost"});
  ASSERT_EQ(setup.faultRules.size(), 5U);
  const FaultRule& late = setup.faultRules[0];
  EXPECT_EQ(late.kind, FaultKind::LateAnswer);
  EXPECT_EQ(late.onAddress, 0xFF08);
  EXPECT_FALSE(late.onLine.has_value());
  EXPECT_EQ(late.times, 0U);
  EXPECT_EQ(late.settings.delay, std::chrono::milliseconds(2500));
  const FaultRule& resend = setup.faultRules[1];
  EXPECT_EQ(resend.onLine, 7U);
  EXPECT_EQ(resend.settings.resendsBeforeAnswer, 2U);
  EXPECT_EQ(setup.faultRules[2].kind, FaultKind::DuplicateLater);
  EXPECT_EQ(setup.faultRules[2].settings.delay, std::chrono::milliseconds(300));
  EXPECT_EQ(setup.faultRules[3].kind, FaultKind::HeldForNext);
  EXPECT_EQ(setup.faultRules[4].kind, FaultKind::RequestLost);
}

TEST(SimulatorCommandLine, ReadsRandomFaults) {
  const SimulatorSetup setup = ParseCommandLine({"--random-faults", "0.25:seed=9,kinds=pieces+no-answer,gap=40"});
  ASSERT_TRUE(setup.randomFaults.has_value());
  EXPECT_DOUBLE_EQ(setup.randomFaults->probability, 0.25);
  EXPECT_EQ(setup.randomFaults->seed, 9U);
  EXPECT_EQ(setup.randomFaults->kinds, (std::vector<FaultKind>{FaultKind::InPieces, FaultKind::NoAnswer}));
  EXPECT_EQ(setup.randomFaults->settings.gap, std::chrono::milliseconds(40));
}

TEST(SimulatorCommandLine, ReadsAnswerDelaysPerKindOfRequest) {
  const SimulatorSetup setup = ParseCommandLine(
      {"--delay", "follow-up=330-600", "--delay", "read=40", "--delay", "write=40-100", "--timing-seed", "9"});
  EXPECT_EQ(setup.timing.followUp.least, std::chrono::milliseconds(330));
  EXPECT_EQ(setup.timing.followUp.most, std::chrono::milliseconds(600));
  EXPECT_EQ(setup.timing.read.least, std::chrono::milliseconds(40));
  EXPECT_EQ(setup.timing.read.most, std::chrono::milliseconds(40));
  EXPECT_EQ(setup.timing.write.most, std::chrono::milliseconds(100));
  EXPECT_EQ(setup.timing.identify.most, std::chrono::milliseconds(0));
  EXPECT_EQ(setup.timing.seed, 9U);
  EXPECT_EQ(setup.followUpFrame, FollowUpFrame::Short);
  EXPECT_FALSE(setup.followUpAfter.has_value());
  EXPECT_EQ(ParseCommandLine({"--delay", "follow-up=never"}).followUpFrame, FollowUpFrame::Never);

  const SimulatorSetup aside = ParseCommandLine({"--follow-up", "long", "--follow-up-after", "2000"});
  EXPECT_EQ(aside.followUpFrame, FollowUpFrame::Long);
  EXPECT_EQ(aside.followUpAfter, std::chrono::milliseconds(2000));
  EXPECT_EQ(ParseCommandLine({"--follow-up", "never"}).followUpFrame, FollowUpFrame::Never);
}

TEST(SimulatorCommandLine, HelpNamesEveryFaultKind) {
  for (const FaultKind kind : AllFaultKinds()) {
    EXPECT_NE(CommandLineHelp().find(FaultKindName(kind)), std::string_view::npos) << FaultKindName(kind);
  }
}

TEST(SimulatorCommandLine, RefusesWhatItCannotUnderstand) {
  const std::vector<std::vector<std::string_view>> refused = {
      {"--trailer", "33=X"},
      {"--trailer", "0=X"},
      {"--trailer", "TR"},
      {"--fault", "sideways"},
      {"--fault", "late:delay"},
      {"--fault", "late:colour=red"},
      {"--fault", "pieces:pieces=0"},
      {"--fault", "nul:address=1FFFF"},
      {"--random-faults", "1.5"},
      {"--pacing", "fast"},
      {"--delay", "fetch=10"},
      {"--delay", "read=100-40"},
      {"--delay", "read=never"},
      {"--delay", "write"},
      {"--follow-up", "sideways"},
      {"--follow-up-after", "soon"},
      {"--follow-up-after"},
      {"--company"},
      {"stray"},
  };
  for (const auto& arguments : refused) {
    EXPECT_THROW(ParseCommandLine(arguments), ESimulator) << arguments[0] << ' ' << arguments.back();
  }
}

}  // namespace
}  // namespace orvel::sim
