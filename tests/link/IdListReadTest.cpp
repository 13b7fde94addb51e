#include <filesystem>
#include <string>
#include <vector>

#include "IdListFixture.h"
#include "tables/EDatabaseError.h"
#include "tables/TableFileName.h"

namespace orvel::test {
namespace {

using ReadIds = IdListTransferTest;

std::vector<std::string> AllReadLines() {
  std::vector<std::string> lines;
  for (std::size_t slot = 0; slot < 32; ++slot) lines.push_back(ReadLine(TrailerAddressOf(slot)));
  for (std::size_t slot = 0; slot < 32; ++slot) lines.push_back(ReadLine(VehicleAddressOf(slot)));
  return lines;
}

std::vector<IdPair> TesterPairs() {
  std::vector<IdPair> pairs;
  for (std::size_t slot = 0; slot < 32; ++slot) {
    pairs.emplace_back(Id16(TesterTrailer(slot)), Id16(TesterVehicle(slot)));
  }
  return pairs;
}

TEST_F(ReadIds, AsksAllTrailerIdsThenAllVehicleIdsAndStoresThemWithTheirBlanks) {
  MakeIdList(32);
  host.AnswerConfirm(true);
  int ticksFollowedByTheGrid = 0;
  host.ObserveEveryTick(
      [&] { ticksFollowedByTheGrid += timeline.Count("write !00003") > 0 && !idList.ControlsDisabled(); });

  ReadIdList(session, idList, fields);

  EXPECT_EQ(ticksFollowedByTheGrid, 0);
  EXPECT_EQ(timeline.Texts("confirm "), std::vector<std::string>{"Overwrite all current IDs?"});
  EXPECT_EQ(WritesFrom("!00003"), AllReadLines());
  EXPECT_EQ(StoredRows(), TesterPairs());
  EXPECT_EQ(timeline.Texts("status "),
            (std::vector<std::string>{"", "Looking for instrument on Com3...", "Receiving IDs on Com 3",
                                      "IDs successfully acquired"}));
  ExpectEndedWith("IDs successfully acquired");
  EXPECT_FALSE(idList.ControlsDisabled());
  EXPECT_EQ(idList.RecNo(), 1);
}

TEST_F(ReadIds, FailureAtTheFifthVehicleIdKeepsWhatWasStoredBeforeIt) {
  MakeIdList(32);
  host.AnswerConfirm(true);
  port.Answer(ReadLine(VehicleAddressOf(4)), "");

  ReadIdList(session, idList, fields);

  std::vector<IdPair> expected = TesterPairs();
  for (std::size_t slot = 4; slot < 32; ++slot) expected[slot].second = OldVehicle(slot + 1);
  EXPECT_EQ(StoredRows(), expected);
  EXPECT_EQ(WriteCount(ReadLine(VehicleAddressOf(4))), 4);
  EXPECT_EQ(port.Writes().back(), ReadLine(VehicleAddressOf(4)));
  ExpectFailedState("Unable to read data");
  EXPECT_FALSE(idList.ControlsDisabled());
  // The grid stays on the row whose ID failed; only success or Cancel returns to the first.
  EXPECT_EQ(idList.RecNo(), 5);
}

class ReadIntoTableOf : public IdListTransferTest, public ::testing::WithParamInterface<int> {};

// The tester always has 32 slots: a short table gets the missing rows, and rows beyond
// the 32nd are not the tester's and keep their values.
TEST_P(ReadIntoTableOf, RowsFillsTheFirst32RowsOnly) {
  MakeIdList(GetParam());
  host.AnswerConfirm(true);

  ReadIdList(session, idList, fields);

  std::vector<IdPair> expected = TesterPairs();
  for (std::size_t row = 33; row <= static_cast<std::size_t>(GetParam()); ++row) {
    expected.emplace_back(OldTrailer(row), OldVehicle(row));
  }
  EXPECT_EQ(StoredRows(), expected);
  EXPECT_EQ(WritesFrom("!00003"), AllReadLines());
  ExpectEndedWith("IDs successfully acquired");
}

INSTANTIATE_TEST_SUITE_P(LinkSession, ReadIntoTableOf, ::testing::Values(0, 31, 33));

TEST_F(ReadIds, WithoutAGroupTellsTheOperatorAndStartsNoSession) {
  ReadIdList(session, idList, fields);

  EXPECT_EQ(timeline.Texts("information "), std::vector<std::string>{"Please select a group to write to"});
  EXPECT_EQ(timeline.Count("show status page"), 0);
  EXPECT_EQ(timeline.Count("probe "), 0);
  EXPECT_EQ(timeline.Count("confirm "), 0);
}

TEST_F(ReadIds, NotConfirmedChangesNothing) {
  MakeIdList(32);
  const std::vector<IdPair> before = StoredRows();
  host.AnswerConfirm(false);

  ReadIdList(session, idList, fields);

  EXPECT_EQ(StoredRows(), before);
  EXPECT_EQ(timeline.Count("show status page"), 0);
  EXPECT_EQ(timeline.Count("probe "), 0);
}

TEST_F(ReadIds, CancelKeepsTheIdsAlreadyStored) {
  MakeIdList(32);
  host.AnswerConfirm(true);
  port.Answer(ReadLine(TrailerAddressOf(2)), "");
  CancelTicksAfterFirstWrite(ReadLine(TrailerAddressOf(2)), 5);

  ReadIdList(session, idList, fields);

  std::vector<IdPair> expected;
  for (std::size_t row = 1; row <= 32; ++row) expected.emplace_back(OldTrailer(row), OldVehicle(row));
  expected[0].first = Id16(TesterTrailer(0));
  expected[1].first = Id16(TesterTrailer(1));
  EXPECT_EQ(StoredRows(), expected);
  EXPECT_EQ(host.IdentityText(), "");
  ExpectEndedAfterCancel();
  EXPECT_FALSE(idList.ControlsDisabled());
  EXPECT_EQ(idList.RecNo(), 1);
}

// The first ID is answered only after a re-send; Cancel comes while the line clears before
// the next request. The accepted ID is stored, and no further request goes out.
TEST_F(ReadIds, CancelAfterAnAcceptedAnswerKeepsItAndStopsBeforeTheNextRequest) {
  MakeIdList(32);
  host.AnswerConfirm(true);
  const std::string first = ReadLine(TrailerAddressOf(0));
  port.Answer(first, "", 1);
  port.Answer(first, ShortFrame(TesterTrailer(0)), 2);
  CancelTicksAfterFirstWrite(first, 15);

  ReadIdList(session, idList, fields);

  std::vector<IdPair> expected;
  for (std::size_t row = 1; row <= 32; ++row) expected.emplace_back(OldTrailer(row), OldVehicle(row));
  expected[0].first = Id16(TesterTrailer(0));
  EXPECT_EQ(StoredRows(), expected);
  EXPECT_EQ(WriteCount(ReadLine(TrailerAddressOf(1))), 0);
  ExpectEndedAfterCancel();
  EXPECT_EQ(idList.RecNo(), 1);
}

// The answer to the first request comes late, after its re-send, and the answer to the
// re-send follows it; the tester is slower with the next one. Taken as the next answer,
// the second copy would put slot 1's ID into slot 2's row.
TEST_F(ReadIds, TheAnswerToAReSendIsNeverStoredAsTheNextId) {
  MakeIdList(32);
  host.AnswerConfirm(true);
  const std::string first = ReadLine(TrailerAddressOf(0));
  port.Answer(first, ShortFrame(TesterTrailer(0)), 1, 12);
  port.Answer(first, ShortFrame(TesterTrailer(0)), 2, 2);
  port.Answer(ReadLine(TrailerAddressOf(1)), ShortFrame(TesterTrailer(1)), 0, 2);

  ReadIdList(session, idList, fields);

  EXPECT_EQ(StoredRows(), TesterPairs());
  // The request after one answered only after a re-send waits until the re-send can no
  // longer be answered, and is asked once.
  EXPECT_EQ(WriteCount(ReadLine(TrailerAddressOf(1))), 1);
  EXPECT_GE(FirstWriteTick(ReadLine(TrailerAddressOf(1))) - timeline.LastTick("write " + first).value(), 33);
  EXPECT_EQ(WriteCount(ReadLine(TrailerAddressOf(2))), 1);
  ExpectEndedWith("IDs successfully acquired");
}

// A directory where the table's journal must go makes every write fail, as a full disk
// does: the ID that could not be stored must not stay in the row as if it were.
TEST_F(ReadIds, AnIdTheStoreRefusesIsNotLeftInTheRow) {
  MakeIdList(32);
  host.AnswerConfirm(true);
  const std::filesystem::path journal = folder.Path() / (TableFileName(idList.TableName()) + "-journal");
  host.ObserveEveryTick([&] {
    if (timeline.Count("write !00003") > 0) std::filesystem::create_directory(journal);
  });

  EXPECT_THROW(ReadIdList(session, idList, fields), EDatabaseError);

  EXPECT_EQ(idList.State(), TDataSetState::Browse);
  EXPECT_EQ(idList.FieldByName(fields.trailer).AsString(), OldTrailer(1));
  std::filesystem::remove(journal);
  EXPECT_EQ(StoredRows().front(), IdPair(OldTrailer(1), OldVehicle(1)));
}

}  // namespace
}  // namespace orvel::test
