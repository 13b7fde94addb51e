#include <string>
#include <vector>

#include "IdListFixture.h"

namespace orvel::test {
namespace {

using SendIds = IdListTransferTest;

// The write requests that put these rows into the tester's slots, row by row.
std::vector<std::string> WritesOf(const std::vector<IdPair>& rows) {
  std::vector<std::string> lines;
  for (std::size_t slot = 0; slot < rows.size(); ++slot) {
    lines.push_back(WriteLine(TrailerAddressOf(slot), Id16(rows[slot].first)));
    lines.push_back(WriteLine(VehicleAddressOf(slot), Id16(rows[slot].second)));
  }
  return lines;
}

TEST_F(SendIds, WritesEachRowsTrailerIdThenVehicleIdPaddedTo16) {
  MakeIdList(32);
  idList.SetRecNo(5);
  idList.Edit();
  idList.FieldByName(fields.trailer).SetAsString("");
  idList.Post();
  idList.SetRecNo(32);
  idList.Edit();
  idList.FieldByName(fields.vehicle).SetAsString("0123456789ABCDEF");
  idList.Post();
  const std::vector<IdPair> rows = StoredRows();
  ASSERT_EQ(rows[4].first, "");
  int ticksFollowedByTheGrid = 0;
  host.ObserveEveryTick(
      [&] { ticksFollowedByTheGrid += timeline.Count("write !00002") > 0 && !idList.ControlsDisabled(); });

  SendIdList(session, idList, fields);

  EXPECT_EQ(ticksFollowedByTheGrid, 0);
  EXPECT_EQ(WritesFrom("!00002"), WritesOf(rows));
  EXPECT_EQ(WritesFrom("!00002")[8], "!00002FF20" + std::string(16, ' ') + "\r");
  EXPECT_EQ(timeline.Count("confirm "), 0);
  EXPECT_EQ(timeline.Texts("status "), (std::vector<std::string>{"", "Looking for instrument on Com3...",
                                                                 "Sending IDs on Com3", "IDs successfully sent"}));
  ExpectEndedWith("IDs successfully sent");
  EXPECT_EQ(StoredRows(), rows);
  EXPECT_FALSE(idList.ControlsDisabled());
  EXPECT_EQ(idList.RecNo(), 1);
}

struct RowCountCase {
  int rows;
  std::string question;
};

class SendTableOf : public IdListTransferTest, public ::testing::WithParamInterface<RowCountCase> {};

// The tester has 32 slots whatever the table holds: it ends up with exactly the table's
// first 32 pairs, blanks where the table has no row, and nothing is addressed past the
// last slot.
TEST_P(SendTableOf, RowsAsksFirstAndFillsExactly32Slots) {
  MakeIdList(GetParam().rows);
  std::vector<IdPair> slots = StoredRows();
  slots.resize(32);
  host.AnswerConfirm(true);

  SendIdList(session, idList, fields);

  EXPECT_EQ(timeline.Texts("confirm "), std::vector<std::string>{GetParam().question});
  EXPECT_EQ(WritesFrom("!00002"), WritesOf(slots));
  ExpectEndedWith("IDs successfully sent");
}

INSTANTIATE_TEST_SUITE_P(
    LinkSession, SendTableOf,
    ::testing::Values(RowCountCase{31,
                                   "This group has 31 rows but the tester holds 32 pairs: slots 32 to 32 will be "
                                   "cleared in the tester. Send?"},
                      RowCountCase{33,
                                   "This group has 33 rows but the tester holds 32 pairs: rows 33 to 33 will not "
                                   "be sent. Send the first 32 rows?"}));

TEST_F(SendIds, NotConfirmedForAShortTableSendsNothing) {
  MakeIdList(31);
  host.AnswerConfirm(false);

  SendIdList(session, idList, fields);

  EXPECT_EQ(timeline.Count("show status page"), 0);
  EXPECT_EQ(timeline.Count("probe "), 0);
  EXPECT_TRUE(port.Writes().empty());
}

TEST_F(SendIds, WithoutAGroupTellsTheOperatorAndStartsNoSession) {
  SendIdList(session, idList, fields);

  EXPECT_EQ(timeline.Texts("information "), std::vector<std::string>{"Please select a group to read from"});
  EXPECT_EQ(timeline.Count("show status page"), 0);
  EXPECT_EQ(timeline.Count("probe "), 0);
}

TEST_F(SendIds, UnansweredWriteStopsTheSendAtThatId) {
  MakeIdList(32);
  const std::string unanswered = WriteLine(VehicleAddressOf(1), Id16(OldVehicle(2)));
  port.Answer(unanswered, "");

  SendIdList(session, idList, fields);

  std::vector<std::string> expected = WritesOf(StoredRows());
  expected.resize(4);
  expected.insert(expected.end(), 3, unanswered);
  EXPECT_EQ(WritesFrom("!00002"), expected);
  ExpectFailedState("Unable to send data");
  EXPECT_FALSE(idList.ControlsDisabled());
  // The grid stays on the row that failed; only success or Cancel returns to the first.
  EXPECT_EQ(idList.RecNo(), 2);
}

}  // namespace
}  // namespace orvel::test
