#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "IDFormFixture.h"
#include "ModalDriver.h"
#include "app/DataSourceTableModel.h"
#include "app/TDBGrid.h"
#include "store/IdListCsv.h"
#include "store/StoreSchema.h"
#include "tables/TTable.h"
#include "tables/TableFileName.h"

namespace orvel {
namespace {

using testing::ModalDriver;

// A chosen group of 32 empty rows in the grid, which has the keyboard focus.
class IDGridTest : public testing::IDFormFixture {
 protected:
  void SetUp() override {
    OpenForm();
    CreateGroupThroughWindow("Fleet A");
    ShowGroupInGrid();
    ASSERT_EQ(Rows(), 32);
  }

  void ShowGroupInGrid() {
    ChooseGroupByDropDown(0);
    QApplication::setActiveWindow(form);
    form->IDGrid->setFocus();
    form->IDGrid->setCurrentIndex(form->IDGrid->Model().index(0, 0));
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

// The ways other than typed keys by which text reaches an open cell editor.
enum class Entry { InputMethod, PasteKeys, MenuPaste, Drop };

class IDGridEntryTest : public IDGridTest, public ::testing::WithParamInterface<Entry> {
 protected:
  void Enter(const QString& text) {
    QWidget* editor = Focus();
    switch (GetParam()) {
      case Entry::InputMethod: {
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QCoreApplication::sendEvent(editor, &commit);
        return;
      }
      case Entry::PasteKeys:
        QApplication::clipboard()->setText(text);
        Press(Qt::Key_V, Qt::ControlModifier);
        return;
      case Entry::MenuPaste: {
        QApplication::clipboard()->setText(text);
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, QPoint(2, 2), editor->mapToGlobal(QPoint(2, 2)));
        QCoreApplication::sendEvent(editor, &menuEvent);
        QPointer<QMenu> menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        const QList<QAction*> actions = menu->actions();
        const auto paste = std::find_if(actions.begin(), actions.end(),
                                        [](QAction* action) { return action->text().startsWith("&Paste"); });
        ASSERT_NE(paste, actions.end());
        (*paste)->trigger();
        if (menu) menu->close();
        return;
      }
      case Entry::Drop: {
        QMimeData data;
        data.setText(text);
        const QPoint end(editor->width() - 2, 2);
        QDragEnterEvent enter(end, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(editor, &enter);
        QDropEvent drop(end, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(editor, &drop);
        return;
      }
    }
  }
};

// Pasted and dropped text meets the tester's rule only; an input method's commit is typed,
// so the typing rule refuses its punctuation too.
TEST_P(IDGridEntryTest, RefusesWholeWhatTheIdRuleRefusesAndTakesTheRest) {
  const bool typed = GetParam() == Entry::InputMethod;
  std::vector<std::pair<QString, QString>> refused = {
      {"B\r\nC", "Please enter an alphabetical or numerical character"},
      {QString::fromLatin1("\x85"), "Please enter an alphabetical or numerical character"},
      {"\tD", "Please enter an alphabetical or numerical character"},
      {QString::fromUtf8("\u20AC5"), "The tester cannot show this character; please enter another"}};
  if (typed) refused.push_back({"#~^`", "Please enter an alphabetical or numerical character"});
  Type("A");
  ModalDriver driver;
  for (std::size_t i = 0; i < refused.size(); ++i) {
    driver.Then([](QWidget* box) { testing::PressKey(box, Qt::Key_Return); });
  }
  for (const auto& [text, message] : refused) {
    const int before = driver.Answered();
    Enter(text);
    ASSERT_EQ(driver.Answered(), before + 1) << text.toStdString();
    EXPECT_EQ(driver.Seen().back().text, message);
    ASSERT_NE(Editor(), nullptr);
    EXPECT_EQ(Editor()->text(), "A");
  }
  const std::string taken = typed ? "b-2 \xC9" : "b.2/#\xC9";
  Enter(QString::fromLatin1(taken.c_str()));
  Press(Qt::Key_Return);
  EXPECT_EQ(Stored()[0].first, "A" + taken);
  EXPECT_EQ(driver.Answered(), static_cast<int>(refused.size()));
}

INSTANTIATE_TEST_SUITE_P(Grid, IDGridEntryTest,
                         ::testing::Values(Entry::InputMethod, Entry::PasteKeys, Entry::MenuPaste, Entry::Drop));

TEST_F(IDGridTest, InputMethodCommitOpeningTheCellGetsTheIdRule) {
  ModalDriver driver;
  driver.Then([](QWidget* box) { testing::PressKey(box, Qt::Key_Return); });
  QInputMethodEvent refused;
  refused.setCommitString("^");
  QCoreApplication::sendEvent(form->IDGrid, &refused);
  ASSERT_EQ(driver.Answered(), 1);
  QInputMethodEvent accepted;
  accepted.setCommitString(QString::fromLatin1("\xE9"));
  QCoreApplication::sendEvent(form->IDGrid, &accepted);
  Press(Qt::Key_Return);
  EXPECT_EQ(Stored()[0].first, "\xE9");
}

// Whatever brings text into the model, it stores no text the ID rule refuses; it says so
// once the commit is over.
TEST_F(IDGridTest, ModelRefusesTextTheIdRuleRefusesAndSaysSoAfterwards) {
  ModalDriver driver;
  driver.Then([](QWidget* box) { testing::PressKey(box, Qt::Key_Return); });
  EXPECT_FALSE(form->IDGrid->Model().setData(form->IDGrid->Model().index(0, 0), "A\nB", Qt::EditRole));
  EXPECT_EQ(driver.Answered(), 0) << "the box waits until the commit is over";
  QTRY_COMPARE(driver.Answered(), 1);
  EXPECT_EQ(driver.Seen()[0].text, "Please enter an alphabetical or numerical character");
  Press(Qt::Key_Down);
  EXPECT_EQ(Stored()[0].first, "");
}

// A cell whose text cannot be stored (here put in by the program, standing for any way
// past the filters) is refused with one message when it is left. Return keeps the cell
// open with its text; nothing else closes it under the box.
TEST_F(IDGridTest, LeavingACellWithRefusedTextGivesOneMessageAndStoresNothing) {
  for (const int key : {Qt::Key_Return, Qt::Key_Down}) {
    SCOPED_TRACE(key == Qt::Key_Return ? "Return" : "Down");
    form->IDGrid->setCurrentIndex(form->IDGrid->Model().index(0, 0));
    Type("A");
    ASSERT_NE(Editor(), nullptr);
    Editor()->insert(QString::fromUtf8("\u20AC5"));
    ModalDriver driver;
    driver.Then([](QWidget* box) { testing::PressKey(box, Qt::Key_Return); });
    Press(key);
    QTRY_COMPARE(driver.Answered(), 1);
    QCoreApplication::processEvents();
    EXPECT_EQ(driver.Answered(), 1);
    EXPECT_EQ(driver.Seen()[0].text, "The tester cannot show this character; please enter another");
    if (key == Qt::Key_Return) {
      ASSERT_NE(Editor(), nullptr);
      EXPECT_EQ(Editor()->text(), QString::fromUtf8("A\u20AC5"));
      Press(Qt::Key_Escape);
    }
    EXPECT_EQ(Stored()[0].first, "");
  }
}

TEST_F(IDGridTest, TypingIntoAGroupWithoutRowsStartsItsFirstRow) {
  while (form->IDListTable.RecordCount() > 0) form->IDListTable.Delete();
  ASSERT_EQ(Rows(), 0);
  Type("FIRST");
  Press(Qt::Key_Return);
  ASSERT_EQ(Stored().size(), 1u);
  EXPECT_EQ(Stored()[0].first, "FIRST");
}

// A directory where the table's journal must go makes every write fail, as a full disk does.
TEST_F(IDGridTest, ARowTheStoreCannotTakeKeepsTheCursorAndItsTextUntilStored) {
  const std::filesystem::path journal = folders.idLists / (TableFileName(form->IDListTable.TableName()) + "-journal");
  Type("KEEP");
  std::filesystem::create_directory(journal);
  ModalDriver driver;
  driver.Then([](QWidget* box) { testing::PressKey(box, Qt::Key_Return); });
  Press(Qt::Key_Down);
  QCoreApplication::processEvents();
  ASSERT_EQ(driver.Answered(), 1);
  EXPECT_EQ(Current().first, 0) << "the cursor stays on the row that is not stored";
  EXPECT_EQ(Cell(0, 0), "KEEP");
  std::filesystem::remove(journal);
  EXPECT_EQ(Stored()[0].first, "");
  Press(Qt::Key_Down);
  EXPECT_EQ(Stored()[0].first, "KEEP");
}

// The grid's menu, opened by a right click on its rows; null when none opens.
QMenu* OpenGridMenu(TIDForm& form) {
  const QPoint point(5, 5);
  QContextMenuEvent click(QContextMenuEvent::Mouse, point, form.IDGrid->viewport()->mapToGlobal(point));
  QCoreApplication::sendEvent(form.IDGrid->viewport(), &click);
  return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

void Choose(QMenu* menu, QAction* item) {
  QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
}

void WriteText(const std::filesystem::path& file, const std::string& text) {
  std::ofstream(file, std::ios::binary) << text;
}

TEST_F(IDGridTest, CsvImportFromTheGridMenuReplacesTheShownGroupsRowsOrChangesNothing) {
  const std::filesystem::path refused = temp / "refused.csv";
  const std::filesystem::path good = temp / "good.csv";
  WriteText(refused, "T1,V1\nT2,V\x1B" "2\n");
  WriteText(good, "Slot;Trailer ID;Vehicle ID\r\n3;T3;V3\r\n1;M\xC3\xBCller;V1\r\n");
  std::vector<std::filesystem::path> chosen = {refused, good, good};
  form->chooseCsvFile = [&](TIDForm::CsvFileChoice choice, const QString&) {
    EXPECT_EQ(choice, TIDForm::CsvFileChoice::Import);
    const std::filesystem::path file = chosen.front();
    chosen.erase(chosen.begin());
    return QString::fromStdString(file.string());
  };
  Type("PENDING");
  const auto before = Stored();

  ModalDriver driver;
  driver.Then([](QWidget* box) { testing::PressKey(box, Qt::Key_Return); });
  driver.Then([](QWidget* box) { testing::PressKey(box, Qt::Key_N, Qt::AltModifier); });
  driver.Then([](QWidget* box) { testing::PressKey(box, Qt::Key_Return); });
  for (int import = 0; import < 3; ++import) {
    QMenu* menu = OpenGridMenu(*form);
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 2);
    EXPECT_EQ(menu->actions()[0]->text(), QString::fromUtf8("Import from CSV\u2026"));
    EXPECT_EQ(menu->actions()[1]->text(), QString::fromUtf8("Export to CSV\u2026"));
    Choose(menu, menu->actions()[0]);
    ASSERT_EQ(driver.Answered(), import + 1);
    if (import < 2) {
      EXPECT_EQ(Stored(), before);
    }
  }
  EXPECT_EQ(driver.Seen()[0].title, "Information");
  EXPECT_EQ(driver.Seen()[1].title, "Confirm");
  EXPECT_EQ(driver.Seen()[0].text.toStdString(),
            "Cannot import '" + refused.string() +
                "': line 2, column 2 (Vehicle ID), character 2: an ID cannot hold a control character (U+001B): "
                "control characters cannot be stored. Nothing was imported.");
  EXPECT_EQ(driver.Seen()[1].text.toStdString(),
            "Replace the IDs of the Fleet A Group with those in " + good.string() + "?");

  const auto after = Stored();
  ASSERT_EQ(after.size(), 32u);
  EXPECT_EQ(after[0], (std::pair<std::string, std::string>("M\xFCller", "V1")));
  EXPECT_EQ(after[1], (std::pair<std::string, std::string>("", "")));
  EXPECT_EQ(after[2], (std::pair<std::string, std::string>("T3", "V3")));
  EXPECT_EQ(Cell(0, 0), QString::fromLatin1("M\xFCller"));
  EXPECT_EQ(Current().first, 0);
}

TEST_F(IDGridTest, CsvExportWritesTheRowsWithTheOneBeingEditedAndTheMenuIsOffWithTheGrid) {
  const std::filesystem::path file = temp / "out.csv";
  QString suggested;
  form->chooseCsvFile = [&](TIDForm::CsvFileChoice choice, const QString& name) {
    EXPECT_EQ(choice, TIDForm::CsvFileChoice::Export);
    suggested = name;
    return QString::fromStdString(file.string());
  };
  Press(Qt::Key_Down);
  Type("EDITED");
  QMenu* menu = OpenGridMenu(*form);
  ASSERT_NE(menu, nullptr);
  Choose(menu, menu->actions()[1]);
  EXPECT_EQ(suggested, "Fleet A.csv");
  std::ostringstream written;
  written << std::ifstream(file, std::ios::binary).rdbuf();
  EXPECT_EQ(written.str().rfind("Slot,Trailer ID,Vehicle ID\r\n1,,\r\n2,EDITED,\r\n3,,\r\n", 0), 0u);
  EXPECT_EQ(ReadIdListCsvFile(file)[1].trailer, "EDITED");

  // A link session turns the grid off, and with it the menu.
  form->IDGrid->setEnabled(false);
  EXPECT_EQ(OpenGridMenu(*form), nullptr);
}

class IDGridWithoutGroup : public testing::IDFormFixture {};

TEST_F(IDGridWithoutGroup, CsvMenuAsksForAGroupFirst) {
  OpenForm();
  form->chooseCsvFile = [](TIDForm::CsvFileChoice, const QString&) {
    ADD_FAILURE() << "a file was asked for";
    return QString();
  };
  ModalDriver driver;
  for (int i = 0; i < 2; ++i) driver.Then([](QWidget* box) { testing::PressKey(box, Qt::Key_Return); });
  for (int item = 0; item < 2; ++item) {
    QMenu* menu = OpenGridMenu(*form);
    ASSERT_NE(menu, nullptr);
    Choose(menu, menu->actions()[item]);
  }
  ASSERT_EQ(driver.Answered(), 2);
  EXPECT_EQ(driver.Seen()[0].text, "Please select a group to import into");
  EXPECT_EQ(driver.Seen()[1].text, "Please select a group to export from");
}

}  // namespace
}  // namespace orvel
