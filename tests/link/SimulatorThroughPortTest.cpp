// The simulator as the program sees it: through the program's serial port object over a
// real pseudo-terminal, with the program's own request lines and frame takers.
#include "Polling.h"

#include "link/ReplyFrame.h"
#include "link/RequestLine.h"
#include "link/SerialLinkPort.h"
#include "link/TakeReply.h"
#include "link/TesterAddresses.h"
#include "link/WireText.h"
#include "serial/TSerialPort.h"
#include "simulator/TesterSimulator.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace orvel {
namespace {

using sim::FaultKind;
using sim::FaultRule;
using sim::FaultSettings;
using test::PollUntil;

constexpr std::uint16_t TesterPort = 1;
const std::string CompanyName = "Acme Brakes     ";

FaultRule OnFirstRequest(FaultKind kind, FaultSettings settings = {}) {
  return FaultRule{kind, 1, std::nullopt, 1, settings};
}

class SimulatorThroughPort : public ::testing::Test {
 protected:
  SimulatorThroughPort()
      : port([path = simulator.DevicePath()](std::uint16_t number) -> std::optional<std::string> {
          return number == TesterPort ? std::optional<std::string>(path) : std::nullopt;
        }) {
    simulator.SetCompanyName(CompanyName);
    simulator.Start();
    TSerialPortSettings settings = port.Settings();
    settings.Baud = 9600;
    port.SetSettings(settings);
    port.SetComNumber(TesterPort);
    port.SetOpen(true);
  }
  ~SimulatorThroughPort() override { EXPECT_EQ(simulator.Failure(), ""); }

  // As the link sends every request: both buffers emptied, then the line queued.
  void SendRequest(RequestCode code, TesterAddress address, std::string payload = {}) {
    if (code == RequestCode::Write) {
      PadTo16(payload);
    }
    port.DiscardInput();
    port.DiscardOutput();
    port.WriteText(BuildRequestLine(code, address, payload));
  }

  template <typename Take>
  TakenReply AwaitFrame(Take take) {
    TakenReply reply;
    PollUntil([&] {
      reply = take(port);
      return reply.outcome != ReplyOutcome::NothingTaken;
    });
    return reply;
  }

  TakenReply AwaitShortFrame() {
    return AwaitFrame([](TSerialPort& source) { return TakeShortReply(source); });
  }
  TakenReply AwaitLongFrame() {
    return AwaitFrame([](TSerialPort& source) { return TakeLongReply(source); });
  }

  // Reads the company name without emptying the input buffer first. The simulator
  // answers in order, so if the frame taken is this answer, nothing came before it.
  void ExpectOnlyTheCompanyNameArrives() {
    port.WriteText(BuildRequestLine(RequestCode::Read, CompanyNameAddress));
    const TakenReply reply = AwaitShortFrame();
    EXPECT_EQ(reply.outcome, ReplyOutcome::TakenAndPassed);
    EXPECT_EQ(reply.dataField.substr(4), CompanyName);
  }

  sim::TesterSimulator simulator;
  TSerialPort port;
};

TEST_F(SimulatorThroughPort, IdentificationDecodesToTheConfiguredSerial) {
  simulator.SetIdentity({"2143", "Q7", "model B-400"});
  SendRequest(RequestCode::Identify, IdentificationAddress);
  const TakenReply reply = AwaitLongFrame();

  ASSERT_EQ(reply.outcome, ReplyOutcome::TakenAndPassed);
  const std::string instrumentData = reply.dataField.substr(4, 64);
  EXPECT_EQ(DecodeHexWords(instrumentData.substr(0, 8)), "2143");
  EXPECT_EQ(DecodeHexWords(instrumentData.substr(8, 4)), "Q7");
  EXPECT_EQ(port.InputCount(), 0U);
}

TEST_F(SimulatorThroughPort, ReadsEveryKindOfSlot) {
  simulator.SetTrailerId(5, "TRAILER 6");
  simulator.SetVehicleId(17, "VEHICLE 18 ENDS ");

  const std::vector<std::pair<TesterAddress, std::string>> reads = {
      {TrailerAddress(5), "TRAILER 6       "},
      {VehicleAddress(17), "VEHICLE 18 ENDS "},
      {CompanyNameAddress, CompanyName},
      {TrailerAddress(0), std::string(16, ' ')},
  };
  for (const auto& [address, expected] : reads) {
    SendRequest(RequestCode::Read, address);
    const TakenReply reply = AwaitShortFrame();
    EXPECT_EQ(reply.outcome, ReplyOutcome::TakenAndPassed) << address;
    EXPECT_EQ(reply.dataField.substr(4, 16), expected) << address;
  }
}

TEST_F(SimulatorThroughPort, WritesAreStoredAndAcknowledged) {
  SendRequest(RequestCode::Write, TrailerAddress(3), "TR-0004");
  EXPECT_EQ(AwaitShortFrame().outcome, ReplyOutcome::TakenAndPassed);
  SendRequest(RequestCode::Write, VehicleAddress(31), "");
  EXPECT_EQ(AwaitShortFrame().outcome, ReplyOutcome::TakenAndPassed);
  SendRequest(RequestCode::Write, CompanyNameAddress, "New Name Ltd");
  EXPECT_EQ(AwaitShortFrame().outcome, ReplyOutcome::TakenAndPassed);

  EXPECT_EQ(simulator.TrailerId(3), "TR-0004         ");
  EXPECT_EQ(simulator.VehicleId(31), std::string(16, ' '));
  EXPECT_EQ(simulator.CompanyName(), "New Name Ltd    ");
  const auto log = simulator.RequestLog();
  ASSERT_EQ(log.size(), 3U);
  EXPECT_EQ(log[0].text, "!00002FF18TR-0004         \r");
}

class SpoiledFrameThroughPort : public SimulatorThroughPort, public ::testing::WithParamInterface<FaultKind> {};

TEST_P(SpoiledFrameThroughPort, IsTakenAndFails) {
  simulator.AddFaultRule(OnFirstRequest(GetParam()));
  SendRequest(RequestCode::Read, CompanyNameAddress);
  EXPECT_EQ(AwaitShortFrame().outcome, ReplyOutcome::TakenAndFailed);
  EXPECT_EQ(port.InputCount(), 0U);

  SendRequest(RequestCode::Read, CompanyNameAddress);
  EXPECT_EQ(AwaitShortFrame().outcome, ReplyOutcome::TakenAndPassed) << "the re-send is answered soundly";
}

INSTANTIATE_TEST_SUITE_P(Faults, SpoiledFrameThroughPort,
                         ::testing::Values(FaultKind::WrongChecksum, FaultKind::LowerCaseChecksum,
                                           FaultKind::WrongStartMarker, FaultKind::WrongEndMarker, FaultKind::NulByte));

TEST_F(SimulatorThroughPort, IdentificationWithANulIsTakenAndFails) {
  FaultSettings settings;
  settings.nulPosition = 40;
  simulator.AddFaultRule(OnFirstRequest(FaultKind::NulByte, settings));
  SendRequest(RequestCode::Identify, IdentificationAddress);
  const TakenReply reply = AwaitLongFrame();
  EXPECT_EQ(reply.outcome, ReplyOutcome::TakenAndFailed);
  EXPECT_EQ(reply.dataField.size(), 33U) << "the frame's text ends at the NUL";
}

struct ExcessCase {
  FaultKind kind;
  std::size_t bytes;
};

class ExcessBytesThroughPort : public SimulatorThroughPort, public ::testing::WithParamInterface<ExcessCase> {};

TEST_P(ExcessBytesThroughPort, AreNeverTaken) {
  simulator.AddFaultRule(OnFirstRequest(GetParam().kind));
  SendRequest(RequestCode::Read, TrailerAddress(0));
  ASSERT_TRUE(PollUntil([&] { return port.InputCount() >= GetParam().bytes; }));

  EXPECT_EQ(TakeShortReply(port).outcome, ReplyOutcome::NothingTaken);
  EXPECT_EQ(port.InputCount(), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(Faults, ExcessBytesThroughPort,
                         ::testing::Values(ExcessCase{FaultKind::NoiseBefore, 32},
                                           ExcessCase{FaultKind::NoiseAfter, 32},
                                           ExcessCase{FaultKind::TwoAnswers, 58}));

TEST_F(SimulatorThroughPort, PiecesShowRisingCountsAndAreTakenOnceWhole) {
  FaultSettings settings;
  settings.pieces = 3;
  settings.gap = std::chrono::milliseconds(250);
  simulator.AddFaultRule(OnFirstRequest(FaultKind::InPieces, settings));
  SendRequest(RequestCode::Read, CompanyNameAddress);

  std::vector<std::size_t> counts;
  TakenReply reply;
  PollUntil([&] {
    const std::size_t count = port.InputCount();
    if (counts.empty() || counts.back() != count) {
      counts.push_back(count);
    }
    reply = TakeShortReply(port);
    return reply.outcome != ReplyOutcome::NothingTaken;
  });

  EXPECT_EQ(reply.outcome, ReplyOutcome::TakenAndPassed);
  EXPECT_EQ(reply.dataField.substr(4), CompanyName);
  ASSERT_GE(counts.size(), 3U) << "nothing, part of the frame, the whole frame";
  EXPECT_TRUE(std::is_sorted(counts.begin(), counts.end()));
  EXPECT_TRUE(std::any_of(counts.begin(), counts.end(), [](std::size_t count) { return count > 0 && count < 29; }));
  EXPECT_EQ(counts.back(), ShortReplyLength);
}

// The link's wait for a quiet line before a request: an answer arriving in pieces is
// dropped piece by piece, and the wait ends only once the line has been quiet.
TEST_F(SimulatorThroughPort, QuietLineWaitDropsAFrameStillArriving) {
  FaultSettings settings;
  settings.pieces = 4;
  settings.gap = std::chrono::milliseconds(30);
  simulator.AddFaultRule(OnFirstRequest(FaultKind::InPieces, settings));
  std::atomic<bool> wholeAnswerSent{false};
  simulator.SetTrafficObserver([&](const sim::TrafficEvent& event) {
    if (event.kind == sim::TrafficKind::ReplySent) wholeAnswerSent = true;
  });
  SerialLinkPort linkPort(port, [path = simulator.DevicePath()](std::uint16_t) { return path; });
  SendRequest(RequestCode::Read, CompanyNameAddress);
  ASSERT_TRUE(PollUntil([&] { return port.InputCount() > 0; }));

  linkPort.AwaitQuietInput(std::chrono::milliseconds(200), std::chrono::seconds(5));

  EXPECT_TRUE(wholeAnswerSent);
  EXPECT_EQ(port.InputCount(), 0U);
}

TEST_F(SimulatorThroughPort, LateAnswerIsTakenWhenItComes) {
  FaultSettings settings;
  settings.delay = std::chrono::milliseconds(300);
  simulator.AddFaultRule(OnFirstRequest(FaultKind::LateAnswer, settings));
  const auto sent = std::chrono::steady_clock::now();
  SendRequest(RequestCode::Read, CompanyNameAddress);

  const TakenReply reply = AwaitShortFrame();
  EXPECT_EQ(reply.outcome, ReplyOutcome::TakenAndPassed);
  EXPECT_GE(std::chrono::steady_clock::now() - sent, settings.delay);
}

TEST_F(SimulatorThroughPort, NoAnswerLeavesNothingToTake) {
  simulator.AddFaultRule(OnFirstRequest(FaultKind::NoAnswer));
  SendRequest(RequestCode::Read, TrailerAddress(7));
  ExpectOnlyTheCompanyNameArrives();
}

TEST_F(SimulatorThroughPort, AnswerComesOnlyAfterTheChosenNumberOfSends) {
  FaultSettings settings;
  settings.resendsBeforeAnswer = 2;
  simulator.AddFaultRule(OnFirstRequest(FaultKind::AnswerFromResend, settings));
  const std::string line = BuildRequestLine(RequestCode::Read, CompanyNameAddress);

  // Re-sends as the poll makes them: the input buffer emptied, no output discarded.
  for (std::size_t send = 1; send <= settings.resendsBeforeAnswer; ++send) {
    port.DiscardInput();
    port.WriteText(line);
    ASSERT_TRUE(PollUntil([&] { return simulator.InjectedFaults().size() == send; }));
  }
  port.WriteText(line);
  const TakenReply reply = AwaitShortFrame();

  EXPECT_EQ(reply.outcome, ReplyOutcome::TakenAndPassed);
  EXPECT_EQ(port.InputCount(), 0U);
  EXPECT_EQ(simulator.RequestCount(), settings.resendsBeforeAnswer + 1);
  for (const sim::FaultRecord& fault : simulator.InjectedFaults()) {
    EXPECT_EQ(fault.kind, FaultKind::AnswerFromResend);
    EXPECT_EQ(fault.line, line);
  }
}

TEST_F(SimulatorThroughPort, HangUpLeavesNothingToTake) {
  simulator.AddFaultRule(FaultRule{FaultKind::HangUp, 2, std::nullopt, 1, {}});
  SendRequest(RequestCode::Identify, IdentificationAddress);
  ASSERT_EQ(AwaitLongFrame().outcome, ReplyOutcome::TakenAndPassed);
  SendRequest(RequestCode::Read, TrailerAddress(0));

  ASSERT_TRUE(PollUntil([&] { return simulator.HungUp(); }));
  EXPECT_EQ(TakeShortReply(port).outcome, ReplyOutcome::NothingTaken);
  EXPECT_EQ(port.InputCount(), 0U);
  port.SetOpen(false);
  EXPECT_FALSE(port.Open());
}

TEST_F(SimulatorThroughPort, EveryInjectedFaultNamesTheRequestItHit) {
  simulator.AddFaultRule(FaultRule{FaultKind::WrongChecksum, std::nullopt, TrailerAddress(2), 1, {}});
  simulator.AddFaultRule(FaultRule{FaultKind::NoAnswer, 4, std::nullopt, 1, {}});
  for (std::size_t slot = 0; slot < 4; ++slot) {
    SendRequest(RequestCode::Read, TrailerAddress(slot));
    PollUntil([&] { return simulator.RequestCount() == slot + 1; });
  }
  ExpectOnlyTheCompanyNameArrives();

  const auto faults = simulator.InjectedFaults();
  ASSERT_EQ(faults.size(), 2U);
  EXPECT_EQ(faults[0].kind, FaultKind::WrongChecksum);
  EXPECT_EQ(faults[0].lineNumber, 3U);
  EXPECT_EQ(faults[0].line, BuildRequestLine(RequestCode::Read, TrailerAddress(2)));
  EXPECT_EQ(faults[1].kind, FaultKind::NoAnswer);
  EXPECT_EQ(faults[1].lineNumber, 4U);
}

TEST_F(SimulatorThroughPort, PortCanBeOpenedAgainAfterClosing) {
  port.SetOpen(false);
  port.SetOpen(true);
  SendRequest(RequestCode::Read, CompanyNameAddress);
  EXPECT_EQ(AwaitShortFrame().outcome, ReplyOutcome::TakenAndPassed);
}

}  // namespace
}  // namespace orvel
