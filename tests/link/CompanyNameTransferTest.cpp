#include <string>
#include <vector>

#include "LinkSessionFixture.h"
#include "link/CompanyNameTransfer.h"
#include "link/TransferEnds.h"

namespace orvel::test {
namespace {

class CompanyName : public LinkSessionTest {
 protected:
  CompanyName() {
    PlaceTester(1);
    AcknowledgeWrites();
  }
};

struct SendCase {
  std::string name;
  std::string line;
};

class SendCompanyNameOf : public CompanyName, public ::testing::WithParamInterface<SendCase> {};

TEST_P(SendCompanyNameOf, WritesItPaddedTo16Characters) {
  EXPECT_TRUE(SendCompanyName(session, GetParam().name));

  EXPECT_EQ(WritesFrom("!00002"), std::vector<std::string>{GetParam().line});
  // No status text of its own before the request: the search's last one stays.
  EXPECT_EQ(timeline.Texts("status "),
            (std::vector<std::string>{"", "Looking for instrument on Com1...", "Company ID successfully sent"}));
  ExpectEndedWith("Company ID successfully sent");
}

INSTANTIATE_TEST_SUITE_P(LinkSession, SendCompanyNameOf,
                         ::testing::Values(SendCase{"ABCDE", "!0000201C2ABCDE           \r"},
                                           SendCase{"", "!0000201C2                \r"},
                                           SendCase{"0123456789ABCDEF", "!0000201C20123456789ABCDEF\r"}));

TEST_F(CompanyName, ReadReturnsAll16CharactersWithTrailingBlanks) {
  port.Answer(ReadLine(0x01C2), ShortFrame("ACME  LTD"));

  EXPECT_EQ(ReadCompanyName(session), "ACME  LTD       ");
  EXPECT_EQ(WritesFrom("!00003"), std::vector<std::string>{"!0000301C2\r"});
  ExpectEndedWith("Company ID successfully acquired");
}

// A tester that puts the address in its answers, and a copy of an earlier session's answer
// naming the company name's address that arrives first, while the tester's own answer is
// held up. The read asked again at the end gets the held-up answer, in turn: the two
// contradict each other, so neither name is shown.
TEST_F(CompanyName, StaleAnswerTakenFirstIsContradictedByTheReadAskedAgain) {
  port.Answer(IdentificationLine, LongFrameFor(0x0190, SerialOnly2143));
  port.Answer(ReadLine(CompanyNameAddress), ShortFrameFor(CompanyNameAddress, "OLD NAME"), 1);
  port.Answer(ReadLine(CompanyNameAddress), ShortFrameFor(CompanyNameAddress, "NEW NAME"), 2);

  EXPECT_EQ(ReadCompanyName(session), std::nullopt);

  // The follow-up line, not awaited, is let go out rather than discarded with the output.
  EXPECT_EQ(timeline.CountAmong("discard output", timeline.FirstIndex("write " + FollowUpLine).value(),
                                timeline.FirstIndex("write " + ReadLine(CompanyNameAddress)).value()),
            0);
  EXPECT_EQ(WriteCount(ReadLine(CompanyNameAddress)), 2);
  ExpectFailedState(std::string(kOutOfStep) + " Read again.");
}

// A discard in the middle of the follow-up's answer leaves its tail ahead of the awaited
// answer: once the line stops, the whole frame is taken from the end, with no re-send.
TEST_F(CompanyName, AnswerBehindTheTailOfACutFrameIsTakenWithoutAReSend) {
  port.Answer(IdentificationLine, LongFrameFor(0x0190, SerialOnly2143));
  const std::string answer = ShortFrameFor(CompanyNameAddress, "ACME");
  port.Answer(ReadLine(CompanyNameAddress), ShortFrameFor(0x0107, "").substr(14) + answer, 1);
  port.Answer(ReadLine(CompanyNameAddress), answer, 2);

  EXPECT_EQ(ReadCompanyName(session), "ACME            ");
  EXPECT_EQ(WriteCount(ReadLine(CompanyNameAddress)), 2);
}

TEST_F(CompanyName, UnansweredSendLeavesTheSessionFailed) {
  port.Answer("!00002", "");

  EXPECT_FALSE(SendCompanyName(session, "ACME"));

  EXPECT_EQ(WriteCount("!0000201C2"), 4);
  ExpectFailedState("Unable to send data");
}

// A control character would end or break the request line at the tester: the name is
// refused with a message before any session starts.
TEST_F(CompanyName, NameThatCannotBeSentIsRefusedBeforeTheSession) {
  EXPECT_FALSE(SendCompanyName(session, "AC\rME"));
  EXPECT_FALSE(SendCompanyName(session, "A\tB"));
  EXPECT_FALSE(SendCompanyName(session, std::string(17, 'N')));

  EXPECT_EQ(timeline.Texts("information "),
            (std::vector<std::string>{
                "The company name cannot be sent: it holds a carriage return (U+000D) at character 3. Correct it, then send again.",
                "The company name cannot be sent: it holds a tab (U+0009) at character 2. Correct it, then send again.",
                "The company name cannot be sent: it has 17 characters; the tester holds 16. Correct it, then "
                "send again."}));
  EXPECT_TRUE(port.Writes().empty());
  EXPECT_EQ(timeline.Count("show status page"), 0);
  EXPECT_EQ(timeline.Count("timer on"), 0);
}

}  // namespace
}  // namespace orvel::test
