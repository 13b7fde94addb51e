#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "IdListFixture.h"
#include "tables/TableFileName.h"

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

enum class Direction { Read, Send };
enum class Spoilage { ControlCharacterInACell, TableDeleted, TableDamaged };

struct RefusalCase {
  std::string name;
  Direction direction;
  Spoilage spoilage;
  int row;
  bool trailer;
  std::string cellText;
  std::string message;
};

class TransferRefusedBeforeTheSession : public IdListTransferTest, public ::testing::WithParamInterface<RefusalCase> {
 protected:
  void Spoil() {
    const RefusalCase& spoil = GetParam();
    const std::filesystem::path file = folder.Path() / TableFileName(idList.TableName());
    switch (spoil.spoilage) {
      case Spoilage::ControlCharacterInACell:
        idList.SetRecNo(spoil.row);
        idList.Edit();
        idList.FieldByName(spoil.trailer ? fields.trailer : fields.vehicle).SetAsString(spoil.cellText);
        idList.Post();
        return;
      case Spoilage::TableDeleted: {
        std::error_code refused;
        std::filesystem::remove(file, refused);
        // Windows keeps a file that a program holds open, as the engine holds an open
        // table's, so there a table cannot vanish under the window.
        if (refused) GTEST_SKIP() << "the system keeps an open table's file: " << refused.message();
        return;
      }
      case Spoilage::TableDamaged:
        std::ofstream(file, std::ios::binary | std::ios::trunc) << std::string(4096, 'x');
        return;
    }
  }
};

// What cannot go right is refused with one message before anything else: no question,
// no session, no request.
TEST_P(TransferRefusedBeforeTheSession, WithOneMessageAndNothingSent) {
  MakeIdList(32);
  Spoil();
  if (IsSkipped()) return;

  if (GetParam().direction == Direction::Read) {
    ReadIdList(session, idList, fields);
  } else {
    SendIdList(session, idList, fields);
  }

  const std::vector<std::string> boxes = timeline.Texts("information ");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].substr(0, GetParam().message.size()), GetParam().message);
  EXPECT_EQ(timeline.Count("confirm "), 0);
  EXPECT_EQ(timeline.Count("show status page"), 0);
  EXPECT_TRUE(port.Writes().empty());
  if (GetParam().spoilage == Spoilage::ControlCharacterInACell) {
    // The grid shows the row to correct.
    EXPECT_EQ(idList.RecNo(), GetParam().row);
    EXPECT_FALSE(idList.ControlsDisabled());
  }
}

const std::string Unusable = "The ID list of this group (table \"Group 1\" in ";

INSTANTIATE_TEST_SUITE_P(
    LinkSession, TransferRefusedBeforeTheSession,
    ::testing::Values(
        RefusalCase{"CarriageReturnInATrailerId", Direction::Send, Spoilage::ControlCharacterInACell, 3, true, "AB\rCD",
                    "Row 3 cannot be sent: its Trailer ID holds a carriage return. Correct the row, then send "
                    "again. Nothing was sent."},
        RefusalCase{"TabInTheLastVehicleId", Direction::Send, Spoilage::ControlCharacterInACell, 32, false, "AB\tCD",
                    "Row 32 cannot be sent: its Vehicle ID holds a tab."},
        RefusalCase{"EscapeInAVehicleId", Direction::Send, Spoilage::ControlCharacterInACell, 5, false, "\x1B[2J",
                    "Row 5 cannot be sent: its Vehicle ID holds the control character 27."},
        RefusalCase{"ReadOfADeletedTable", Direction::Read, Spoilage::TableDeleted, 0, false, "", Unusable},
        RefusalCase{"SendOfADeletedTable", Direction::Send, Spoilage::TableDeleted, 0, false, "", Unusable},
        RefusalCase{"ReadOfADamagedTable", Direction::Read, Spoilage::TableDamaged, 0, false, "", Unusable},
        RefusalCase{"SendOfADamagedTable", Direction::Send, Spoilage::TableDamaged, 0, false, "", Unusable}),
    CaseName());

}  // namespace
}  // namespace orvel::test
