#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <optional>

#include "TempFolder.h"
#include "Unprivileged.h"
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

  void AppendGroupRow(const std::string& name, const std::string& idListName) {
    TTable table;
    table.SetDatabaseName(folders.data.string());
    table.SetTableName(kGroupTableName);
    table.Open();
    table.Append();
    table.FieldByName(kGroupNameField).SetAsString(name);
    table.FieldByName(kIdListNameField).SetAsString(idListName);
    table.Post();
  }

  // Every row's two fields, one after the other.
  std::vector<std::string> GroupRows() {
    TTable table;
    table.SetDatabaseName(folders.data.string());
    table.SetTableName(kGroupTableName);
    table.Open();
    std::vector<std::string> fields;
    for (int row = 0; row < table.RecordCount(); ++row) {
      fields.push_back(table.CellText(row, 0));
      fields.push_back(table.CellText(row, 1));
    }
    return fields;
  }

  // Two rows, the first Trailer ID given, every other field blank.
  void MakeIdList(const std::string& name, const std::string& firstTrailer) {
    TTable table;
    table.SetDatabaseName(folders.idLists.string());
    table.SetTableName(name);
    table.FieldDefs().Add(kTrailerIdField, kIdWidth);
    table.FieldDefs().Add(kVehicleIdField, kIdWidth);
    table.CreateTable();
    table.Open();
    for (int slot = 0; slot < 2; ++slot) {
      table.Append();
      table.FieldByName(kTrailerIdField).SetAsString(slot == 0 ? firstTrailer : "    ");
      table.Post();
    }
  }

  static std::vector<std::string> Listing(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  // Every entry under a folder with its size and time of last change.
  using Snapshot = std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>>;
  static Snapshot TakeSnapshot(const fs::path& root) {
    Snapshot snapshot;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
      snapshot[entry.path().string()] = {entry.is_regular_file() ? entry.file_size() : 0, entry.last_write_time()};
    }
    return snapshot;
  }

  static std::string HostName() {
    char name[256] = {};
    gethostname(name, sizeof name - 1);
    return name;
  }

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
  fs::create_directories(folders.idLists);
  fs::permissions(folders.data, fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_FALSE(testing::RunUnprivileged({temp.Path(), folders.data},
                                        [&] { return EnsureIdStore(folders.topLevel, groupTable); }));
  EXPECT_FALSE(fs::exists(folders.data / "IDGroup.db"));
}

// A folder that may be entered but not read cannot be listed; the group table in it is
// not known to be missing, so it must never be replaced.
TEST_F(EnsureIdStoreTest, DataFolderThatCannotBeListedLeavesTheStoreUnusableAndTheGroupsAlone) {
  ASSERT_TRUE(EnsureIdStore(folders.topLevel, groupTable));
  AppendGroupRow("Fleet A", "Fleet A list");
  fs::permissions(folders.data, fs::perms::owner_write | fs::perms::owner_exec);
  EXPECT_FALSE(testing::RunUnprivileged({temp.Path(), folders.data, folders.data / "IDStore.lock"},
                                        [&] { return EnsureIdStore(folders.topLevel, groupTable); }));
  fs::permissions(folders.data, fs::perms::owner_all);
  EXPECT_EQ(GroupRows(), (std::vector<std::string>{"Fleet A", "Fleet A list"}));
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
                  std::to_string(getpid()) + " on host '" + HostName() +
                  "'). Only one copy can change the store at a time: close the other copy, then start this one "
                  "again.");
  }
  EXPECT_FALSE(second.has_value());
  EXPECT_EQ(TakeSnapshot(temp.Path()), before);

  first.reset();
  EXPECT_TRUE(EnsureIdStore(folders.topLevel, secondGroupTable, second));
  EXPECT_TRUE(second.has_value());
  EXPECT_TRUE(fs::is_directory(folders.idLists));
}

TEST_F(EnsureIdStoreTest, TheLockHoldsAcrossProcessesAndEndsWithItsHolder) {
  ASSERT_TRUE(EnsureIdStore(folders.topLevel, groupTable));
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  // The holder is killed however the test ends, as a crashed program would be.
  struct Holder {
    pid_t pid;
    ~Holder() {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
  } const holder{fork()};
  if (holder.pid == 0) {
    try {
      const StoreLock lock(folders.data);
      const char taken = 'L';
      if (write(ready[1], &taken, 1) == 1) pause();
    } catch (...) {
    }
    _exit(3);
  }
  close(ready[1]);
  char taken = 0;
  ASSERT_EQ(read(ready[0], &taken, 1), 1);
  close(ready[0]);
  try {
    const StoreLock refused(folders.data);
    ADD_FAILURE() << "the lock was taken twice";
  } catch (const EStoreInUse& error) {
    EXPECT_NE(std::string(error.what()).find("(process " + std::to_string(holder.pid) + " on host"), std::string::npos)
        << error.what();
  }
  kill(holder.pid, SIGKILL);
  waitpid(holder.pid, nullptr, 0);
  EXPECT_NO_THROW(StoreLock{folders.data});
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
  EXPECT_EQ(Listing(folders.idLists),
            (std::vector<std::string>{"A group name of thirty chars. 12-7-2026 by%20.tbl.db", "Broken.tbl.db",
                                      "Fleet A 12-7-2026 9_05_03 AM by%20.tbl.db", "Kept 12-7-2026 by%20.tbl.db",
                                      "Tab%09here by%20.tbl.db", "Upper.DB", "notes.txt", "notes.txt-journal"}));
  EXPECT_EQ(Listing(folders.data), (std::vector<std::string>{"IDGroup.db", "IDStore.lock", "IDs"}));
}

}  // namespace
}  // namespace orvel
