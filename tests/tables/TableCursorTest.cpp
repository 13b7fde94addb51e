#include <gtest/gtest.h>

#include "TableTestSupport.h"
#include "tables/EDatabaseError.h"

namespace orvel {
namespace {

namespace fs = std::filesystem;
using testing::FirstColumn;
using testing::MakeIdTable;
using testing::OpenTable;
using testing::StoredFirstColumn;
using Rows = std::vector<std::string>;

class TableCursor : public ::testing::Test {
 protected:
  TableCursor() {
    MakeIdTable(temp.Path(), "T", {{"r1", "v1"}, {"r2", "v2"}, {"r3", "v3"}});
    OpenTable(table, temp.Path(), "T");
  }

  std::string Current() { return table.Fields(0).AsString(); }
  Rows Stored() { return StoredFirstColumn(temp.Path(), "T"); }

  testing::TempFolder temp;
  TTable table;
};

TEST_F(TableCursor, NextOnTheLastRowStaysThereAndSetsEofUntilFirst) {
  EXPECT_TRUE(table.Bof());
  EXPECT_FALSE(table.Eof());
  table.Next();
  table.Next();
  EXPECT_EQ(table.RecNo(), 3);
  EXPECT_FALSE(table.Eof());
  table.Next();
  EXPECT_TRUE(table.Eof());
  EXPECT_EQ(table.RecNo(), 3);
  EXPECT_EQ(Current(), "r3");
  table.First();
  EXPECT_FALSE(table.Eof());
  EXPECT_TRUE(table.Bof());
  EXPECT_EQ(Current(), "r1");
}

TEST_F(TableCursor, PriorOnTheFirstRowSetsBofAndMovesClampAtTheEnds) {
  table.Last();
  EXPECT_TRUE(table.Eof());
  table.Prior();
  EXPECT_EQ(table.RecNo(), 2);
  EXPECT_FALSE(table.Eof() || table.Bof());
  EXPECT_EQ(table.MoveBy(-5), -1);
  EXPECT_TRUE(table.Bof());
  EXPECT_EQ(table.MoveBy(10), 2);
  EXPECT_TRUE(table.Eof());
  table.SetRecNo(2);
  EXPECT_EQ(Current(), "r2");
}

TEST_F(TableCursor, EmptyTableHasNoCurrentRow) {
  MakeIdTable(temp.Path(), "Empty", {});
  TTable empty;
  OpenTable(empty, temp.Path(), "Empty");
  EXPECT_TRUE(empty.Bof() && empty.Eof());
  EXPECT_EQ(empty.RecNo(), 0);
  empty.Next();
  EXPECT_EQ(empty.Fields(0).AsString(), "");
  EXPECT_THROW(empty.Delete(), EDatabaseError);
  empty.Edit();
  EXPECT_EQ(empty.State(), TDataSetState::Insert);
  empty.Post();
  empty.Append();
  empty.Post();
  EXPECT_EQ(StoredFirstColumn(temp.Path(), "Empty"), (Rows{"", ""}));
}

TEST_F(TableCursor, InsertedRowIsStoredBeforeTheRowThatWasCurrent) {
  const struct {
    int recNo;
    bool append;
    Rows expected;
  } cases[] = {
      {1, false, {"new", "r1", "r2", "r3"}},
      {2, false, {"r1", "new", "r2", "r3"}},
      {3, false, {"r1", "r2", "new", "r3"}},
      {2, true, {"r1", "r2", "r3", "new"}},
  };
  for (const auto& c : cases) {
    const std::string name = "case " + std::to_string(c.recNo) + (c.append ? " append" : "");
    MakeIdTable(temp.Path(), name, {{"r1", ""}, {"r2", ""}, {"r3", ""}});
    TTable t;
    OpenTable(t, temp.Path(), name);
    t.SetRecNo(c.recNo);
    c.append ? t.Append() : t.Insert();
    t.Fields(0).SetAsString("new");
    t.Post();
    EXPECT_EQ(t.Fields(0).AsString(), "new");
    EXPECT_EQ(FirstColumn(t), c.expected) << name;
    EXPECT_EQ(StoredFirstColumn(temp.Path(), name), c.expected) << name;
  }
}

TEST_F(TableCursor, PendingRowCountsAsARowAtItsPositionForViews) {
  table.SetRecNo(2);
  table.Insert();
  table.Fields(0).SetAsString("new");
  EXPECT_EQ(table.RecordCount(), 3);
  ASSERT_EQ(table.RowCount(), 4);
  EXPECT_EQ(table.RecNo(), 2);
  const Rows shown = {table.CellText(0, 0), table.CellText(1, 0), table.CellText(2, 0), table.CellText(3, 0)};
  EXPECT_EQ(shown, (Rows{"r1", "new", "r2", "r3"}));
  EXPECT_THROW(table.CellText(4, 0), EDatabaseError);
  table.Cancel();
  table.Last();
  table.Edit();
  table.Fields(1).SetAsString("edited");
  EXPECT_EQ(table.CellText(2, 1), "edited");
  EXPECT_EQ(table.RowCount(), 3);
}

TEST_F(TableCursor, CancelRestoresTheRowAndThePosition) {
  table.Edit();
  EXPECT_FALSE(table.Modified());
  table.Fields(0).SetAsString("changed");
  EXPECT_TRUE(table.Modified());
  table.Cancel();
  EXPECT_FALSE(table.Modified());
  EXPECT_EQ(Current(), "r1");

  table.SetRecNo(2);
  table.Insert();
  table.Cancel();
  EXPECT_EQ(Current(), "r2");
  table.Append();
  table.Cancel();
  EXPECT_EQ(Current(), "r3");
  EXPECT_EQ(table.State(), TDataSetState::Browse);
  EXPECT_EQ(Stored(), (Rows{"r1", "r2", "r3"}));
}

TEST_F(TableCursor, MovingPostsAChangedRowAndDropsAnUntouchedNewOne) {
  table.Edit();
  table.Fields(0).SetAsString("x");
  table.Next();
  EXPECT_EQ(table.State(), TDataSetState::Browse);
  EXPECT_EQ(Current(), "r2");
  table.Insert();
  table.Next();
  EXPECT_EQ(Current(), "r3");
  table.Append();
  table.Fields(0).SetAsString("r4");
  table.First();
  EXPECT_EQ(Stored(), (Rows{"x", "r2", "r3", "r4"}));
}

TEST_F(TableCursor, DeleteLeavesTheCursorOnTheFollowingRowOrTheNewLast) {
  table.SetRecNo(2);
  table.Delete();
  EXPECT_EQ(Current(), "r3");
  table.Delete();
  EXPECT_EQ(Current(), "r1");
  EXPECT_EQ(Stored(), (Rows{"r1"}));
  table.Delete();
  EXPECT_TRUE(table.Bof() && table.Eof());
  EXPECT_EQ(table.RecNo(), 0);
  EXPECT_EQ(Stored(), Rows{});
}

TEST_F(TableCursor, FieldsAreReachedByNameOrPositionAndWrittenOnlyWhenEditing) {
  EXPECT_EQ(&table.FieldByName("vehicle ID"), &table.Fields(1));
  EXPECT_EQ(table.FindField("Nope"), nullptr);
  const auto messageOf = [](const std::function<void()>& action) {
    try {
      action();
    } catch (const EDatabaseError& error) {
      return std::string(error.what());
    }
    return std::string("no error");
  };
  EXPECT_NE(messageOf([&] { table.FieldByName("Nope"); }).find("no field 'Nope' in table 'T'"), std::string::npos);
  EXPECT_NE(messageOf([&] { table.Fields(0).SetAsString("x"); }).find("not in edit or insert mode"), std::string::npos);
  table.Close();
  EXPECT_NE(messageOf([&] { table.RecordCount(); }).find("the table is not open"), std::string::npos);
  EXPECT_NE(messageOf([&] { table.FieldByName("Trailer ID"); }).find("no field"), std::string::npos);
  TTable declared;
  TField& declaredField = declared.DeclareField("Trailer ID", 16);
  EXPECT_EQ(&declared.FieldByName("Trailer ID"), &declaredField);
  EXPECT_NE(messageOf([&] { declaredField.AsString(); }).find("not open"), std::string::npos);
}

TEST_F(TableCursor, WritingEveryRowInTurnEndsOnEof) {
  int written = 0;
  for (table.First(); !table.Eof() && written < 10; table.Next()) {
    table.Edit();
    table.Fields(1).SetAsString("slot " + std::to_string(++written));
    table.Post();
  }
  EXPECT_EQ(written, 3);
  TTable reader;
  OpenTable(reader, temp.Path(), "T");
  reader.Last();
  EXPECT_EQ(reader.FieldByName("Vehicle ID").AsString(), "slot 3");
}

}  // namespace
}  // namespace orvel
