#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "TableTestSupport.h"

// What only a POSIX system sets up: a writer killed part way, as a crash would stop it,
// and a table file that cannot be examined (a link to itself).

namespace orvel {
namespace {

namespace fs = std::filesystem;
using testing::ErrorOf;
using testing::Listing;
using testing::MakeIdTable;
using testing::OpenTable;
using testing::StoredFirstColumn;

class TableStoragePosix : public ::testing::Test {
 protected:
  testing::TempFolder temp;
  fs::path folder = temp.Path();
};

TEST_F(TableStoragePosix, AFileThatCannotBeExaminedIsNeitherOpenedNorReplaced) {
  fs::create_symlink("t.tbl.db", folder / "t.tbl.db");
  TTable table;
  table.SetDatabaseName(folder.string());
  table.SetTableName("t");
  table.FieldDefs().Add("Only", 5);
  const std::string openError = ErrorOf([&] { table.Open(); });
  EXPECT_EQ(openError.rfind("Cannot open table 't' in '" + folder.string() + "': ", 0), 0u) << openError;
  EXPECT_NE(openError.find("'t.tbl.db' cannot be examined"), std::string::npos) << openError;
  EXPECT_NE(ErrorOf([&] { table.CreateTable(ExistingRows::Replace); }).find("cannot be examined"), std::string::npos);
  EXPECT_TRUE(fs::is_symlink(folder / "t.tbl.db"));
  EXPECT_EQ(Listing(folder), std::vector<std::string>{"t.tbl.db"});
}

TEST_F(TableStoragePosix, PostedRowsSurviveTheProcessBeingKilledAndUnpostedOnesDoNot) {
  MakeIdTable(folder, "T", {{"old 1", ""}, {"old 2", ""}});
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    try {
      TTable table;
      OpenTable(table, folder, "T");
      table.Edit();
      table.Fields(0).SetAsString("new 1");
      table.Post();
      table.Append();
      table.Fields(0).SetAsString("new 3");
      table.Post();
      table.First();
      table.Next();
      table.Edit();
      table.Fields(0).SetAsString("never posted");
      kill(getpid(), SIGKILL);
    } catch (...) {
    }
    _exit(1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the child failed before it was killed";
  EXPECT_EQ(StoredFirstColumn(folder, "T"), (std::vector<std::string>{"new 1", "old 2", "new 3"}));
}

}  // namespace
}  // namespace orvel
