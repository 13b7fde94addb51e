#include <string>
#include <vector>

#include "IdListFixture.h"

namespace orvel::test {
namespace {

using SendIds = IdListTransferTest;

// The write requests that put these rows into the tester's slots, row by row.
std::vector<std::string> WritesOf(const IdPairs& rows) {
  std::vector<std::string> lines;
  for (std::size_t slot = 0; slot < rows.size(); ++slot) {
    lines.push_back(WriteLine(TrailerAddressOf(slot), Id16(rows[slot].trailer)));
    lines.push_back(WriteLine(VehicleAddressOf(slot), Id16(rows[slot].vehicle)));
  }
  return lines;
}

TEST_F(SendIds, WritesEachRowsTrailerIdThenVehicleIdPaddedTo16) {
  IdPairs rows = OldRows(32);
  rows[4].trailer = "";
  rows[31].vehicle = "0123456789ABCDEF";

  EXPECT_TRUE(SendIdList(session, rows));

  EXPECT_EQ(WritesFrom("!00002"), WritesOf(rows));
  EXPECT_EQ(WritesFrom("!00002")[8], "!00002FF20" + std::string(16, ' ') + "\r");
  EXPECT_EQ(timeline.Count("confirm "), 0);
  EXPECT_EQ(timeline.Texts("status "), (std::vector<std::string>{"", "Looking for instrument on Com3...",
                                                                 "Sending IDs on Com3", "IDs successfully sent"}));
  ExpectEndedWith("IDs successfully sent");
}

struct RowCountCase {
  std::size_t rows;
  std::string question;
};

class SendGroupOf : public IdListTransferTest, public ::testing::WithParamInterface<RowCountCase> {};

// The tester has 32 slots whatever the group holds: it ends up with exactly the group's
// first 32 pairs, blanks where the group has no row, and nothing is addressed past the
// last slot.
TEST_P(SendGroupOf, RowsAsksFirstAndFillsExactly32Slots) {
  IdPairs slots = OldRows(GetParam().rows);
  host.AnswerConfirm(true);

  EXPECT_TRUE(SendIdList(session, slots));

  slots.resize(32);
  EXPECT_EQ(timeline.Texts("confirm "), std::vector<std::string>{GetParam().question});
  EXPECT_EQ(WritesFrom("!00002"), WritesOf(slots));
  ExpectEndedWith("IDs successfully sent");
}

INSTANTIATE_TEST_SUITE_P(
    LinkSession, SendGroupOf,
    ::testing::Values(RowCountCase{31,
                                   "This group has 31 rows but the tester holds 32 pairs: slot 32 will be "
                                   "cleared in the tester. Send?"},
                      RowCountCase{33,
                                   "This group has 33 rows but the tester holds 32 pairs: rows 33 to 33 will not "
                                   "be sent. Send the first 32 rows?"}));

TEST_F(SendIds, NotConfirmedForAShortGroupSendsNothing) {
  host.AnswerConfirm(false);

  EXPECT_FALSE(SendIdList(session, OldRows(31)));

  EXPECT_EQ(timeline.Count("show status page"), 0);
  EXPECT_EQ(timeline.Count("probe "), 0);
  EXPECT_TRUE(port.Writes().empty());
}

// The failure box says what the tester holds after the five writes it acknowledged.
TEST_F(SendIds, UnansweredWriteStopsTheSendAtThatId) {
  const IdPairs rows = OldRows(32);
  const std::string unanswered = WriteLine(VehicleAddressOf(2), Id16(rows[2].vehicle));
  port.Answer(unanswered, "");

  EXPECT_FALSE(SendIdList(session, rows));

  std::vector<std::string> expected = WritesOf(rows);
  expected.resize(6);
  expected.insert(expected.end(), 3, unanswered);
  EXPECT_EQ(WritesFrom("!00002"), expected);
  ExpectFailedState(
      "Unable to send data. Slots 1 to 2 hold the group's pairs; slot 3 has its new Trailer ID beside its old "
      "Vehicle ID; slots 4 to 32 still hold the tester's old IDs (the ID being sent when the transfer stopped may or "
      "may not "
      "have arrived). Send again to complete the list.");
}

struct RefusalCase {
  std::string name;
  std::size_t row;
  bool trailer;
  std::string cellText;
  std::string message;
};

class RowThatCannotBeSent : public IdListTransferTest, public ::testing::WithParamInterface<RefusalCase> {};

// A control character would end or break the request line at the tester: the group is
// refused with one message before anything else: no question, no session, no request.
TEST_P(RowThatCannotBeSent, IsNamedInOneMessageAndNothingIsSent) {
  IdPairs rows = OldRows(31);
  IdPair& spoilt = rows[GetParam().row - 1];
  (GetParam().trailer ? spoilt.trailer : spoilt.vehicle) = GetParam().cellText;

  EXPECT_FALSE(SendIdList(session, rows));

  const std::vector<std::string> boxes = timeline.Texts("information ");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].substr(0, GetParam().message.size()), GetParam().message);
  EXPECT_EQ(timeline.Count("confirm "), 0);
  EXPECT_EQ(timeline.Count("show status page"), 0);
  EXPECT_TRUE(port.Writes().empty());
}

INSTANTIATE_TEST_SUITE_P(
    LinkSession, RowThatCannotBeSent,
    ::testing::Values(
        RefusalCase{"CarriageReturnInATrailerId", 3, true, "AB\rCD",
                    "Row 3 cannot be sent: its Trailer ID holds a carriage return (U+000D) at character 3. Correct the row, then send "
                    "again. Nothing was sent."},
        RefusalCase{"TabInTheLastVehicleId", 31, false, "AB\tCD", "Row 31 cannot be sent: its Vehicle ID holds a tab (U+0009) at character 3."},
        RefusalCase{"EscapeInAVehicleId", 5, false, "\x1B[2J",
                    "Row 5 cannot be sent: its Vehicle ID holds a control character (U+001B) at character 1."},
        RefusalCase{"SeventeenCharacters", 7, true, std::string(17, 'T'),
                    "Row 7 cannot be sent: its Trailer ID has 17 characters; the tester holds 16."}),
    CaseName());

}  // namespace
}  // namespace orvel::test
