#include <cerrno>
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

  std::optional<std::string> ReadName() { return ReadCompanyName(session); }

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

  EXPECT_TRUE(session.Begin());

  EXPECT_EQ(WriteCount(IdentificationLine), 4);
  EXPECT_EQ(WritesFrom(FollowUpLine), std::vector<std::string>{FollowUpLine});
  EXPECT_FALSE(session.Searching());
  EXPECT_EQ(host.IdentityText(), "Tester No:2143 on COM1");
}

// Answers may come later than one answer window, each within the give-up horizon of its
// send: the first answer to the company name line comes after its second re-send, and
// the answers to the re-sends follow 1.5 s apart, the last 2.8 s after its send. The
// tester answers in order, so the next line's answer comes after them. Neither late
// answer is taken as the next request's, and the line stays in step.
TEST_F(ReplyWait, TwoLateAnswersToReSendsAreNeverTakenAsTheNextAnswer) {
  const std::string nextLine = ReadLine(0xFF00);
  port.Answer(ReadNameLine, ShortFrame("ACME"), 1, 23);
  port.Answer(ReadNameLine, ShortFrame("COPY"), 2, 24);
  port.Answer(ReadNameLine, ShortFrame("COPY"), 3, 28);
  port.Answer(nextLine, ShortFrame("NEXT"), 0, 18);
  ASSERT_TRUE(session.Begin());

  const ExchangeResult name = session.Exchange(RequestCode::Read, CompanyNameAddress);
  const ExchangeResult next = session.Exchange(RequestCode::Read, TrailerAddress(0));

  EXPECT_EQ(ReadNameWriteTicks().size(), 3U);
  EXPECT_EQ(name.answer, Padded16("ACME"));
  EXPECT_EQ(next.outcome, ExchangeOutcome::Answered);
  EXPECT_EQ(next.answer, Padded16("NEXT"));
  EXPECT_EQ(session.ConfirmInStep(), ExchangeOutcome::Answered);
}

struct FollowUpCase {
  std::string name;
  std::string answer;
  int delay;
  // Ticks from the follow-up request to the first transfer request.
  int firstRequestAfter;
};

class FollowUpAnswer : public ReplyWait, public ::testing::WithParamInterface<FollowUpCase> {};

// The tester may answer the follow-up request late, never, or with a frame no transfer
// takes. The first transfer request waits the poll tick an immediate answer needs; these
// answers carry no address, so it waits for a later one up to the give-up horizon. It
// takes its own answer.
TEST_P(FollowUpAnswer, HoldsTheFirstRequestUntilItsAnswerIsTakenAndIsNeverTakenAsItsAnswer) {
  port.Answer(FollowUpLine, GetParam().answer, 0, GetParam().delay);
  port.Answer(ReadNameLine, ShortFrame("ACME"));

  EXPECT_EQ(ReadName(), Padded16("ACME"));

  EXPECT_EQ(FirstWriteTick(ReadNameLine) - FirstWriteTick(FollowUpLine), GetParam().firstRequestAfter);
  EXPECT_EQ(WriteCount(FollowUpLine), 1);
  EXPECT_EQ(WriteCount(ReadNameLine), 1);
}

INSTANTIATE_TEST_SUITE_P(
    LinkSession, FollowUpAnswer,
    ::testing::Values(FollowUpCase{"Unanswered", "", 1, 33}, FollowUpCase{"ShortAnswer", ShortFrame("OTHER"), 1, 1},
                      FollowUpCase{"LateShortAnswer", ShortFrame("OTHER"), 6, 6},
                      FollowUpCase{"SpoiltShortAnswer", WithByte(ShortFrame("OTHER"), 1, '!'), 1, 1},
                      FollowUpCase{"LongAnswer", LongFrame(SerialOnly2143), 1, 1}),
    CaseName());

// A follow-up answer partly in when the tick is over holds the first request until the
// rest of it has come, so that the two answers do not meet on the line.
TEST_F(ReplyWait, FollowUpAnswerArrivingInPiecesIsTakenBeforeTheFirstRequest) {
  port.Answer(FollowUpLine, "");
  const std::string answer = ShortFrame("OTHER");
  port.DeliverAtTick(2, answer.substr(0, 10));
  port.DeliverAtTick(4, answer.substr(10));
  port.Answer(ReadNameLine, ShortFrame("ACME"));

  EXPECT_EQ(ReadName(), Padded16("ACME"));

  EXPECT_EQ(FirstWriteTick(FollowUpLine), 1);
  EXPECT_EQ(FirstWriteTick(ReadNameLine), 4);
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
  EXPECT_FALSE(session.Cancellable());
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
