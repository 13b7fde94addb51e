#include <gtest/gtest.h>

#include <optional>

#include "EnsureIdStoreFixture.h"
#include "tables/TableFileName.h"

namespace orvel {
namespace {

TEST_F(EnsureIdStoreTest, FirstRunCreatesFoldersAndEmptyGroupTable) {
  ASSERT_TRUE(EnsureIdStore(folders.topLevel, groupTable));
  EXPECT_TRUE(fs::is_directory(folders.idLists));
  EXPECT_TRUE(fs::is_regular_file(folders.data / "IDGroup.db"));
  EXPECT_EQ(fs::current_path(), folders.data);

  TTable reopened;
  reopened.SetDatabaseName(folders.data.string());
  reopened.SetTableName(kGroupTableName);
  reopened.Open();
  EXPECT_EQ(reopened.RecordCount(), 0);
  ASSERT_EQ(reopened.FieldCount(), 2);
  EXPECT_EQ(reopened.FieldByName(kGroupNameField).Size(), kGroupNameWidth);
  EXPECT_EQ(reopened.FieldByName(kIdListNameField).Size(), kIdListNameWidth);
}

TEST_F(EnsureIdStoreTest, ExistingGroupTableIsLeftAlone) {
  ASSERT_TRUE(EnsureIdStore(folders.topLevel, groupTable));
  {
    TTable table;
    table.SetDatabaseName(folders.data.string());
    table.SetTableName(kGroupTableName);
    table.Open();
    table.Append();
    table.FieldByName(kGroupNameField).SetAsString("Fleet A");
    table.Post();
  }
  TTable secondStart;
  secondStart.DeclareField(kGroupNameField, kGroupNameWidth);
  secondStart.DeclareField(kIdListNameField, kIdListNameWidth);
  ASSERT_TRUE(EnsureIdStore(folders.topLevel, secondStart));

  TTable table;
  table.SetDatabaseName(folders.data.string());
  table.SetTableName(kGroupTableName);
  table.Open();
  ASSERT_EQ(table.RecordCount(), 1);
  EXPECT_EQ(table.FieldByName(kGroupNameField).AsString(), "Fleet A");
}

TEST_F(EnsureIdStoreTest, EntryNamedLikeTheGroupTableInAnyCaseCountsAsPresent) {
  fs::create_directories(folders.idLists);
  fs::create_directory(folders.data / "IDGroup.DB");
  EXPECT_TRUE(EnsureIdStore(folders.topLevel, groupTable));
  EXPECT_TRUE(fs::is_directory(folders.data / "IDGroup.DB"));
  // Where names ignore case, "IDGroup.db" names that folder too.
  EXPECT_FALSE(fs::is_regular_file(folders.data / "IDGroup.db"));
}

TEST_F(EnsureIdStoreTest, TopLevelThatCanBeNeitherEnteredNorCreated) {
  const fs::path missingParent = temp / "no-such-folder" / "Kestrin";
  EXPECT_FALSE(EnsureIdStore(missingParent, groupTable));
  EXPECT_FALSE(fs::exists(temp / "no-such-folder"));
}

TEST_F(EnsureIdStoreTest, FileWhereAFolderShouldBe) {
  WriteFile(folders.topLevel, "not a folder");
  EXPECT_FALSE(EnsureIdStore(folders.topLevel, groupTable));

  fs::remove(folders.topLevel);
  fs::create_directory(folders.topLevel);
  WriteFile(folders.data, "not a folder");
  EXPECT_FALSE(EnsureIdStore(folders.topLevel, groupTable));

  fs::remove(folders.data);
  fs::create_directory(folders.data);
  WriteFile(folders.idLists, "not a folder");
  EXPECT_FALSE(EnsureIdStore(folders.topLevel, groupTable));
  EXPECT_FALSE(fs::exists(folders.data / "IDGroup.db"));
}

TEST_F(EnsureIdStoreTest, ASecondWriterIsToldWhoHoldsTheStoreAndChangesNothing) {
  std::optional<StoreLock> first;
  ASSERT_TRUE(EnsureIdStore(folders.topLevel, groupTable, first));
  ASSERT_TRUE(first.has_value());
  // What a second writer would change if it went on: a missing ID list folder, leftovers.
  fs::remove(folders.idLists);
  WriteFile(folders.data / "IDGroup.db.new.tmp", "leftover");
  const Snapshot before = TakeSnapshot(temp.Path());

  TTable secondGroupTable;
  std::optional<StoreLock> second;
  try {
    EnsureIdStore(folders.topLevel, secondGroupTable, second);
    ADD_FAILURE() << "the second writer was let in";
  } catch (const EStoreInUse& error) {
    EXPECT_EQ(std::string(error.what()),
              "The ID store in '" + folders.data.string() + "' is in use by another copy of Orvel IDs (process " +
                  std::to_string(testing::ThisProcessId()) + " on host '" + testing::ThisHostName() +
                  "'). Only one copy can change the store at a time: close the other copy, then try "
                  "again.");
  }
  EXPECT_FALSE(second.has_value());
  EXPECT_EQ(TakeSnapshot(temp.Path()), before);

  first.reset();
  EXPECT_TRUE(EnsureIdStore(folders.topLevel, secondGroupTable, second));
  EXPECT_TRUE(second.has_value());
  EXPECT_TRUE(fs::is_directory(folders.idLists));
}

// Files of interrupted creations and journals without their table go; ID list tables no
// row names are listed as groups when they hold an ID, deleted when they hold none; all
// else stays, names the program now refuses included.
TEST_F(EnsureIdStoreTest, StartTidiesLeftoversAndListsOrphanIdListsAsGroups) {
  ASSERT_TRUE(EnsureIdStore(folders.topLevel, groupTable));
  MakeIdList("Fleet A 12-7-2026 9_05_03 AM by ", "");
  AppendGroupRow("Fleet\tA", "Fleet A 12-7-2026 9_05_03 AM by ");
  MakeIdList("Kept 12-7-2026 by ", "T-1");
  MakeIdList("Tab\there by ", "T-2");
  MakeIdList("A group name of thirty chars. 12-7-2026 by ", "T-3");
  MakeIdList("Blank 12-7-2026 by ", "");
  MakeIdList("Upper.DB", "T-4");
  for (const char* leftover : {"Gone.tbl.db.new.tmp", "Gone.tbl.db.new.tmp-journal", "Gone.tbl.db-journal"}) {
    WriteFile(folders.idLists / leftover, "leftover");
  }
  WriteFile(folders.data / "IDGroup.db.new.tmp", "leftover");
  WriteFile(folders.idLists / "notes.txt", "kept");
  WriteFile(folders.idLists / "notes.txt-journal", "kept");
  WriteFile(folders.idLists / "Broken.tbl.db", "not a table");

  ASSERT_TRUE(EnsureIdStore(folders.topLevel, groupTable));
  EXPECT_EQ(GroupRows(),
            (std::vector<std::string>{"Fleet\tA", "Fleet A 12-7-2026 9_05_03 AM by ", "A group name of thirty chars. ",
                                      "A group name of thirty chars. 12-7-2026 by ", "Kept 12-7-2026",
                                      "Kept 12-7-2026 by ", "Tab\there", "Tab\there by ", "Upper.DB", "Upper.DB"}));
  std::vector<std::string> kept = {TableFileName("A group name of thirty chars. 12-7-2026 by "),
                                   "Broken.tbl.db",
                                   TableFileName("Fleet A 12-7-2026 9_05_03 AM by "),
                                   TableFileName("Kept 12-7-2026 by "),
                                   TableFileName("Tab\there by "),
                                   "Upper.DB",
                                   "notes.txt",
                                   "notes.txt-journal"};
  std::sort(kept.begin(), kept.end());
  EXPECT_EQ(Listing(folders.idLists), kept);
  EXPECT_EQ(Listing(folders.data), (std::vector<std::string>{"IDGroup.db", "IDStore.lock", "IDs"}));
}

}  // namespace
}  // namespace orvel
