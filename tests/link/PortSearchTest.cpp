#include <optional>
#include <string>
#include <vector>

#include "LinkSessionFixture.h"
#include "link/CompanyNameTransfer.h"
#include "serial/PortErrors.h"
#include "serial/ProbePort.h"

namespace orvel::test {
namespace {

using PortSearch = LinkSessionTest;

std::vector<std::string> ProbesOf(std::initializer_list<int> ports) {
  std::vector<std::string> probes;
  for (const int port : ports) probes.push_back(std::to_string(port));
  return probes;
}

TEST_F(PortSearch, TriesPorts1To254ThenRestsUntilTheNextResendTickAndStartsAgainAt1) {
  // With no port to ask, nothing happens between two probes but the rest after a round.
  host.CancelWhen([this](int) { return timeline.Count("probe ") >= 254; });

  EXPECT_FALSE(session.Begin());

  std::vector<std::string> expected;
  for (int portNumber = 1; portNumber <= 254; ++portNumber) expected.push_back(std::to_string(portNumber));
  expected.push_back("1");
  EXPECT_EQ(timeline.Texts("probe "), expected);
  EXPECT_GT(timeline.FirstTick("probe 254"), timeline.FirstTick("probe 1")) << "the first wait on port 1";
  EXPECT_EQ(timeline.Count("open "), 0);
  EXPECT_TRUE(port.Writes().empty());
}

TEST_F(PortSearch, ARoundWithNoPortToAskRestsOnlyUntilTheNextResendTick) {
  host.CancelWhen([this](int) { return timeline.Count("probe ") >= 254 * 3; });

  EXPECT_FALSE(session.Begin());

  std::vector<int> roundStarts;
  for (const auto& event : timeline.Events()) {
    if (event.what == "probe 1") roundStarts.push_back(event.tick);
  }
  ASSERT_GE(roundStarts.size(), 3u);
  // After the first round's 33-tick wait on port 1, rounds follow the poll's re-send
  // cadence of 11 ticks: no busy loop, and no longer a wait than that.
  EXPECT_EQ(roundStarts[2] - roundStarts[1], 11);
}

TEST_F(PortSearch, ASearchStartedAtTheTestersPortAsksItAtOnceAndEndsAsSucceeded) {
  PlaceTester(2);
  AcknowledgeWrites();
  LinkSession fromPort2{port, host, 2};
  host.Attach(fromPort2);

  EXPECT_TRUE(SendCompanyName(fromPort2, "ACME"));

  EXPECT_EQ(timeline.Texts("probe ").front(), "2");
  EXPECT_EQ(timeline.FirstTick("probe 2"), 0);
  EXPECT_EQ(fromPort2.LastEnd(), SessionEnd::Succeeded);
}

TEST_F(PortSearch, FirstAbsentPortOfANewWindowCosts33TicksAndThreeBeepsWithoutARequest) {
  PlaceTester(2);

  EXPECT_TRUE(session.Begin());

  const std::size_t secondProbe = timeline.FirstIndex("probe 2").value();
  EXPECT_EQ(timeline.FirstTick("probe 2"), 33);
  EXPECT_EQ(timeline.CountAmong("beep", 0, secondProbe), 3);
  EXPECT_EQ(timeline.CountAmong("write ", 0, secondProbe), 0);
  EXPECT_EQ(timeline.CountAmong("open ", 0, secondProbe), 0);
  EXPECT_EQ(timeline.Texts("status "), (std::vector<std::string>{"", "Looking for instrument on Com2..."}));
  EXPECT_EQ(host.IdentityText(), "Tester No:2143 on COM2");
}

TEST_F(PortSearch, AbsentPortsAfterAWaitThatGaveUpPassAtOnceAndSendNothing) {
  port.SetProbe(1, PortAvailability::Available);
  PlaceTester(5);

  EXPECT_TRUE(session.Begin());

  EXPECT_EQ(timeline.Matching("probe ").size(), 5u);
  EXPECT_EQ(timeline.FirstTick("probe 2"), 33);
  EXPECT_EQ(timeline.FirstTick("probe 3"), 33);
  EXPECT_EQ(timeline.FirstTick("probe 4"), 33);
  EXPECT_EQ(timeline.FirstTick("probe 5"), 33);
  EXPECT_EQ(WriteCount(IdentificationLine), 4 + 1);
  EXPECT_EQ(timeline.Texts("status "),
            (std::vector<std::string>{"", "Looking for instrument on Com1...", "Looking for instrument on Com5..."}));
  EXPECT_EQ(host.IdentityText(), "Tester No:2143 on COM5");
}

struct OpenFailureCase {
  std::string name;
  PortAvailability probe;
  OpenFailure failure;
};

class PortThatFailsToOpen : public LinkSessionTest, public ::testing::WithParamInterface<OpenFailureCase> {};

TEST_P(PortThatFailsToOpen, CostsOneBeepAndNoRequest) {
  port.SetProbe(1, PortAvailability::Available);
  port.SetProbe(2, GetParam().probe, "/dev/ttyS1");
  port.SetOpenFailure(2, GetParam().failure);
  PlaceTester(3);

  EXPECT_TRUE(session.Begin());

  const std::size_t from = timeline.FirstIndex("probe 2").value();
  const std::size_t to = timeline.FirstIndex("probe 3").value();
  EXPECT_EQ(timeline.CountAmong("open 2", from, to), 1);
  EXPECT_EQ(timeline.CountAmong("beep", from, to), 1);
  EXPECT_EQ(timeline.CountAmong("write ", from, to), 0);
  EXPECT_EQ(timeline.CountAmong("status Looking for instrument on Com2...", from, to), 1);
  // Only a port that refuses the line settings is worth a word: the others come and go.
  EXPECT_EQ(timeline.CountAmong("notice COM2 (/dev/ttyS1) cannot be set up for the tester: Invalid function.", from, to),
            GetParam().failure == OpenFailure::SettingsRefused ? 1 : 0);
  EXPECT_EQ(*timeline.FirstTick("probe 3") - *timeline.FirstTick("probe 2"), 0) << "passed without a tick";
  EXPECT_EQ(host.IdentityText(), "Tester No:2143 on COM3");
}

INSTANTIATE_TEST_SUITE_P(LinkSession, PortThatFailsToOpen,
                         ::testing::Values(OpenFailureCase{"Vanished", PortAvailability::Available, OpenFailure::BadId},
                                           OpenFailureCase{"HeldByAnotherProgram", PortAvailability::Busy,
                                                           OpenFailure::AlreadyOpen},
                                           OpenFailureCase{"RefusesTheLineSettings", PortAvailability::Available,
                                                           OpenFailure::SettingsRefused}),
                         CaseName());

TEST_F(PortSearch, IdentifiesWithRequest0190ThenSendsTheFollowUp0107) {
  PlaceTester(1);

  EXPECT_TRUE(session.Begin());

  std::vector<std::string> portCalls;
  for (const auto& event : timeline.Events()) {
    for (const char* call : {"close", "probe ", "open ", "discard ", "write "}) {
      if (event.what.starts_with(call)) portCalls.push_back(event.what);
    }
  }
  EXPECT_EQ(portCalls,
            (std::vector<std::string>{"close", "probe 1", "open 1", "discard input", "discard output",
                                      "write !000010190\r", "discard input", "discard output", "write !000010107\r"}));
  EXPECT_FALSE(session.Searching());
  EXPECT_TRUE(session.Cancellable());
  EXPECT_TRUE(port.IsOpen());
}

TEST_F(PortSearch, AnswerArrivingInPiecesIsTakenOnceWhole) {
  PlaceTester(1);
  port.Answer(IdentificationLine, "");
  const std::string answer = LongFrame(SerialOnly2143);
  port.DeliverAtTick(3, answer.substr(0, 30));
  port.DeliverAtTick(5, answer.substr(30));

  EXPECT_TRUE(session.Begin());

  EXPECT_EQ(FirstWriteTick(FollowUpLine), 5);
  EXPECT_EQ(WriteCount(IdentificationLine), 1);
  EXPECT_EQ(host.IdentityText(), "Tester No:2143 on COM1");
}

struct IdentityCase {
  std::string instrumentData;
  std::uint16_t portNumber;
  std::string identityLine;
};

class IdentityLine : public LinkSessionTest, public ::testing::WithParamInterface<IdentityCase> {};

TEST_P(IdentityLine, ShowsTheDecodedSerialAndThePort) {
  PlaceTester(GetParam().portNumber, GetParam().instrumentData);

  EXPECT_TRUE(session.Begin());

  EXPECT_EQ(host.IdentityText(), GetParam().identityLine);
}

INSTANTIATE_TEST_SUITE_P(LinkSession, IdentityLine,
                         ::testing::Values(IdentityCase{"31323334" + std::string(56, '0'), 1, "Tester No:2143 on COM1"},
                                           IdentityCase{"4142434445464748", 3, "Tester No:BADC on COM3"},
                                           IdentityCase{"4a4b4c4d", 12, "Tester No:KJML on COM12"}));

struct StaleAnswerCase {
  std::string name;
  PortAvailability probe;
  OpenFailure failure;
};

class PreviousSessionsAnswer : public LinkSessionTest, public ::testing::WithParamInterface<StaleAnswerCase> {};

TEST_P(PreviousSessionsAnswer, NeverStopsANewSearchOnAPortThatWasNotAsked) {
  PlaceTester(1);
  port.Answer(ReadLine(0x01C2), ShortFrame("FIRST"));
  ASSERT_EQ(ReadCompanyName(session), "FIRST" + std::string(11, ' '));

  port.SetProbe(1, GetParam().probe);
  port.SetOpenFailure(1, GetParam().failure);
  PlaceTester(2);
  port.Answer(ReadLine(0x01C2), ShortFrame("SECOND"));

  EXPECT_EQ(ReadCompanyName(session), "SECOND" + std::string(10, ' '));

  EXPECT_EQ(host.IdentityText(), "");
  EXPECT_EQ(timeline.Texts("identity ").rbegin()[1], "Tester No:2143 on COM2");
  EXPECT_EQ(timeline.Count("write " + IdentificationLine), 2);
}

INSTANTIATE_TEST_SUITE_P(LinkSession, PreviousSessionsAnswer,
                         ::testing::Values(StaleAnswerCase{"PortGone", PortAvailability::Missing, OpenFailure::None},
                                           StaleAnswerCase{"PortFailsToOpen", PortAvailability::Available,
                                                           OpenFailure::BadId}),
                         CaseName());

TEST_F(PortSearch, CancelStopsTheSearchAndStillWritesTheIdentityLineWithoutARequest) {
  port.SetProbe(1, PortAvailability::Available);
  host.CancelAtTick(5);

  EXPECT_EQ(ReadCompanyName(session), std::nullopt);

  EXPECT_EQ(port.Writes(), std::vector<std::string>{IdentificationLine});
  EXPECT_EQ(host.IdentityText(), "Tester No: on COM1");
  EXPECT_EQ(timeline.Now(), 5);
  EXPECT_EQ(timeline.Texts("probe "), ProbesOf({1}));
  ExpectEndedAfterCancel();
}

TEST_F(PortSearch, TellsOncePerDeviceAndSessionThatPermissionWasRefused) {
  port.SetProbe(1, PortAvailability::PermissionDenied, "/dev/ttyS0");
  port.SetProbe(2, PortAvailability::PermissionDenied, "/dev/ttyUSB0");
  const auto secondRoundStarted = [this](int) { return timeline.CountExactly("probe 3") == 2; };
  const std::vector<std::string> advice{PermissionAdvice("/dev/ttyS0"), PermissionAdvice("/dev/ttyUSB0")};

  host.CancelWhen(secondRoundStarted);
  EXPECT_FALSE(session.Begin());
  EXPECT_EQ(timeline.Texts("notice "), advice);
  EXPECT_LT(timeline.FirstIndex("notice "), timeline.FirstIndex("probe 3"));
  // The Status page shows the refused ports being tried, as it does for the others.
  std::vector<std::string> shown = timeline.Texts("status Looking");
  shown.resize(4);
  EXPECT_EQ(shown, (std::vector<std::string>{" for instrument on Com1...", " for instrument on Com2...",
                                             " for instrument on Com1...", " for instrument on Com2..."}));

  host.CancelWhen([this](int) { return timeline.CountExactly("probe 3") == 3; });
  EXPECT_FALSE(session.Begin());
  EXPECT_EQ(timeline.Texts("notice "), (std::vector<std::string>{advice[0], advice[1], advice[0], advice[1]}));
  EXPECT_EQ(timeline.Count("open "), 0);
}

}  // namespace
}  // namespace orvel::test
