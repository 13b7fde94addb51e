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

struct LateAnswerCase {
  int answeredSend;
  int ticksUntilDone;
};

class AnswerAfterReSends : public ReplyWait, public ::testing::WithParamInterface<LateAnswerCase> {};

// An answer to a re-sent line may be followed by the answer to the re-send itself, and the
// tester may take as long to give it as the first send was ahead of the last re-send: the
// wait drains the line that long after the answer before the next request.
TEST_P(AnswerAfterReSends, IsAcceptedOnceTheLineWasDrainedAsLongAsTheReSendsTook) {
  port.Answer(ReadNameLine, ShortFrame("ACME"), GetParam().answeredSend);

  EXPECT_EQ(ReadName(), Padded16("ACME"));

  const int sent = FirstWriteTick(ReadNameLine);
  EXPECT_EQ(WriteCount(ReadNameLine), GetParam().answeredSend);
  EXPECT_EQ(BeepsFrom(sent), GetParam().answeredSend - 1);
  EXPECT_EQ(timeline.FirstTick("ended"), sent + GetParam().ticksUntilDone);
  ExpectEndedWith("Company ID successfully acquired");
}

INSTANTIATE_TEST_SUITE_P(LinkSession, AnswerAfterReSends,
                         ::testing::Values(LateAnswerCase{1, 1}, LateAnswerCase{2, 23}, LateAnswerCase{3, 45}));

TEST_F(ReplyWait, CancelWhileTheAnswerWindowPassesCancelsTheTransfer) {
  port.Answer(ReadNameLine, ShortFrame("ACME"), 2);
  CancelTicksAfterFirstWrite(ReadNameLine, 15);

  EXPECT_EQ(ReadName(), std::nullopt);

  EXPECT_EQ(timeline.Now(), FirstWriteTick(ReadNameLine) + 15);
  EXPECT_EQ(host.IdentityText(), "");
  ExpectEndedAfterCancel();
}

TEST_F(ReplyWait, FramesTakenWhileTheAnswerWindowPassesDoNotReplaceTheAcceptedAnswer) {
  // The first answer comes late, after the re-send; the answer to the re-send is spoilt.
  port.Answer(ReadNameLine, ShortFrame("ACME"), 1, 12);
  port.Answer(ReadNameLine, WithByte(ShortFrame("EVIL"), 28, '!'), 2, 3);

  EXPECT_EQ(ReadName(), Padded16("ACME"));

  EXPECT_EQ(timeline.FirstTick("ended"), FirstWriteTick(ReadNameLine) + 12 + 11);
}

struct FollowUpCase {
  std::string name;
  std::string answer;
  int delay;
  int ticksBeforeNextRequest;
};

class FollowUpAnswer : public ReplyWait, public ::testing::WithParamInterface<FollowUpCase> {};

TEST_P(FollowUpAnswer, IsAwaitedForThreeTicksAtMostAndNeverTakenAsTheNextAnswer) {
  port.Answer(FollowUpLine, GetParam().answer, 0, GetParam().delay);
  port.Answer(ReadNameLine, ShortFrame("ACME"));

  EXPECT_EQ(ReadName(), Padded16("ACME"));

  EXPECT_EQ(FirstWriteTick(ReadNameLine) - FirstWriteTick(FollowUpLine), GetParam().ticksBeforeNextRequest);
}

INSTANTIATE_TEST_SUITE_P(
    LinkSession, FollowUpAnswer,
    ::testing::Values(FollowUpCase{"Unanswered", "", 1, 3}, FollowUpCase{"ShortAnswer", ShortFrame("OTHER"), 1, 1},
                      FollowUpCase{"ShortAnswerAfterTwoTicks", ShortFrame("OTHER"), 2, 2},
                      FollowUpCase{"SpoiltShortAnswer", WithByte(ShortFrame("OTHER"), 1, '!'), 2, 2},
                      FollowUpCase{"LongAnswerIsNotTaken", LongFrame(SerialOnly2143), 1, 3}),
    CaseName());

struct PollFailureCase {
  std::string name;
  std::string silentLine;
  std::string failingCall;
  int occurrence;
};

class PollFailure : public ReplyWait, public ::testing::WithParamInterface<PollFailureCase> {};

// A re-send that fails inside the poll reaches the waiting handler once, which ends the
// session, instead of an error report from every 11th tick while the wait goes on.
TEST_P(PollFailure, IsRaisedOnceByTheWaitingHandlerAndEndsTheSession) {
  const EInOutError failure(5, "Input/output error on /dev/ttyUSB0", EIO);
  port.Answer(GetParam().silentLine, "");
  port.FailCall(GetParam().failingCall, GetParam().occurrence, std::make_exception_ptr(failure));

  std::string raised;
  try {
    ReadName();
  } catch (const EInOutError& error) {
    raised = error.what();
  }

  EXPECT_EQ(raised, failure.what());
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
                                           PollFailureCase{"DiscardBeforeTheReSend", ReadNameLine, "discard input", 4}),
                         CaseName());

}  // namespace
}  // namespace orvel::test
