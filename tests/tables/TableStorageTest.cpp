#include <gtest/gtest.h>
#include <sqlite3.h>

#include <functional>

#include "TableTestSupport.h"
#include "tables/EDatabaseError.h"
#include "tables/TableFileName.h"

namespace orvel {
namespace {

namespace fs = std::filesystem;
using testing::ErrorOf;
using testing::Listing;
using testing::MakeIdTable;
using testing::OpenTable;
using testing::StoredFirstColumn;
using testing::WriteFile;

// Changes a table file behind the engine's back, as another tool would.
void RunSql(const fs::path& file, const std::string& sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(file.string().c_str(), &db), SQLITE_OK);
  EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
  sqlite3_close(db);
}

class TableStorage : public ::testing::Test {
 protected:
  testing::TempFolder temp;
  fs::path folder = temp.Path();
};

TEST_F(TableStorage, CreatedTableIsOneFileWithTheDefinedFields) {
  MakeIdTable(folder, "fleet", {});
  EXPECT_EQ(Listing(folder), std::vector<std::string>{"fleet.tbl.db"});
  TTable table;
  OpenTable(table, folder, "fleet");
  ASSERT_EQ(table.FieldCount(), 2);
  EXPECT_EQ(table.Fields(0).FieldName(), "Trailer ID");
  EXPECT_EQ(table.Fields(1).FieldName(), "Vehicle ID");
  EXPECT_EQ(table.Fields(1).Size(), 16);
  EXPECT_EQ(table.RecordCount(), 0);
}

TEST_F(TableStorage, DeclaredFieldsMakeTheTableWhenNoneAreDefined) {
  TTable groups;
  groups.DeclareField("Group Name", 30);
  groups.DeclareField("IDListName", 150);
  groups.SetDatabaseName(folder.string());
  groups.SetTableName("IDGroup.db");
  groups.CreateTable();
  EXPECT_EQ(Listing(folder), std::vector<std::string>{"IDGroup.db"});

  TTable reader;
  OpenTable(reader, folder, "IDGroup.db");
  EXPECT_EQ(reader.FieldByName("IDListName").Size(), 150);
  EXPECT_EQ(reader.FieldByName("Group Name").Index(), 0);
}

TEST_F(TableStorage, CreateReplacesATableThatHoldsRowsOnlyWhenAskedAndLeavesNothingElse) {
  MakeIdTable(folder, "fleet", {{"A1", "B1"}});
  TTable table;
  table.SetDatabaseName(folder.string());
  table.SetTableName("fleet");
  EXPECT_NE(ErrorOf([&] { table.CreateTable(); }).find("no fields are defined"), std::string::npos);
  table.FieldDefs().Add("Only", 5);
  EXPECT_EQ(ErrorOf([&] { table.CreateTable(); }),
            "Cannot create table 'fleet' in '" + folder.string() +
                "': the table already exists and holds 1 row; it is left as it is.");
  EXPECT_EQ(StoredFirstColumn(folder, "fleet"), std::vector<std::string>{"A1"});

  table.CreateTable(ExistingRows::Replace);
  table.Open();
  EXPECT_EQ(table.RecordCount(), 0);
  EXPECT_EQ(table.FieldCount(), 1);
  table.Close();
  table.CreateTable();

  // Rows given to the creation are in the file when it takes the table's name, cut to width.
  table.CreateTable(ExistingRows::Replace, {{"B1"}, {"\xC9tre-longer"}});
  EXPECT_EQ(StoredFirstColumn(folder, "fleet"), (std::vector<std::string>{"B1", "\xC9tre-"}));
  EXPECT_NE(ErrorOf([&] {
              table.CreateTable(ExistingRows::Replace, {{"C1", "extra"}});
            }).find("row 1 has 2 values for 1 fields"),
            std::string::npos);
  EXPECT_EQ(StoredFirstColumn(folder, "fleet"), (std::vector<std::string>{"B1", "\xC9tre-"}));
  EXPECT_EQ(Listing(folder), std::vector<std::string>{"fleet.tbl.db"});
}

TEST_F(TableStorage, CreateLeavesAFileItCannotReadAsATableUnlessAskedToReplaceIt) {
  for (const std::string& content : {std::string(600, 'g'), std::string("garbage")}) {
    WriteFile(folder / "t.tbl.db", content);
    TTable table;
    table.SetDatabaseName(folder.string());
    table.SetTableName("t");
    table.FieldDefs().Add("Only", 5);
    EXPECT_NE(ErrorOf([&] { table.CreateTable(); }).find("cannot be read as a table and may hold rows"),
              std::string::npos);
    EXPECT_EQ(fs::file_size(folder / "t.tbl.db"), content.size());
    table.CreateTable(ExistingRows::Replace);
    table.Open();
    EXPECT_EQ(table.RecordCount(), 0);
  }
  fs::remove(folder / "t.tbl.db");
  WriteFile(folder / "t.tbl.db", "");
  TTable empty;
  empty.SetDatabaseName(folder.string());
  empty.SetTableName("t");
  empty.FieldDefs().Add("Only", 5);
  empty.CreateTable();
  EXPECT_EQ(Listing(folder), std::vector<std::string>{"t.tbl.db"});
}

TEST_F(TableStorage, CreateNeverReplacesTheFileOfAnotherTable) {
  MakeIdTable(folder, "x", {{"keep", "me"}});
  fs::rename(folder / "x.tbl.db", folder / "y.tbl.db");
  TTable table;
  table.SetDatabaseName(folder.string());
  table.SetTableName("y");
  table.FieldDefs().Add("Trailer ID", 16);
  EXPECT_NE(ErrorOf([&] { table.CreateTable(); }).find("holds table 'x'"), std::string::npos);
  EXPECT_NE(ErrorOf([&] { table.DeleteTable(); }).find("holds table 'x'"), std::string::npos);

  fs::rename(folder / "y.tbl.db", folder / "x.tbl.db");
  EXPECT_EQ(StoredFirstColumn(folder, "x"), std::vector<std::string>{"keep"});
}

TEST_F(TableStorage, OpeningWhatIsNotATableFailsNamingTheTableAndCreatesNothing) {
  const struct {
    const char* what;
    std::function<void(const fs::path& file)> prepare;
    const char* reason;
  } cases[] = {
      {"missing", [](const fs::path&) {}, "the table does not exist (there is no file 't.tbl.db')"},
      {"garbage", [](const fs::path& file) { WriteFile(file, std::string(600, 'g')); },
       "the file is not a table (file is not a database)"},
      {"short garbage", [](const fs::path& file) { WriteFile(file, "garbage"); }, "the file is not a table"},
      {"zero length", [](const fs::path& file) { WriteFile(file, ""); }, "'t.tbl.db' is empty, not a table"},
      {"folder", [](const fs::path& file) { fs::create_directory(file); }, "'t.tbl.db' is a folder, not a table file"},
      {"another table's file",
       [](const fs::path& file) {
         MakeIdTable(file.parent_path(), "x", {});
         fs::rename(file.parent_path() / "x.tbl.db", file);
       },
       "the file 't.tbl.db' holds table 'x'"},
      {"another program's database", [](const fs::path& file) { RunSql(file, "CREATE TABLE Records (a TEXT)"); },
       "the file is a database, but not a table of this program"},
  };
  for (const auto& c : cases) {
    const fs::path sub = folder / c.what;
    fs::create_directory(sub);
    c.prepare(sub / "t.tbl.db");
    const std::vector<std::string> before = Listing(sub);

    TTable table;
    table.SetDatabaseName(sub.string());
    table.SetTableName("t");
    const std::string error = ErrorOf([&] { table.Open(); });
    EXPECT_EQ(error.rfind("Cannot open table 't' in '" + sub.string() + "': ", 0), 0u) << error;
    EXPECT_NE(error.find(c.reason), std::string::npos) << c.what << ": " << error;
    EXPECT_FALSE(table.Active());
    EXPECT_EQ(Listing(sub), before) << c.what;
  }
}

TEST_F(TableStorage, TheEmptyTableNameIsRefusedAndNothingIsWritten) {
  TTable table;
  table.SetDatabaseName(folder.string());
  table.FieldDefs().Add("Trailer ID", 16);
  EXPECT_EQ(ErrorOf([&] { table.CreateTable(); }), "No table name");
  EXPECT_EQ(ErrorOf([&] { table.Open(); }), "No table name");
  EXPECT_FALSE(table.Exists());
  EXPECT_EQ(Listing(folder), std::vector<std::string>{});
}

TEST_F(TableStorage, DeclaredFieldsMustBeInTheFileWithTheirWidth) {
  MakeIdTable(folder, "t", {});
  TTable missing;
  missing.DeclareField("Group Name", 30);
  EXPECT_NE(ErrorOf([&] { OpenTable(missing, folder, "t"); }).find("the table has no field 'Group Name'"),
            std::string::npos);
  TTable wider;
  wider.DeclareField("Trailer ID", 20);
  EXPECT_NE(ErrorOf([&] { OpenTable(wider, folder, "t"); }).find("field 'Trailer ID' is 16 characters wide, not 20"),
            std::string::npos);
  TTable onlyOne;
  onlyOne.DeclareField("vehicle id", 16);
  OpenTable(onlyOne, folder, "t");
  EXPECT_EQ(onlyOne.FieldCount(), 1);
}

TEST_F(TableStorage, DeleteTableRemovesOnlyItsOwnFileAndOnlyWhileClosed) {
  MakeIdTable(folder, "x", {});
  MakeIdTable(folder, "y", {});
  TTable table;
  OpenTable(table, folder, "x");
  EXPECT_NE(ErrorOf([&] { table.DeleteTable(); }).find("the table is open"), std::string::npos);
  table.Close();
  EXPECT_TRUE(table.Exists());
  table.DeleteTable();
  EXPECT_EQ(Listing(folder), std::vector<std::string>{"y.tbl.db"});
  EXPECT_FALSE(table.Exists());
  EXPECT_NE(ErrorOf([&] { table.DeleteTable(); }).find("Cannot delete table 'x'"), std::string::npos);
}

TEST_F(TableStorage, FolderNameAndFieldsChangeOnlyWhileClosed) {
  MakeIdTable(folder, "t", {});
  TTable table;
  OpenTable(table, folder, "t");
  for (const auto& change :
       std::vector<std::function<void()>>{[&] { table.SetTableName("U"); }, [&] { table.SetDatabaseName("/"); },
                                          [&] { table.DeclareField("Extra", 4); }, [&] { table.CreateTable(); }}) {
    EXPECT_NE(ErrorOf(change).find("Cannot"), std::string::npos);
  }
  EXPECT_EQ(table.TableName(), "t");
  EXPECT_EQ(table.DatabaseName(), folder.string());
  EXPECT_TRUE(table.Active());
}

TEST_F(TableStorage, TextIsCutToTheFieldWidthAndEightBitTextIsStoredAsUtf8) {
  MakeIdTable(folder, "t", {{"ABCDEFGHIJKLMNOPQRST", "caf\xE9"}});
  TTable table;
  OpenTable(table, folder, "t");
  EXPECT_EQ(table.FieldByName("Trailer ID").AsString(), "ABCDEFGHIJKLMNOP");

  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open((folder / "t.tbl.db").string().c_str(), &db), SQLITE_OK);
  sqlite3_stmt* select = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT \"Vehicle ID\" FROM Records", -1, &select, nullptr), SQLITE_OK);
  ASSERT_EQ(sqlite3_step(select), SQLITE_ROW);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(sqlite3_column_text(select, 0))), "caf\xC3\xA9");
  sqlite3_finalize(select);
  sqlite3_close(db);
}

TEST_F(TableStorage, EveryEightBitCharacterReadsBackAfterReopening) {
  std::string all;
  for (int code = 1; code <= 255; ++code) all += static_cast<char>(code);
  {
    TTable table;
    table.SetDatabaseName(folder.string());
    table.SetTableName("All");
    table.FieldDefs().Add("Text", 255);
    table.CreateTable();
    table.Open();
    table.Append();
    table.Fields(0).SetAsString(all);
    table.Post();
  }
  EXPECT_EQ(StoredFirstColumn(folder, "All"), std::vector<std::string>{all});
}

TEST_F(TableStorage, CharactersBeyondEightBitsWrittenByOtherToolsReadAsQuestionMarks) {
  MakeIdTable(folder, "t", {{"x", "y"}});
  RunSql(folder / "t.tbl.db",
         "UPDATE Records SET \"Trailer ID\" = 'A\xE2\x82\xAC"
         "B'");
  EXPECT_EQ(StoredFirstColumn(folder, "t"), std::vector<std::string>{"A?B"});
}

TEST_F(TableStorage, HostileNamesEachGetTheirOwnFileInsideTheFolder) {
  const fs::path ids = folder / "IDs";
  fs::create_directory(ids);
  std::vector<std::string> names = {"../../x",
                                    "a/b",
                                    "C:\\x",
                                    "con",
                                    "CON.db",
                                    "x ",
                                    "x",
                                    "x.db",
                                    "%",
                                    "%41",
                                    "A",
                                    "a",
                                    "X",
                                    "nul",
                                    "Com1",
                                    "lpt9.txt",
                                    "aux .x",
                                    "prn.",
                                    "a:b",
                                    "<*?|>",
                                    std::string("\x01\x02\x1f\x7f", 4),
                                    "\xE9t\xE9",
                                    std::string(150, '\xE9'),
                                    std::string(149, '\xE9') + "\xEA",
                                    std::string(150, 'F'),
                                    std::string(150, 'f'),
                                    "Fleet A 12-7-2026 9_05_03 AM by ",
                                    "fleet a 12-7-2026 9_05_03 am by ",
                                    "FLEET A 12-7-2026 9_05_03 AM by "};
  // Where the file system ignores case, a name ending in ".db" names the file that
  // differs from it only in case.
  if (!HostFileNameRules().ignoresCase) names.push_back("x.DB");
  for (std::size_t i = 0; i < names.size(); ++i) MakeIdTable(ids, names[i], {{std::to_string(i), ""}});

  EXPECT_EQ(Listing(folder), std::vector<std::string>{"IDs"});
  EXPECT_EQ(Listing(ids).size(), names.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    EXPECT_EQ(StoredFirstColumn(ids, names[i]), std::vector<std::string>{std::to_string(i)}) << names[i];
  }
}

TEST_F(TableStorage, FailedPostSaysWhyAndKeepsTheChangePending) {
  MakeIdTable(folder, "t", {{"a", ""}});
  TTable table;
  OpenTable(table, folder, "t");
  table.Edit();
  table.Fields(0).SetAsString("b");
  RunSql(folder / "t.tbl.db", "DELETE FROM Records");
  EXPECT_NE(ErrorOf([&] { table.Post(); }).find("Cannot change a row of table 't'"), std::string::npos);
  EXPECT_EQ(table.State(), TDataSetState::Edit);
  EXPECT_EQ(table.Fields(0).AsString(), "b");
}

TEST_F(TableStorage, ClosingDropsAnUnpostedChange) {
  MakeIdTable(folder, "t", {{"kept", ""}});
  TTable table;
  OpenTable(table, folder, "t");
  table.Edit();
  table.Fields(0).SetAsString("dropped");
  table.Close();
  table.Open();
  table.Append();
  table.Fields(0).SetAsString("dropped too");
  table.SetActive(false);
  EXPECT_EQ(StoredFirstColumn(folder, "t"), std::vector<std::string>{"kept"});
}

}  // namespace
}  // namespace orvel
