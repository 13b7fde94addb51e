#include <cerrno>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "LinkSessionFixture.h"
#include "link/CompanyNameTransfer.h"
#include "serial/PortErrors.h"

namespace orvel::test {
namespace {

const std::string ReadNameLine = ReadLine(0x01C2);

std::string Padded16(const std::string& text) { return text + std::string(16 - text.size(), ' '); }

// The wait for an answer, driven through a company name read: one request, one answer.
class ReplyWait : public LinkSessionTest {
 protected:
  ReplyWait() { PlaceTester(1); }

  // What the read handed over; nothing when it failed or was cancelled.
  std::optional<std::string> ReadName() {
    std::optional<std::string> name;
    ReadCompanyName(session, [&](const std::string& text) { name = text; });
    return name;
  }

  std::vector<int> ReadNameWriteTicks() const {
    std::vector<int> ticks;
    for (const auto& event : timeline.Matching("write " + ReadNameLine)) ticks.push_back(event.tick);
    return ticks;
  }
};

struct MalformedCase {
  std::string name;
  std::function<std::string(const std::string& validFrame)> spoil;
};

class MalformedAnswers : public ReplyWait, public ::testing::WithParamInterface<MalformedCase> {};

// The answer "*" has the checksum CA, so it can be sent with lower-case digits too.
const std::string ValidAnswer = ShortFrame("*");

TEST_P(MalformedAnswers, GiveFourSendsThreeBeepsAndNoReplyAtThe33rdTick) {
  ASSERT_EQ(ValidAnswer.substr(26, 2), "CA");
  port.Answer(ReadNameLine, GetParam().spoil(ValidAnswer));

  EXPECT_EQ(ReadName(), std::nullopt);

  const int sent = FirstWriteTick(ReadNameLine);
  EXPECT_EQ(ReadNameWriteTicks(), (std::vector<int>{sent, sent + 11, sent + 22, sent + 33}));
  EXPECT_EQ(BeepsFrom(sent), 3);
  EXPECT_EQ(timeline.LastTick("timer off"), sent + 33);
  // Polling stopped before the box opened, so nothing ticked behind it.
  EXPECT_LT(timeline.LastIndex("timer off"), timeline.FirstIndex("information "));
  EXPECT_EQ(timeline.Now(), sent + 33);
  ExpectFailedState("Unable to read data");
}

INSTANTIATE_TEST_SUITE_P(
    LinkSession, MalformedAnswers,
    ::testing::Values(
        MalformedCase{"WrongChecksum", [](const std::string& frame) { return WithByte(frame, 28, 'B'); }},
        MalformedCase{"LowerCaseChecksum",
                      [](const std::string& frame) { return WithByte(WithByte(frame, 27, 'c'), 28, 'a'); }},
        MalformedCase{"WrongStartMarker", [](const std::string& frame) { return WithByte(frame, 1, ';'); }},
        MalformedCase{"WrongEndMarker", [](const std::string& frame) { return WithByte(frame, 29, '\n'); }},
        MalformedCase{"NulByte", [](const std::string& frame) { return WithByte(frame, 12, '\0'); }},
        MalformedCase{"OneByteShort", [](const std::string& frame) { return frame.substr(0, 28); }},
        MalformedCase{"OneByteTooMany", [](const std::string& frame) { return frame + "\r"; }},
        MalformedCase{"TwoFrames", [](const std::string& frame) { return frame + frame; }},
        MalformedCase{"LongFrame", [](const std::string&) { return LongFrame(SerialOnly2143); }}),
    CaseName());

TEST_F(ReplyWait, FrameInTheTickOfTheThirdReSendIsNoReplyInATransfer) {
  port.Answer(ReadNameLine, ShortFrame("ACME"), 1, 33);

  EXPECT_EQ(ReadName(), std::nullopt);

  EXPECT_EQ(WriteCount(ReadNameLine), 4);
  ExpectFailedState("Unable to read data");
}

TEST_F(ReplyWait, FrameInTheTickOfTheThirdReSendIsFoundInTheSearch) {
  port.Answer(IdentificationLine, "");
  port.Answer(IdentificationLine, LongFrame(SerialOnly2143), 1, 33);

  session.StartLinkSession();

  EXPECT_EQ(WriteCount(IdentificationLine), 4);
  EXPECT_EQ(WritesFrom(FollowUpLine), std::vector<std::string>{FollowUpLine});
  EXPECT_TRUE(session.Identified);
  EXPECT_FALSE(session.Aborted);
  EXPECT_EQ(host.IdentityText(), "Tester No:2143 on COM1");
}

struct ClearLineCase {
  std::string name;
  int answeredSend;
  // How far the clock moves per poll tick: 100 ms as the timer says, less for a timer
  // that fires early, more for one that stalls.
  int clockStepMs;
};

class AnswerAfterReSends : public ReplyWait, public ::testing::WithParamInterface<ClearLineCase> {};

// Reads the company name, answered "ACME", then the first Trailer ID, answered "NEXT".
#define ExpectCompanyNameThenNextRead()                                  \
  do {                                                                  \
    session.StartLinkSession();                                         \
    session.SendRequest(RequestCode::Read, CompanyNameAddress);         \
    ASSERT_EQ(session.WaitForReply(), WaitOutcome::Reply);              \
    EXPECT_EQ(session.AnswerText(), Padded16("ACME"));                  \
    session.SendRequest(RequestCode::Read, TrailerAddress(0));          \
    ASSERT_EQ(session.WaitForReply(), WaitOutcome::Reply);              \
    EXPECT_EQ(session.AnswerText(), Padded16("NEXT"));                  \
  } while (false)

// An answer to a re-sent line may be followed by the answer to another send of it, up to
// the give-up horizon (3.3 s) after the last re-send. The next request waits that long by
// the clock, however the poll ticks, and takes its own answer.
TEST_P(AnswerAfterReSends, DelayTheNextRequestTheGiveUpHorizonAfterTheLastReSendByTheClock) {
  const std::string nextLine = ReadLine(0xFF00);
  host.SetClockStepPerTick(std::chrono::milliseconds(GetParam().clockStepMs));
  port.Answer(ReadNameLine, ShortFrame("ACME"), GetParam().answeredSend);
  port.Answer(ReadNameLine, ShortFrame("COPY"), GetParam().answeredSend + 1, 2);
  port.Answer(nextLine, ShortFrame("NEXT"), 0, 3);

  ExpectCompanyNameThenNextRead();

  const std::vector<int> sends = ReadNameWriteTicks();
  ASSERT_EQ(sends.size(), static_cast<std::size_t>(GetParam().answeredSend));
  const int next = FirstWriteTick(nextLine);
  if (GetParam().answeredSend == 1) {
    EXPECT_EQ(next, sends.back() + 1);
  } else {
    EXPECT_GE((next - sends.back()) * GetParam().clockStepMs, 3300);
    EXPECT_LT((next - 1 - sends.back()) * GetParam().clockStepMs, 3300);
  }
  EXPECT_EQ(BeepsFrom(sends.front()), GetParam().answeredSend - 1);
}

INSTANTIATE_TEST_SUITE_P(LinkSession, AnswerAfterReSends,
                         ::testing::Values(ClearLineCase{"FirstSend", 1, 100}, ClearLineCase{"SecondSend", 2, 100},
                                           ClearLineCase{"ThirdSend", 3, 100},
                                           ClearLineCase{"SecondSendEarlyTimer", 2, 50},
                                           ClearLineCase{"ThirdSendStalledTimer", 3, 250}),
                         CaseName());

// Answers may come later than one answer window, each within the give-up horizon of its
// send: the first answer to the company name line comes after its second re-send, and
// the answers to the re-sends follow 1.5 s apart, the last 2.8 s after its send. The
// tester answers in order, so the next line's answer comes after them. Neither late
// answer is taken as the next request's.
TEST_F(ReplyWait, TwoLateAnswersToReSendsAreNeverTakenAsTheNextAnswer) {
  const std::string nextLine = ReadLine(0xFF00);
  port.Answer(ReadNameLine, ShortFrame("ACME"), 1, 23);
  port.Answer(ReadNameLine, ShortFrame("COPY"), 2, 24);
  port.Answer(ReadNameLine, ShortFrame("COPY"), 3, 28);
  port.Answer(nextLine, ShortFrame("NEXT"), 0, 18);

  ExpectCompanyNameThenNextRead();

  const std::vector<int> sends = ReadNameWriteTicks();
  ASSERT_EQ(sends.size(), 3U);
  EXPECT_EQ(FirstWriteTick(nextLine), sends.back() + 33);
}

enum class NameTransfer { Read, Send };

struct CancelAfterAnswerCase {
  std::string name;
  NameTransfer transfer;
  int answeredSend;
  int cancelTicksAfterFirstSend;
};

class CancelAfterAnswer : public ReplyWait, public ::testing::WithParamInterface<CancelAfterAnswerCase> {};

// An answer the wait accepted counts, also when Cancel comes in the same tick or while
// the line clears: a read is handed over, an acknowledged write is reported as sent.
TEST_P(CancelAfterAnswer, CountsTheAcceptedAnswer) {
  const bool read = GetParam().transfer == NameTransfer::Read;
  const std::string line = read ? ReadNameLine : "!0000201C2";
  port.Answer(line, ShortFrame("ACME"), GetParam().answeredSend);
  CancelTicksAfterFirstWrite(line, GetParam().cancelTicksAfterFirstSend);

  if (read) {
    EXPECT_EQ(ReadName(), Padded16("ACME"));
    ExpectEndedWith("Company ID successfully acquired");
  } else {
    SendCompanyName(session, "ACME");
    ExpectEndedWith("Company ID successfully sent");
  }
}

INSTANTIATE_TEST_SUITE_P(
    LinkSession, CancelAfterAnswer,
    ::testing::Values(CancelAfterAnswerCase{"ReadCancelledInTheAnswersTick", NameTransfer::Read, 1, 1},
                      CancelAfterAnswerCase{"ReadCancelledAfterAReSentAnswer", NameTransfer::Read, 2, 14},
                      CancelAfterAnswerCase{"SendCancelledInTheAnswersTick", NameTransfer::Send, 1, 1},
                      CancelAfterAnswerCase{"SendCancelledAfterAReSentAnswer", NameTransfer::Send, 2, 14}),
    CaseName());

struct FollowUpCase {
  std::string name;
  std::string answer;
  int delay;
  int ticksBeforeNextRequest;
};

class FollowUpAnswer : public ReplyWait, public ::testing::WithParamInterface<FollowUpCase> {};

// The tester may answer the follow-up request late or never. The first transfer request
// waits for its frame, or the give-up horizon (33 ticks) when none passes, so that a late
// answer can never be taken as the transfer's.
TEST_P(FollowUpAnswer, IsAwaitedUntilItsFrameOrTheGiveUpHorizonAndNeverTakenAsTheNextAnswer) {
  port.Answer(FollowUpLine, GetParam().answer, 0, GetParam().delay);
  port.Answer(ReadNameLine, ShortFrame("ACME"));

  EXPECT_EQ(ReadName(), Padded16("ACME"));

  EXPECT_EQ(FirstWriteTick(ReadNameLine) - FirstWriteTick(FollowUpLine), GetParam().ticksBeforeNextRequest);
  EXPECT_EQ(WriteCount(FollowUpLine), 1);
  EXPECT_EQ(WriteCount(ReadNameLine), 1);
}

INSTANTIATE_TEST_SUITE_P(
    LinkSession, FollowUpAnswer,
    ::testing::Values(FollowUpCase{"Unanswered", "", 1, 33}, FollowUpCase{"ShortAnswer", ShortFrame("OTHER"), 1, 1},
                      FollowUpCase{"ShortAnswerAfterTwoTicks", ShortFrame("OTHER"), 2, 2},
                      FollowUpCase{"LateShortAnswer", ShortFrame("OTHER"), 6, 6},
                      FollowUpCase{"AnswerAtTheEndOfItsWindow", ShortFrame("OTHER"), 10, 10},
                      FollowUpCase{"AnswerLaterThanItsWindow", ShortFrame("OTHER"), 15, 15},
                      FollowUpCase{"AnswerAtTheEndOfTheHorizon", ShortFrame("OTHER"), 32, 32},
                      FollowUpCase{"SpoiltShortAnswer", WithByte(ShortFrame("OTHER"), 1, '!'), 2, 33},
                      FollowUpCase{"LongAnswerIsNotTaken", LongFrame(SerialOnly2143), 1, 33}),
    CaseName());

// A frame still arriving when a request goes out is stale: the line is let fall quiet,
// and what arrives meanwhile is dropped, before the request is written.
TEST_F(ReplyWait, FrameStillArrivingWhenARequestGoesOutIsDropped) {
  port.ArrivingWhenWriting(ReadNameLine, ShortFrame("STALE"));
  port.Answer(ReadNameLine, ShortFrame("ACME"), 0, 2);

  EXPECT_EQ(ReadName(), Padded16("ACME"));

  EXPECT_EQ(timeline.Count("dropped arriving bytes"), 1);
  EXPECT_EQ(WriteCount(ReadNameLine), 1);
}

struct PollFailureCase {
  std::string name;
  std::string silentLine;
  std::string failingCall;
  int occurrence;
  bool closeFailsToo = false;
};

class PollFailure : public ReplyWait, public ::testing::WithParamInterface<PollFailureCase> {};

// A re-send that fails inside the poll reaches the waiting handler once, which ends the
// session, instead of an error report from every 11th tick while the wait goes on. The
// operator is told that the port was lost and what to do, with the system's own text.
TEST_P(PollFailure, IsRaisedOnceByTheWaitingHandlerAndEndsTheSession) {
  const EInOutError failure(5, "Input/output error on /dev/ttyUSB0", EIO);
  port.Answer(GetParam().silentLine, "");
  port.FailCall(GetParam().failingCall, GetParam().occurrence, std::make_exception_ptr(failure));
  if (GetParam().closeFailsToo) {
    port.FailCall("close", timeline.Count("close") + 2, std::make_exception_ptr(failure));
  }

  std::string raised;
  try {
    ReadName();
  } catch (const EPortLost& error) {
    raised = error.what();
  }

  EXPECT_EQ(raised,
            "The serial port COM1 (/dev/ttyUSB0) stopped working during the transfer; the adapter or its "
            "cable may have been pulled out. Check the cable and the adapter, then try again. (The system "
            "reported: " +
                std::string(failure.what()) + ")");
  EXPECT_EQ(timeline.Count("error report "), 0);
  EXPECT_EQ(timeline.Now(), timeline.FirstTick(GetParam().failingCall + " failed"));
  EXPECT_EQ(timeline.Count("ended"), 1);
  EXPECT_TRUE(session.Aborted);
  EXPECT_FALSE(port.IsOpen());
  EXPECT_FALSE(host.PollTimerEnabled());

  port.Answer(IdentificationLine, LongFrame(SerialOnly2143));
  port.Answer(ReadNameLine, ShortFrame("ACME"));
  EXPECT_EQ(ReadName(), Padded16("ACME"));
}

INSTANTIATE_TEST_SUITE_P(LinkSession, PollFailure,
                         ::testing::Values(PollFailureCase{"ReSendInTheSearch", IdentificationLine, "write", 2},
                                           PollFailureCase{"ReSendInTheTransfer", ReadNameLine, "write", 4},
                                           PollFailureCase{"DiscardBeforeTheReSend", ReadNameLine, "discard input", 4},
                                           PollFailureCase{"ReSendAndCloseOfAPulledAdapter", ReadNameLine, "write", 4,
                                                           true}),
                         CaseName());

}  // namespace
}  // namespace orvel::test
