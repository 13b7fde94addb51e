#include <gtest/gtest.h>

#include <filesystem>

#include "TempFolder.h"
#include "store/EnsureIdStore.h"
#include "store/GroupManagement.h"
#include "store/IdListRows.h"
#include "store/IdListTableName.h"
#include "store/StoreFolders.h"
#include "store/StoreSchema.h"
#include "tables/TTable.h"
#include "tables/TableFileName.h"

namespace orvel {
namespace {

class GroupManagementTest : public ::testing::Test {
 protected:
  GroupManagementTest() {
    for (TTable* table : {&groupTable}) {
      table->DeclareField(kGroupNameField, kGroupNameWidth);
      table->DeclareField(kIdListNameField, kIdListNameWidth);
    }
    EXPECT_TRUE(EnsureIdStore(folders.topLevel, groupTable));
    groupTable.SetDatabaseName(folders.data.string());
    groupTable.SetTableName(kGroupTableName);
    groupTable.Open();
  }

  // Every call gives the same second, as two clicks within one second would.
  static std::string SameSecond(int secondsLater) {
    return CreationStamp("12/7/2026", "9:05:0" + std::to_string(3 + secondsLater) + " AM", false);
  }

  int IdListRows(const std::string& name) {
    TTable table;
    table.SetDatabaseName(folders.idLists.string());
    table.SetTableName(name);
    if (!table.Exists()) return -1;
    table.Open();
    return table.RecordCount();
  }

  std::filesystem::path FileOf(const std::string& tableName) const {
    return folders.idLists / TableFileName(tableName);
  }

  // One table's file replaced by a copy of another's, as a mistaken copy would leave it.
  void CopyTableFileOver(const std::string& from, const std::string& to) const {
    std::filesystem::remove(FileOf(to));
    std::filesystem::copy_file(FileOf(from), FileOf(to));
  }

  testing::TempFolder temp;
  StoreFolders folders = StoreFoldersUnder(temp / "Kestrin");
  TTable groupTable;
  TTable idListTable;
  const IdListFieldNames fields{kTrailerIdField, kVehicleIdField};
};

TEST_F(GroupManagementTest, AddKeepsTheNameFormatAndMovesOnASecondWhenTheNameIsTaken) {
  const std::string first = AddGroup(groupTable, idListTable, folders.idLists, "Fleet A", SameSecond, fields);
  const std::string second = AddGroup(groupTable, idListTable, folders.idLists, "Fleet A", SameSecond, fields);
  EXPECT_EQ(first, "Fleet A 12-7-2026 9_05_03 AM by ");
  EXPECT_EQ(second, "Fleet A 12-7-2026 9_05_04 AM by ");
  EXPECT_EQ(IdListRows(first), 32);
  EXPECT_EQ(IdListRows(second), 32);
  EXPECT_EQ(groupTable.RecordCount(), 2);
}

TEST_F(GroupManagementTest, SearchForAFreeNameEndsWhenTheStampStandsStill) {
  const CreationStampClock stoppedClock = [](int) { return std::string("7-12-26 9_05_03"); };
  AddGroup(groupTable, idListTable, folders.idLists, "Fleet A", stoppedClock, fields);
  try {
    AddGroup(groupTable, idListTable, folders.idLists, "Fleet A", stoppedClock, fields);
    ADD_FAILURE() << "a second group got the taken name";
  } catch (const std::runtime_error& error) {
    EXPECT_EQ(std::string(error.what()),
              "Cannot find a free name for the ID list table of group 'Fleet A': the names for the next 100 seconds, "
              "from 'Fleet A 7-12-26 9_05_03 by ' on, are all in use. This happens when the computer's clock was set "
              "back; check the clock, then try New again.");
  }
  EXPECT_EQ(groupTable.RecordCount(), 1);
}

TEST_F(GroupManagementTest, AddNeverReplacesATableNoGroupNamesAnyMore) {
  TTable orphan;
  orphan.SetDatabaseName(folders.idLists.string());
  orphan.SetTableName("Fleet A 12-7-2026 9_05_03 AM by ");
  orphan.FieldDefs().Add(kTrailerIdField, kIdWidth);
  orphan.CreateTable();
  orphan.Open();
  orphan.Append();
  orphan.FieldByName(kTrailerIdField).SetAsString("KEEP ME");
  orphan.Post();
  orphan.Close();

  const std::string added = AddGroup(groupTable, idListTable, folders.idLists, "Fleet A", SameSecond, fields);
  EXPECT_NE(added, orphan.TableName());
  orphan.Open();
  ASSERT_EQ(orphan.RecordCount(), 1);
  EXPECT_EQ(orphan.FieldByName(kTrailerIdField).AsString(), "KEEP ME");
}

TEST_F(GroupManagementTest, FailedTableCreationLeavesNoGroupRowBehind) {
  EXPECT_THROW(AddGroup(groupTable, idListTable, folders.idLists, "Fleet A", SameSecond, {"", ""}), std::exception);
  EXPECT_EQ(groupTable.RecordCount(), 0);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folders.idLists), {}), 0);
}

TEST_F(GroupManagementTest, DeleteRemovesTheRowsOwnTableOnly) {
  const std::string a = AddGroup(groupTable, idListTable, folders.idLists, "A", SameSecond, fields);
  const std::string b = AddGroup(groupTable, idListTable, folders.idLists, "B", SameSecond, fields);
  groupTable.First();
  DeleteCurrentGroup(groupTable, folders.idLists);
  EXPECT_EQ(IdListRows(a), -1);
  EXPECT_EQ(IdListRows(b), 32);
  ASSERT_EQ(groupTable.RecordCount(), 1);
  EXPECT_EQ(groupTable.CellText(0, 0), "B");
}

TEST_F(GroupManagementTest, DeleteOfAGroupWhoseTableIsAlreadyGoneStillRemovesTheRow) {
  const std::string a = AddGroup(groupTable, idListTable, folders.idLists, "A", SameSecond, fields);
  TTable table;
  table.SetDatabaseName(folders.idLists.string());
  table.SetTableName(a);
  table.DeleteTable();
  groupTable.First();
  DeleteCurrentGroup(groupTable, folders.idLists);
  EXPECT_EQ(groupTable.RecordCount(), 0);
}

TEST_F(GroupManagementTest, TableThatCannotBeDeletedKeepsItsRow) {
  const std::string a = AddGroup(groupTable, idListTable, folders.idLists, "A", SameSecond, fields);
  const std::string b = AddGroup(groupTable, idListTable, folders.idLists, "B", SameSecond, fields);
  // A's file replaced by a copy of B's: the engine refuses to delete a file that holds
  // another table.
  CopyTableFileOver(b, a);
  groupTable.First();
  EXPECT_THROW(DeleteCurrentGroup(groupTable, folders.idLists), std::exception);
  ASSERT_EQ(groupTable.RecordCount(), 2);
  EXPECT_EQ(groupTable.CellText(0, 1), a);
  EXPECT_EQ(IdListRows(b), 32);
}

TEST_F(GroupManagementTest, GroupsAreMadeAndRefilledHoldingExactlyThePairsGiven) {
  const IdPairs imported{{"T1", "V1"}, {"", ""}, {"M\xFCller", "V3"}};
  const std::string a = AddGroup(groupTable, idListTable, folders.idLists, "A", SameSecond, fields, imported);
  EXPECT_FALSE(idListTable.Active());
  EXPECT_EQ(ReadIdListRows(folders.idLists, a, fields), imported);
  EXPECT_EQ(ReadIdListRows(folders.idLists, AddGroup(groupTable, idListTable, folders.idLists, "B", SameSecond, fields),
                           fields),
            IdPairs(32));

  const IdPairs replacement{{"NEW", "PAIR"}};
  ReplaceIdListRows(folders.idLists, a, fields, replacement);
  EXPECT_EQ(ReadIdListRows(folders.idLists, a, fields), replacement);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folders.idLists), {}), 2);

  EXPECT_THROW(ReplaceIdListRows(folders.idLists, "No such group by ", fields, replacement), std::exception);
  EXPECT_EQ(IdListRows("No such group by "), -1);
}

TEST_F(GroupManagementTest, ReplacingRowsNeverTouchesAFileThatHoldsAnotherTable) {
  const std::string a = AddGroup(groupTable, idListTable, folders.idLists, "A", SameSecond, fields, {{"A", "a"}});
  const std::string b = AddGroup(groupTable, idListTable, folders.idLists, "B", SameSecond, fields, {{"B", "b"}});
  CopyTableFileOver(b, a);
  EXPECT_THROW(ReplaceIdListRows(folders.idLists, a, fields, {{"LOST", "lost"}}), std::exception);
  EXPECT_EQ(ReadIdListRows(folders.idLists, b, fields), (IdPairs{{"B", "b"}}));
  // The file in A's place still holds B's table as it was.
  std::filesystem::rename(FileOf(a), FileOf(b));
  EXPECT_EQ(ReadIdListRows(folders.idLists, b, fields), (IdPairs{{"B", "b"}}));
}

}  // namespace
}  // namespace orvel
