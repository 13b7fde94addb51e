#include "BufferedInput.h"

#include "link/ReplyFrame.h"
#include "link/TakeReply.h"

#include <gtest/gtest.h>

#include <string>

namespace orvel {
namespace {

using test::BufferedInput;

const std::string ShortData(20, ' ');
const std::string LongData(68, ' ');

// Data fields whose byte sums are known by hand: 0x2A + 19 * 0x20 = 0x28A, and
// 2 * 0x65 + 18 * 0x20 = 0x30A.
const std::string SumsTo8A = "*" + std::string(19, ' ');
const std::string SumsTo0A = "ee" + std::string(18, ' ');

std::string Frame(const std::string& data, const std::string& checksum, char start = ':', char end = '\r') {
  return start + std::string("00000") + data + checksum + end;
}

struct ChecksumCase {
  std::string data;
  std::string checksum;
  bool ok;
};

class ChecksumExamples : public ::testing::TestWithParam<ChecksumCase> {};

TEST_P(ChecksumExamples, MatchesUpperCaseTwoDigitSum) {
  EXPECT_EQ(ReplyChecksumOk(GetParam().data, GetParam().checksum), GetParam().ok);
}

INSTANTIATE_TEST_SUITE_P(Protocol, ChecksumExamples,
                         ::testing::Values(ChecksumCase{ShortData, "80", true}, ChecksumCase{LongData, "80", true},
                                           ChecksumCase{SumsTo0A, "0A", true}, ChecksumCase{SumsTo0A, "A", false},
                                           ChecksumCase{SumsTo0A, "0a", false}, ChecksumCase{SumsTo8A, "8A", true},
                                           ChecksumCase{SumsTo8A, "8a", false}, ChecksumCase{SumsTo8A, "8A ", false},
                                           ChecksumCase{"", "00", true},
                                           ChecksumCase{std::string(2, '\xFF'), "FE", true},
                                           ChecksumCase{ShortData, "81", false}));

struct JudgeCase {
  std::string name;
  std::string frame;
  ReplyOutcome outcome;
  std::string dataField;
};

class JudgedFrames : public ::testing::TestWithParam<JudgeCase> {};

TEST_P(JudgedFrames, PassOnlyWithMarkersChecksumAndNoNul) {
  const TakenReply reply = JudgeTakenFrame(GetParam().frame);
  EXPECT_EQ(reply.outcome, GetParam().outcome);
  EXPECT_EQ(reply.dataField, GetParam().dataField);
}

std::string WithByte(std::string frame, std::size_t position, char byte) {
  frame[position - 1] = byte;
  return frame;
}

INSTANTIATE_TEST_SUITE_P(
    Protocol, JudgedFrames,
    ::testing::Values(
        JudgeCase{"ShortValid", Frame(ShortData, "80"), ReplyOutcome::TakenAndPassed, ShortData},
        JudgeCase{"LongValid", Frame(LongData, "80"), ReplyOutcome::TakenAndPassed, LongData},
        JudgeCase{"LeadingZeroChecksum", Frame(SumsTo0A, "0A"), ReplyOutcome::TakenAndPassed, SumsTo0A},
        JudgeCase{"UnexaminedBytesIgnored", WithByte(Frame(ShortData, "80"), 3, 'Z'), ReplyOutcome::TakenAndPassed,
                  ShortData},
        JudgeCase{"LowerCaseChecksum", Frame(SumsTo8A, "8a"), ReplyOutcome::TakenAndFailed, SumsTo8A},
        JudgeCase{"WrongChecksum", Frame(ShortData, "81"), ReplyOutcome::TakenAndFailed, ShortData},
        JudgeCase{"WrongStartMarker", Frame(ShortData, "80", ';'), ReplyOutcome::TakenAndFailed, ShortData},
        JudgeCase{"WrongEndMarker", Frame(ShortData, "80", ':', '\n'), ReplyOutcome::TakenAndFailed, ShortData},
        JudgeCase{"LongWrongEndMarker", Frame(LongData, "80", ':', ' '), ReplyOutcome::TakenAndFailed, LongData},
        JudgeCase{"NulInUnexaminedBytes", WithByte(Frame(ShortData, "80"), 4, '\0'), ReplyOutcome::TakenAndFailed, ""},
        JudgeCase{"NulInDataField", WithByte(Frame(ShortData, "60"), 17, '\0'), ReplyOutcome::TakenAndFailed,
                  std::string(10, ' ')},
        JudgeCase{"NulAsEndMarker", Frame(ShortData, "80", ':', '\0'), ReplyOutcome::TakenAndFailed, ShortData},
        JudgeCase{"NulInChecksum", Frame(ShortData, std::string("8\0", 2)), ReplyOutcome::TakenAndFailed, ShortData}),
    [](const ::testing::TestParamInfo<JudgeCase>& example) { return example.param.name; });

TEST(TakeShortReply, TakesOnlyExactlyTwentyNineBytes) {
  const std::string frame = Frame(ShortData, "80");
  for (const std::size_t buffered : {28U, 30U}) {
    BufferedInput input;
    input.Receive((frame + "X").substr(0, buffered));
    const TakenReply reply = TakeShortReply(input);
    EXPECT_EQ(reply.outcome, ReplyOutcome::NothingTaken) << buffered;
    EXPECT_TRUE(reply.dataField.empty()) << buffered;
    EXPECT_EQ(input.InputCount(), buffered);
  }

  BufferedInput input;
  input.Receive(frame);
  EXPECT_EQ(TakeShortReply(input).outcome, ReplyOutcome::TakenAndPassed);
  EXPECT_EQ(input.InputCount(), 0U);
}

TEST(TakeShortReply, ConsumesAFrameThatFails) {
  BufferedInput input;
  input.Receive(Frame(SumsTo8A, "8a"));
  const TakenReply reply = TakeShortReply(input);
  EXPECT_EQ(reply.outcome, ReplyOutcome::TakenAndFailed);
  EXPECT_EQ(reply.dataField, SumsTo8A);
  EXPECT_EQ(input.InputCount(), 0U);
}

TEST(TakeReply, NeverTakesTheOtherLength) {
  BufferedInput longWaiting;
  longWaiting.Receive(Frame(LongData, "80"));
  EXPECT_EQ(TakeShortReply(longWaiting).outcome, ReplyOutcome::NothingTaken);
  EXPECT_EQ(longWaiting.InputCount(), LongReplyLength);

  BufferedInput shortWaiting;
  shortWaiting.Receive(Frame(ShortData, "80"));
  EXPECT_EQ(TakeLongReply(shortWaiting).outcome, ReplyOutcome::NothingTaken);
  EXPECT_EQ(shortWaiting.InputCount(), ShortReplyLength);
}

TEST(TakeLongReply, WaitsUntilAFrameArrivingInPiecesIsWhole) {
  const std::string data = "0000" + std::string("31323334") + std::string(56, 'x');
  const std::string frame = Frame(data, "96");
  BufferedInput input;
  input.Receive(frame.substr(0, 32));
  EXPECT_EQ(TakeLongReply(input).outcome, ReplyOutcome::NothingTaken);
  input.Receive(frame.substr(32, 44));
  EXPECT_EQ(TakeLongReply(input).outcome, ReplyOutcome::NothingTaken);
  input.Receive(frame.substr(76));

  const TakenReply reply = TakeLongReply(input);
  EXPECT_EQ(reply.outcome, ReplyOutcome::TakenAndPassed);
  EXPECT_EQ(reply.dataField, data);
}

TEST(TakeReply, LeavesNoiseAndDoubleAnswersInPlace) {
  const std::string frame = Frame(ShortData, "80");
  for (const std::string& buffered : {"~" + frame, frame + "~", frame + frame}) {
    BufferedInput input;
    input.Receive(buffered);
    EXPECT_EQ(TakeShortReply(input).outcome, ReplyOutcome::NothingTaken);
    EXPECT_EQ(input.Bytes(), buffered);
  }
}

}  // namespace
}  // namespace orvel
