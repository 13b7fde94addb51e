#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QTest>

#include "IDFormFixture.h"
#include "ModalDriver.h"
#include "app/DataSourceTableModel.h"
#include "app/TDBGrid.h"
#include "store/StoreSchema.h"
#include "tables/TTable.h"

namespace orvel {
namespace {

using testing::ModalDriver;

// A chosen group of 32 empty rows in the grid, which has the keyboard focus.
class IDGridTest : public testing::IDFormFixture {
 protected:
  void SetUp() override {
    OpenForm();
    CreateGroupThroughWindow("Fleet A");
    ChooseGroupByDropDown(0);
    QApplication::setActiveWindow(form);
    form->IDGrid->setFocus();
    form->IDGrid->setCurrentIndex(form->IDGrid->Model().index(0, 0));
    ASSERT_EQ(Rows(), 32);
  }

  // The widget that takes the keys. The offscreen platform does not give the window its
  // activation back when a box closes, as a desktop does, so the test does.
  QWidget* Focus() const {
    if (QApplication::focusWidget() == nullptr) QApplication::setActiveWindow(form);
    return QApplication::focusWidget() ? QApplication::focusWidget() : form->IDGrid;
  }
  void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(Focus(), static_cast<Qt::Key>(key), modifiers);
  }
  void Type(const QString& text) {
    for (const QChar c : text) QTest::sendKeyEvent(QTest::Click, Focus(), Qt::Key_unknown, QString(c), Qt::NoModifier);
  }
  QLineEdit* Editor() const { return qobject_cast<QLineEdit*>(Focus()); }
  int Rows() const { return form->IDGrid->Model().rowCount(); }
  QString Cell(int row, int column) const { return form->IDGrid->Model().index(row, column).data().toString(); }
  std::pair<int, int> Current() const {
    return {form->IDGrid->currentIndex().row(), form->IDGrid->currentIndex().column()};
  }
  // The ID list's rows as stored on disk.
  std::vector<std::pair<std::string, std::string>> Stored() const {
    TTable table;
    table.SetDatabaseName(folders.idLists.string());
    table.SetTableName(form->IDListTable.TableName());
    table.Open();
    std::vector<std::pair<std::string, std::string>> rows;
    for (int row = 0; row < table.RecordCount(); ++row)
      rows.emplace_back(table.CellText(row, 0), table.CellText(row, 1));
    return rows;
  }
};

TEST_F(IDGridTest, TypedIdIsStoredWhenTheCursorLeavesTheRow) {
  Type("a-1 B");
  Press(Qt::Key_Down);
  EXPECT_EQ(Cell(0, 0), "a-1 B");
  EXPECT_EQ(Stored()[0].first, "a-1 B");
}

TEST_F(IDGridTest, PunctuationIsRefusedWithTheMessageAndTheCellIsUnchanged) {
  ModalDriver driver;
  driver.Then([](QWidget* box) { testing::PressKey(box, Qt::Key_Return); });
  Type("AB#C");
  ASSERT_EQ(driver.Answered(), 1);
  EXPECT_EQ(driver.Seen()[0].text, "Please enter an alphabetical or numerical character");
  ASSERT_NE(Editor(), nullptr);
  EXPECT_EQ(Editor()->text(), "ABC");
}

TEST_F(IDGridTest, CharactersOutsideTheEightBitSetAreRefused) {
  ModalDriver driver;
  driver.Then([](QWidget* box) { testing::PressKey(box, Qt::Key_Return); });
  Type(QString::fromUtf8("A\u20ACB\u00C9"));
  ASSERT_EQ(driver.Answered(), 1);
  ASSERT_NE(Editor(), nullptr);
  EXPECT_EQ(Editor()->text(), QString::fromLatin1("AB\xC9"));
  Press(Qt::Key_Return);
  EXPECT_EQ(Stored()[0].first, "AB\xC9");
}

TEST_F(IDGridTest, EditorTakesAtMostSixteenCharacters) {
  Type("ABCDEFGHIJKLMNOPQ");
  ASSERT_NE(Editor(), nullptr);
  EXPECT_EQ(Editor()->text(), "ABCDEFGHIJKLMNOP");
}

TEST_F(IDGridTest, PastedTextIsNotFiltered) {
  Type("A");
  ASSERT_NE(Editor(), nullptr);
  QApplication::clipboard()->setText("#1/");
  Press(Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(Editor()->text(), "A#1/");
}

TEST_F(IDGridTest, EnterWalksDownAColumnAndWrapsToTheOtherBothWays) {
  form->IDGrid->setCurrentIndex(form->IDGrid->Model().index(30, 0));
  Press(Qt::Key_Return);
  EXPECT_EQ(Current(), std::make_pair(31, 0));
  Press(Qt::Key_Return);
  EXPECT_EQ(Current(), std::make_pair(31, 0)) << "the first Enter on the last row only sets the end flag";
  EXPECT_TRUE(form->IDListTable.Eof());
  Press(Qt::Key_Return);
  EXPECT_EQ(Current(), std::make_pair(0, 1));

  form->IDGrid->setCurrentIndex(form->IDGrid->Model().index(31, 1));
  Press(Qt::Key_Return);
  Press(Qt::Key_Return);
  EXPECT_EQ(Current(), std::make_pair(0, 0));
}

TEST_F(IDGridTest, EnterStoresTheTypedCell) {
  Type("T1");
  Press(Qt::Key_Return);
  EXPECT_EQ(Current(), std::make_pair(1, 0));
  EXPECT_EQ(Stored()[0].first, "T1");
}

TEST_F(IDGridTest, DownOnTheLastRowAddsARowThatGoesAwayUntouched) {
  form->IDGrid->setCurrentIndex(form->IDGrid->Model().index(31, 0));
  Press(Qt::Key_Down);
  EXPECT_EQ(Rows(), 33);
  EXPECT_EQ(Current().first, 32);
  Press(Qt::Key_Up);
  EXPECT_EQ(Rows(), 32);
  EXPECT_EQ(Stored().size(), 32u);
}

TEST_F(IDGridTest, DownOnTheLastRowThenTypingStoresTheNewRow) {
  form->IDGrid->setCurrentIndex(form->IDGrid->Model().index(31, 0));
  Press(Qt::Key_Down);
  Type("NEW");
  Press(Qt::Key_Up);
  ASSERT_EQ(Stored().size(), 33u);
  EXPECT_EQ(Stored()[32].first, "NEW");
}

TEST_F(IDGridTest, CtrlDeleteAsksAndOkDeletesTheRow) {
  Type("GONE");
  Press(Qt::Key_Down);
  form->IDGrid->setCurrentIndex(form->IDGrid->Model().index(0, 0));
  ModalDriver driver;
  driver.Then([](QWidget* box) { testing::PressKey(box, Qt::Key_Escape); });
  driver.Then([](QWidget* box) { testing::PressKey(box, Qt::Key_Return); });
  Press(Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(Stored().size(), 32u);
  Press(Qt::Key_Delete, Qt::ControlModifier);
  ASSERT_EQ(driver.Answered(), 2);
  EXPECT_EQ(driver.Seen()[0].text, "Delete record?");
  EXPECT_EQ(Stored().size(), 31u);
  EXPECT_EQ(Stored()[0].first, "");
  EXPECT_EQ(Rows(), 31);
}

TEST_F(IDGridTest, EscDropsTheRowsChange) {
  Type("KEEP");
  Press(Qt::Key_Down);
  form->IDGrid->setCurrentIndex(form->IDGrid->Model().index(0, 0));
  Type("CHANGED");
  Press(Qt::Key_Escape);
  Press(Qt::Key_Down);
  EXPECT_EQ(Cell(0, 0), "KEEP");
  EXPECT_EQ(Stored()[0].first, "KEEP");
}

TEST_F(IDGridTest, InsertStartsARowAtTheCursor) {
  form->IDGrid->setCurrentIndex(form->IDGrid->Model().index(2, 0));
  Press(Qt::Key_Insert);
  Type("INSERTED");
  Press(Qt::Key_Down);
  const auto rows = Stored();
  ASSERT_EQ(rows.size(), 33u);
  EXPECT_EQ(rows[2].first, "INSERTED");
}

}  // namespace
}  // namespace orvel

namespace orvel {
namespace {

TEST_F(IDGridTest, PastedTextWithCharactersTheTesterCannotStoreIsRefused) {
  Type("A");
  ASSERT_NE(Editor(), nullptr);
  QApplication::clipboard()->setText(QString::fromUtf8("\u20AC5"));
  Press(Qt::Key_V, Qt::ControlModifier);
  ModalDriver driver;
  driver.Then([](QWidget* box) { testing::PressKey(box, Qt::Key_Return); });
  Press(Qt::Key_Down);
  ASSERT_EQ(driver.Answered(), 1);
  EXPECT_TRUE(driver.Seen()[0].text.startsWith("The pasted text holds characters the tester cannot store"));
  EXPECT_EQ(Stored()[0].first, "");
}

}  // namespace
}  // namespace orvel
