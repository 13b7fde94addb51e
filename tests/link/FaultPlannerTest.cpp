#include "simulator/FaultPlanner.h"
#include "simulator/SystemError.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace orvel::sim {
namespace {

std::vector<FaultKind> KindsOf(const std::vector<ChosenFault>& faults) {
  std::vector<FaultKind> kinds;
  for (const ChosenFault& fault : faults) {
    kinds.push_back(fault.kind);
  }
  return kinds;
}

std::string Line(std::size_t number) { return "!00003FF" + std::to_string(10 + number) + "\r"; }

TEST(FaultPlanner, LineRuleHitsOnlyThatLine) {
  FaultPlanner planner;
  planner.AddRule({FaultKind::WrongChecksum, 3, std::nullopt, 1, {}});
  std::vector<std::size_t> hit;
  for (std::size_t number = 1; number <= 6; ++number) {
    if (!planner.Choose(number, 0xFF00, Line(number)).empty()) {
      hit.push_back(number);
    }
  }
  EXPECT_EQ(hit, std::vector<std::size_t>{3});
}

TEST(FaultPlanner, AddressRuleHitsAsOftenAsAllowed) {
  for (const std::size_t times : {1U, 2U, 0U}) {
    FaultPlanner planner;
    planner.AddRule({FaultKind::NoAnswer, std::nullopt, 0xFE08, times, {}});
    std::size_t hits = 0;
    for (std::size_t number = 1; number <= 10; ++number) {
      const std::uint16_t address = number % 2 == 0 ? 0xFE08 : 0xFE00;
      hits += planner.Choose(number, address, Line(number)).size();
    }
    EXPECT_EQ(hits, times == 0 ? 5U : times) << "times = " << times;
  }
}

TEST(FaultPlanner, FaultsOnOneRequestComeInTheirOrder) {
  FaultPlanner planner;
  planner.AddRule({FaultKind::InPieces, 1, std::nullopt, 1, {}});
  planner.AddRule({FaultKind::NoiseBefore, 1, std::nullopt, 1, {}});
  planner.AddRule({FaultKind::NulByte, std::nullopt, std::nullopt, 1, {}});
  EXPECT_EQ(KindsOf(planner.Choose(1, 0x01C2, Line(1))),
            (std::vector<FaultKind>{FaultKind::NulByte, FaultKind::NoiseBefore, FaultKind::InPieces}));
}

TEST(FaultPlanner, WithholdsUntilTheChosenResend) {
  FaultSettings settings;
  settings.resendsBeforeAnswer = 2;
  FaultPlanner planner;
  planner.AddRule({FaultKind::AnswerFromResend, std::nullopt, 0xFF08, 0, settings});

  const std::string request = "!00003FF08\r";
  std::vector<std::size_t> withheld;
  for (std::size_t send = 1; send <= 4; ++send) {
    if (!planner.Choose(send, 0xFF08, request).empty()) {
      withheld.push_back(send);
    }
  }
  // Sends 1 and 2 are not heard, the second re-send (send 3) is answered, and send 4
  // starts the count again because the rule has no limit.
  EXPECT_EQ(withheld, (std::vector<std::size_t>{1, 2, 4}));
}

TEST(FaultPlanner, AnotherRequestEndsTheWithholding) {
  FaultSettings settings;
  settings.resendsBeforeAnswer = 3;
  FaultPlanner planner;
  planner.AddRule({FaultKind::AnswerFromResend, 1, std::nullopt, 1, settings});
  EXPECT_FALSE(planner.Choose(1, 0xFF08, "!00003FF08\r").empty());
  EXPECT_TRUE(planner.Choose(2, 0xFF10, "!00003FF10\r").empty());
  EXPECT_TRUE(planner.Choose(3, 0xFF08, "!00003FF08\r").empty());
}

std::vector<FaultKind> Draw(std::uint64_t seed, double probability, std::vector<FaultKind> kinds = {}) {
  FaultPlanner planner;
  planner.SetRandomFaults({seed, probability, std::move(kinds), {}});
  std::vector<FaultKind> drawn;
  for (std::size_t number = 1; number <= 200; ++number) {
    for (const ChosenFault& fault : planner.Choose(number, 0xFF00, Line(number))) {
      drawn.push_back(fault.kind);
    }
  }
  return drawn;
}

TEST(FaultPlanner, RandomFaultsRepeatWithTheSeed) {
  const auto first = Draw(42, 0.3);
  EXPECT_EQ(first, Draw(42, 0.3));
  EXPECT_NE(first, Draw(43, 0.3));
  EXPECT_GT(first.size(), 20U);
  EXPECT_LT(first.size(), 120U);
  EXPECT_EQ(std::count(first.begin(), first.end(), FaultKind::HangUp), 0);
}

// A soak that names no kinds must meet the whole fault model but the hang-up.
TEST(FaultPlanner, RandomFaultsWithoutKindsDrawEveryKindButHangUp) {
  const auto drawn = Draw(5, 1.0);
  std::set<FaultKind> expected(AllFaultKinds().begin(), AllFaultKinds().end());
  expected.erase(FaultKind::HangUp);
  EXPECT_EQ(std::set<FaultKind>(drawn.begin(), drawn.end()), expected);
}

TEST(FaultPlanner, RandomFaultsKeepToTheirKindsAndProbability) {
  EXPECT_TRUE(Draw(1, 0.0).empty());
  const auto always = Draw(1, 1.0, {FaultKind::LateAnswer, FaultKind::TwoAnswers});
  EXPECT_EQ(always.size(), 200U);
  for (const FaultKind kind : always) {
    EXPECT_TRUE(kind == FaultKind::LateAnswer || kind == FaultKind::TwoAnswers);
  }
}

TEST(FaultPlanner, RefusesMeaninglessSettings) {
  FaultPlanner planner;
  FaultSettings noPieces;
  noPieces.pieces = 0;
  EXPECT_THROW(planner.AddRule({FaultKind::InPieces, 1, std::nullopt, 1, noPieces}), ESimulator);
  FaultSettings noResend;
  noResend.resendsBeforeAnswer = 0;
  EXPECT_THROW(planner.AddRule({FaultKind::AnswerFromResend, 1, std::nullopt, 1, noResend}), ESimulator);
  EXPECT_THROW(planner.SetRandomFaults({1, 1.5, {}, {}}), ESimulator);
}

TEST(FaultKinds, NamesRoundTrip) {
  EXPECT_EQ(AllFaultKinds().size(), 16U);
  for (const FaultKind kind : AllFaultKinds()) {
    EXPECT_EQ(FaultKindFromName(FaultKindName(kind)), kind);
  }
  EXPECT_FALSE(FaultKindFromName("bogus").has_value());
}

}  // namespace
}  // namespace orvel::sim
