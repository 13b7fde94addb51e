#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "TempFolder.h"
#include "store/EnsureIdStore.h"
#include "store/StoreFolders.h"
#include "store/StoreSchema.h"
#include "tables/TTable.h"

namespace orvel {
namespace {

namespace fs = std::filesystem;

class EnsureIdStoreTest : public ::testing::Test {
 protected:
  EnsureIdStoreTest() {
    groupTable.DeclareField(kGroupNameField, kGroupNameWidth);
    groupTable.DeclareField(kIdListNameField, kIdListNameWidth);
  }

  void WriteFile(const fs::path& path, const std::string& content) { std::ofstream(path, std::ios::binary) << content; }

  testing::TempFolder temp;
  StoreFolders folders = StoreFoldersUnder(temp / "Kestrin");
  TTable groupTable;
};

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
  EXPECT_FALSE(fs::exists(folders.data / "IDGroup.db"));
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

TEST_F(EnsureIdStoreTest, GroupTableThatCannotBeCreated) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not stop root";
  fs::create_directories(folders.idLists);
  fs::permissions(folders.data, fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_FALSE(EnsureIdStore(folders.topLevel, groupTable));
  fs::permissions(folders.data, fs::perms::owner_all);
}

}  // namespace
}  // namespace orvel
