// The simulator through a pseudo-terminal opened with plain POSIX calls; its frames are
// judged with the program's own frame code, which was written apart from the simulator's.
#include "Polling.h"
#include "PtyPeer.h"

#include "link/ReplyFrame.h"
#include "link/WireText.h"
#include "simulator/TesterSimulator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iterator>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace orvel {
namespace {

using sim::AnswerClock;
using sim::AnswerTiming;
using sim::ESimulator;
using sim::FaultKind;
using sim::FaultRule;
using sim::RequestKind;
using sim::TesterSimulator;
using test::PtyPeer;

const std::string Identify = "!000010190\r";
const std::string FollowUp = "!000010107\r";
const std::string ReadCompany = "!0000301C2\r";

std::string AnswerOf(const std::string& frame) { return JudgeTakenFrame(frame).dataField.substr(4); }

class SimulatorRaw : public ::testing::Test {
 protected:
  SimulatorRaw() {
    simulator.SetCompanyName("Acme Brakes");
    simulator.Start();
  }
  ~SimulatorRaw() override { EXPECT_EQ(simulator.Failure(), ""); }

  // A request whose answer is known; what arrives up to its end shows what came before it.
  std::string ReceiveUpToCompanyName() {
    peer.Send(ReadCompany);
    const std::string received = peer.ReceiveThrough("Acme Brakes     ", 3);
    EXPECT_EQ(JudgeTakenFrame(received.substr(received.size() - ShortReplyLength)).outcome,
              ReplyOutcome::TakenAndPassed);
    return received;
  }

  TesterSimulator simulator;
  PtyPeer peer{simulator.DevicePath()};
};

TEST_F(SimulatorRaw, IdentityDecodesBackToTheSerial) {
  simulator.SetIdentity({"2143", "Q7", "details"});
  peer.Send(Identify);
  const std::string frame = peer.Receive(LongReplyLength);

  const TakenReply reply = JudgeTakenFrame(frame);
  ASSERT_EQ(reply.outcome, ReplyOutcome::TakenAndPassed);
  EXPECT_EQ(reply.dataField.substr(0, 4), "0190") << "the address echoed";
  const std::string instrumentData = reply.dataField.substr(4);
  EXPECT_EQ(instrumentData.size(), 64U);
  EXPECT_EQ(instrumentData.substr(0, 8), "31323334");
  EXPECT_EQ(DecodeHexWords(instrumentData.substr(0, 8)), "2143");
  EXPECT_EQ(DecodeHexWords(instrumentData.substr(8, 4)), "Q7");
  EXPECT_EQ(instrumentData.substr(12), "details" + std::string(45, ' '));
}

struct ReadCase {
  std::string line;
  std::string answer;
};

class SimulatorReads : public SimulatorRaw, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(SimulatorReads, AnswerWithTheStoredText) {
  simulator.SetTrailerId(0, "TRAILER-FIRST");
  simulator.SetTrailerId(31, "0123456789ABCDEF");
  simulator.SetVehicleId(0, "VEHICLE-FIRST");
  simulator.SetVehicleId(1, "  spaced  ");
  simulator.SetVehicleId(31, "VEHICLE-LAST");

  peer.Send(GetParam().line);
  const std::string frame = peer.Receive(ShortReplyLength);
  ASSERT_EQ(JudgeTakenFrame(frame).outcome, ReplyOutcome::TakenAndPassed);
  EXPECT_EQ(JudgeTakenFrame(frame).dataField.substr(0, 4), GetParam().line.substr(6, 4)) << "the address echoed";
  EXPECT_EQ(AnswerOf(frame), GetParam().answer);
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, SimulatorReads,
    ::testing::Values(ReadCase{"!00003FF00\r", "TRAILER-FIRST   "}, ReadCase{"!00003FFF8\r", "0123456789ABCDEF"},
                      ReadCase{"!00003FE00\r", "VEHICLE-FIRST   "}, ReadCase{"!00003FE08\r", "  spaced        "},
                      ReadCase{"!00003FEF8\r", "VEHICLE-LAST    "}, ReadCase{"!00003FF08\r", std::string(16, ' ')},
                      ReadCase{"!0000301C2\r", "Acme Brakes     "}));

TEST_F(SimulatorRaw, WithoutTheAddressEchoAnswersStartWithZeros) {
  simulator.SetEchoesAddress(false);
  peer.Send(Identify);
  EXPECT_EQ(JudgeTakenFrame(peer.Receive(LongReplyLength)).dataField.substr(0, 4), "0000");
  peer.Send(ReadCompany);
  EXPECT_EQ(JudgeTakenFrame(peer.Receive(ShortReplyLength)).dataField.substr(0, 4), "0000");
}

TEST_F(SimulatorRaw, WriteStoresThePayloadAndAcknowledges) {
  peer.Send("!00002FE10NEW VEHICLE 3   \r");
  const TakenReply acknowledgement = JudgeTakenFrame(peer.Receive(ShortReplyLength));
  ASSERT_EQ(acknowledgement.outcome, ReplyOutcome::TakenAndPassed);
  EXPECT_EQ(acknowledgement.dataField.substr(0, 4), "FE10") << "the address echoed";
  EXPECT_EQ(simulator.VehicleId(2), "NEW VEHICLE 3   ");

  peer.Send("!00003FE10\r");
  EXPECT_EQ(AnswerOf(peer.Receive(ShortReplyLength)), "NEW VEHICLE 3   ");
  EXPECT_EQ(simulator.TrailerId(2), std::string(16, ' '));
}

// Request lines sent at once, and what the simulator writes for them: each write as the
// line it answers and the headers of its frames, "(77)" marking a long one.
struct LineOrderCase {
  std::string name;
  std::vector<FaultRule> faults{};
  std::vector<std::string> lines{};
  std::string writes{};
  sim::FollowUpFrame followUp = sim::FollowUpFrame::Short;
  std::optional<std::chrono::milliseconds> followUpAfter{};
  std::chrono::milliseconds readDelay{0};
};

class SimulatorLineOrder : public SimulatorRaw, public ::testing::WithParamInterface<LineOrderCase> {};

// Appended piece by piece: g++ 12 at -O3 warns falsely (-Wrestrict) about a literal + std::string.
std::string WriteSeen(const sim::TrafficEvent& event) {
  std::string seen = std::string("#").append(std::to_string(event.lineNumber));
  for (std::size_t start = 0; start < event.bytes.size();) {
    const std::size_t end = event.bytes.find('\r', start) + 1;
    seen.append(" ").append(event.bytes, start + 1, 5).append(end - start == LongReplyLength ? "(77)" : "");
    start = end;
  }
  return seen;
}

TEST_P(SimulatorLineOrder, WritesWholeFramesInTheirOrder) {
  std::mutex seenGuard;
  std::string seen;
  simulator.SetTrafficObserver([&](const sim::TrafficEvent& event) {
    if (event.kind == sim::TrafficKind::ReplySent) {
      const std::lock_guard lock(seenGuard);
      seen.append(seen.empty() ? "" : ", ").append(WriteSeen(event));
    }
  });
  for (const FaultRule& fault : GetParam().faults) {
    simulator.AddFaultRule(fault);
  }
  AnswerTiming timing;
  timing.read = {GetParam().readDelay, GetParam().readDelay};
  simulator.SetAnswerTiming(timing);
  simulator.SetFollowUpFrame(GetParam().followUp);
  simulator.SetFollowUpAnsweredAfter(GetParam().followUpAfter);
  for (const std::string& line : GetParam().lines) {
    peer.Send(line);
  }
  const auto written = [&] {
    const std::lock_guard lock(seenGuard);
    return seen;
  };
  test::PollUntil([&] { return written().size() >= GetParam().writes.size(); });
  EXPECT_EQ(written(), GetParam().writes);
}

FaultRule OnLine(std::size_t line, FaultKind kind, std::chrono::milliseconds delay = {}) {
  FaultRule rule{kind, line, std::nullopt, 1, {}};
  rule.settings.delay = delay;
  return rule;
}

const std::string ReadTrailer = "!00003FF00\r";
constexpr std::chrono::milliseconds Quick{50};
// Longer than any exchange of the lines sent at once takes, on a loaded machine too.
constexpr std::chrono::milliseconds Slow{400};

INSTANTIATE_TEST_SUITE_P(Faults, SimulatorLineOrder,
                         ::testing::Values(LineOrderCase{.name = "CopyFollowsSeveralLaterAnswers",
                                                         .faults = {OnLine(1, FaultKind::DuplicateLater, Slow)},
                                                         .lines = {ReadTrailer, ReadCompany, ReadCompany},
                                                         .writes = "#1 3FF00, #2 301C2, #3 301C2, #1 3FF00"},
                                           LineOrderCase{.name = "CopyLandsInTheGapBeforeTheNextAnswer",
                                                         .faults = {OnLine(1, FaultKind::DuplicateLater, Quick)},
                                                         .lines = {ReadTrailer, ReadCompany},
                                                         .writes = "#1 3FF00, #1 3FF00, #2 301C2",
                                                         .readDelay = Slow},
                                           LineOrderCase{.name = "HeldAnswerGoesOutJustBeforeTheNextOne",
                                                         .faults = {OnLine(1, FaultKind::HeldForNext)},
                                                         .lines = {ReadTrailer, ReadCompany},
                                                         .writes = "#2 3FF00 301C2"},
                                           LineOrderCase{.name = "LostRequestIsNotAnsweredNorReleasesAHeldAnswer",
                                                         .faults = {OnLine(1, FaultKind::HeldForNext),
                                                                    OnLine(2, FaultKind::RequestLost)},
                                                         .lines = {ReadTrailer, ReadCompany, ReadCompany},
                                                         .writes = "#3 3FF00 301C2"},
                                           LineOrderCase{.name = "FollowUpAnsweredAfterSeveralLaterRequests",
                                                         .lines = {FollowUp, ReadCompany, ReadCompany, ReadCompany},
                                                         .writes = "#2 301C2, #3 301C2, #4 301C2, #1 10107",
                                                         .followUpAfter = Slow},
                                           LineOrderCase{.name = "LongFollowUpAfterTheNextAnswer",
                                                         .lines = {FollowUp, ReadCompany},
                                                         .writes = "#2 301C2, #1 10107(77)",
                                                         .followUp = sim::FollowUpFrame::Long,
                                                         .followUpAfter = Slow},
                                           LineOrderCase{.name = "FollowUpNeverAnswered",
                                                         .lines = {FollowUp, ReadCompany},
                                                         .writes = "#2 301C2",
                                                         .followUp = sim::FollowUpFrame::Never}),
                         [](const ::testing::TestParamInfo<LineOrderCase>& example) { return example.param.name; });

// Each kind of request has its own delay from the request's last byte to its answer's
// first byte, and the tester answers one request at a time: a slow follow-up answer holds
// back the quick answer to the request sent right after it.
TEST_F(SimulatorRaw, AnswersEachKindAfterItsOwnDelayOneAtATime) {
  AnswerTiming timing;
  timing.followUp = {std::chrono::milliseconds(150), std::chrono::milliseconds(200)};
  timing.read = {std::chrono::milliseconds(0), std::chrono::milliseconds(5)};
  simulator.SetAnswerTiming(timing);

  const auto sent = std::chrono::steady_clock::now();
  peer.Send(FollowUp);
  peer.Send(ReadCompany);
  const std::string received = peer.Receive(2 * ShortReplyLength);
  const auto arrived = std::chrono::steady_clock::now();

  ASSERT_EQ(received.size(), 2 * ShortReplyLength);
  EXPECT_EQ(received.substr(1, 5), "10107");
  EXPECT_EQ(AnswerOf(received.substr(0, ShortReplyLength)), std::string(16, ' '));
  EXPECT_EQ(AnswerOf(received.substr(ShortReplyLength)), "Acme Brakes     ");
  EXPECT_GE(arrived - sent, std::chrono::milliseconds(150));
}

TEST(AnswerClock, DrawsRepeatableDelaysWithinEachKindsRange) {
  AnswerTiming timing;
  timing.write = {std::chrono::milliseconds(40), std::chrono::milliseconds(100)};
  timing.seed = 7;
  AnswerClock clock(timing);
  AnswerClock again(timing);
  std::set<long long> drawn;
  for (int request = 0; request < 200; ++request) {
    const std::chrono::milliseconds delay = clock.DelayFor(RequestKind::Write);
    EXPECT_EQ(delay, again.DelayFor(RequestKind::Write));
    EXPECT_GE(delay.count(), 40);
    EXPECT_LE(delay.count(), 100);
    drawn.insert(delay.count());
    EXPECT_EQ(clock.DelayFor(RequestKind::Read).count(), 0);
    EXPECT_EQ(again.DelayFor(RequestKind::Read).count(), 0);
  }
  EXPECT_GT(drawn.size(), 20U);
  timing.identify = {std::chrono::milliseconds(9), std::chrono::milliseconds(3)};
  EXPECT_THROW(AnswerClock{timing}, ESimulator);
}

TEST_F(SimulatorRaw, IgnoresLinesThatAreNotRequests) {
  const std::string garbage[] = {"!00003fe08\r", "!00004FE08\r", "!00002FE08short\r", "!00003FE08ABCDEFGHIJKLMNOP\r",
                                 "?00003FE08\r", "\r",           "!00003FE0\r",       "!00003FE08\n\r",
                                 "!00003FA00\r"};
  for (const std::string& line : garbage) {
    peer.Send(line);
  }
  EXPECT_EQ(ReceiveUpToCompanyName().size(), ShortReplyLength);

  const auto log = simulator.RequestLog();
  ASSERT_EQ(log.size(), std::size(garbage) + 1);
  for (std::size_t index = 0; index + 2 < log.size(); ++index) {
    EXPECT_EQ(log[index].text, garbage[index]);
    EXPECT_FALSE(log[index].wellFormed) << log[index].text;
  }
  EXPECT_TRUE(log[log.size() - 2].wellFormed) << "well formed, but no such address";
  EXPECT_TRUE(log.back().wellFormed);
}

TEST_F(SimulatorRaw, LogsEveryLineInOrderWithTimes) {
  const std::string lines[] = {Identify, FollowUp, "!00003FF00\r", "!00002FF00ABCDEFGHIJKLMNOP\r"};
  for (const std::string& line : lines) {
    peer.Send(line);
    peer.Receive(line == Identify ? LongReplyLength : ShortReplyLength);
  }
  const auto log = simulator.RequestLog();
  ASSERT_EQ(log.size(), std::size(lines));
  for (std::size_t index = 0; index < log.size(); ++index) {
    EXPECT_EQ(log[index].text, lines[index]);
    EXPECT_TRUE(log[index].wellFormed);
    if (index > 0) {
      EXPECT_GE(log[index].at, log[index - 1].at);
    }
  }
}

struct SpoiledFrameCase {
  FaultKind kind;
  std::size_t bytesSent;
};

class SimulatorSpoiledFrames : public SimulatorRaw, public ::testing::WithParamInterface<SpoiledFrameCase> {};

TEST_P(SimulatorSpoiledFrames, FailTheProgramsChecksAndAreRecorded) {
  simulator.AddFaultRule(FaultRule{GetParam().kind, 2, std::nullopt, 1, {}});
  peer.Send("!00003FF00\r");
  const std::string clean = peer.Receive(ShortReplyLength);
  peer.Send("!00003FF00\r");
  const std::string spoiled = peer.Receive(GetParam().bytesSent);

  EXPECT_EQ(JudgeTakenFrame(clean).outcome, ReplyOutcome::TakenAndPassed);
  EXPECT_EQ(spoiled.size(), GetParam().bytesSent);
  if (spoiled.size() == ShortReplyLength) {
    EXPECT_EQ(JudgeTakenFrame(spoiled).outcome, ReplyOutcome::TakenAndFailed);
  } else {
    EXPECT_NE(spoiled.find(clean), std::string::npos) << "the frame itself is sound";
  }
  const auto faults = simulator.InjectedFaults();
  ASSERT_EQ(faults.size(), 1U);
  EXPECT_EQ(faults[0].kind, GetParam().kind);
  EXPECT_EQ(faults[0].lineNumber, 2U);
  EXPECT_EQ(faults[0].line, "!00003FF00\r");
}

INSTANTIATE_TEST_SUITE_P(Faults, SimulatorSpoiledFrames,
                         ::testing::Values(SpoiledFrameCase{FaultKind::WrongChecksum, 29},
                                           SpoiledFrameCase{FaultKind::LowerCaseChecksum, 29},
                                           SpoiledFrameCase{FaultKind::WrongStartMarker, 29},
                                           SpoiledFrameCase{FaultKind::WrongEndMarker, 29},
                                           SpoiledFrameCase{FaultKind::NulByte, 29},
                                           SpoiledFrameCase{FaultKind::NoiseBefore, 32},
                                           SpoiledFrameCase{FaultKind::NoiseAfter, 32},
                                           SpoiledFrameCase{FaultKind::TwoAnswers, 58}),
                         [](const ::testing::TestParamInfo<SpoiledFrameCase>& example) {
                           std::string name(sim::FaultKindName(example.param.kind));
                           std::erase(name, '-');
                           return name;
                         });

TEST_F(SimulatorRaw, LowerCaseChecksumAlwaysShowsALetter) {
  simulator.AddFaultRule(FaultRule{FaultKind::LowerCaseChecksum, std::nullopt, std::nullopt, 0, {}});
  for (const char* line : {"!00003FF00\r", "!00003FE00\r", "!0000301C2\r", "!00003FE08\r"}) {
    peer.Send(line);
    const std::string frame = peer.Receive(ShortReplyLength);
    const std::string checksum = frame.substr(26, 2);
    EXPECT_NE(checksum.find_first_of("abcdef"), std::string::npos) << checksum;
    EXPECT_EQ(checksum.find_first_of("ABCDEF"), std::string::npos) << checksum;
  }
}

TEST_F(SimulatorRaw, NulLandsWhereAsked) {
  const std::size_t positions[] = {1, 4, 6, 7, 26, 27, 28, 29};
  for (std::size_t index = 0; index < std::size(positions); ++index) {
    sim::FaultSettings settings;
    settings.nulPosition = positions[index];
    simulator.AddFaultRule(FaultRule{FaultKind::NulByte, index + 1, std::nullopt, 1, settings});
    peer.Send("!00003FF00\r");
    const std::string frame = peer.Receive(ShortReplyLength);
    ASSERT_EQ(frame.size(), ShortReplyLength);
    EXPECT_EQ(frame.find('\0'), positions[index] - 1);
    EXPECT_EQ(std::count(frame.begin(), frame.end(), '\0'), 1);
  }
}

TEST_F(SimulatorRaw, UnansweredWriteIsStoredOnlyWhenItReachedTheTester) {
  simulator.AddFaultRule(OnLine(1, FaultKind::NoAnswer));
  simulator.AddFaultRule(OnLine(3, FaultKind::RequestLost));
  peer.Send("!00002FF08WRITTEN-NO-REPLY\r");
  EXPECT_EQ(ReceiveUpToCompanyName().size(), ShortReplyLength);
  peer.Send("!00002FF10LOST ON THE WAY\r");
  EXPECT_EQ(ReceiveUpToCompanyName().size(), ShortReplyLength);
  EXPECT_EQ(simulator.TrailerId(1), "WRITTEN-NO-REPLY");
  EXPECT_EQ(simulator.TrailerId(2), std::string(16, ' '));
}

TEST_F(SimulatorRaw, HangUpClosesTheLineAfterTheChosenRequest) {
  simulator.AddFaultRule(FaultRule{FaultKind::HangUp, 2, std::nullopt, 1, {}});
  peer.Send(Identify);
  EXPECT_EQ(peer.Receive(LongReplyLength).size(), LongReplyLength);
  peer.Send("!00003FF00\r");

  EXPECT_TRUE(peer.SeesHangUp());
  EXPECT_TRUE(test::PollUntil([&] { return !simulator.Running(); }));
  EXPECT_TRUE(simulator.HungUp());
  ASSERT_EQ(simulator.InjectedFaults().size(), 1U);
  EXPECT_EQ(simulator.InjectedFaults()[0].kind, FaultKind::HangUp);
}

TEST_F(SimulatorRaw, StopCutsShortALateAnswer) {
  sim::FaultSettings settings;
  settings.delay = std::chrono::minutes(2);
  simulator.AddFaultRule(FaultRule{FaultKind::LateAnswer, 1, std::nullopt, 1, settings});
  peer.Send(Identify);
  ASSERT_TRUE(test::PollUntil([&] { return simulator.InjectedFaults().size() == 1; }));

  const auto before = std::chrono::steady_clock::now();
  simulator.Stop();
  EXPECT_LT(std::chrono::steady_clock::now() - before, test::Deadline);
  EXPECT_FALSE(simulator.Running());
}

TEST_F(SimulatorRaw, StartsAgainAfterStop) {
  simulator.Stop();
  simulator.Start();
  EXPECT_EQ(ReceiveUpToCompanyName().size(), ShortReplyLength);
}

std::size_t OpenDescriptors() {
  return static_cast<std::size_t>(
      std::distance(std::filesystem::directory_iterator("/proc/self/fd"), std::filesystem::directory_iterator()));
}

TEST(Simulator, LeavesNoDescriptorsBehind) {
  for (const bool hangUp : {false, true}) {
    const std::size_t before = OpenDescriptors();
    {
      TesterSimulator simulator;
      if (hangUp) {
        simulator.AddFaultRule(FaultRule{FaultKind::HangUp, 1, std::nullopt, 1, {}});
      }
      simulator.Start();
      PtyPeer peer(simulator.DevicePath());
      peer.Send(ReadCompany);
      EXPECT_TRUE(test::PollUntil([&] { return simulator.RequestCount() == 1; }));
    }
    EXPECT_EQ(OpenDescriptors(), before) << (hangUp ? "after a hang-up" : "after a stop");
  }
}

TEST(Simulator, EachInstanceHasItsOwnDevice) {
  TesterSimulator first;
  TesterSimulator second;
  EXPECT_NE(first.DevicePath(), second.DevicePath());
  EXPECT_EQ(first.DevicePath().rfind("/dev/pts/", 0), 0U);
}

TEST(Simulator, RefusesTextsThatDoNotFitASlot) {
  TesterSimulator simulator;
  EXPECT_THROW(simulator.SetTrailerId(0, std::string(17, 'x')), sim::ESimulator);
  EXPECT_THROW(simulator.SetVehicleId(32, "x"), sim::ESimulator);
  EXPECT_THROW(simulator.SetIdentity({"12345", "", ""}), sim::ESimulator);
}

}  // namespace
}  // namespace orvel
