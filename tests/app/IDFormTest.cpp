#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QScopeGuard>
#include <QStyleFactory>
#include <QStyleOptionButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QWindow>
#include <fstream>
#include <memory>

#include "IDFormFixture.h"
#include "ModalDriver.h"
#include "TextInk.h"
#include "app/DataSourceTableModel.h"
#include "app/Identities.h"
#include "app/OrvelStyle.h"
#include "app/TDBGrid.h"
#include "app/TDBLookupComboBox.h"
#include "tables/TTable.h"

namespace orvel {
namespace {

using testing::ModalDriver;
using testing::PressKey;

class IDForm : public testing::IDFormFixture {};

TEST_F(IDForm, FreshWindowShowsGroupPageEmptyStatusAndEmptyGrid) {
  TIDForm& window = OpenForm();
  EXPECT_EQ(window.windowTitle(), "Configure IDs");
  EXPECT_EQ(window.size(), QSize(242, 490));
  EXPECT_EQ(window.PageControl1->currentWidget(), window.GroupNameTab);
  EXPECT_TRUE(window.Label3->text().isEmpty());
  EXPECT_TRUE(window.Label4->text().isEmpty());
  EXPECT_TRUE(window.IDGroupTable.Active());
  EXPECT_FALSE(window.IDListTable.Active());
  EXPECT_EQ(window.IDGrid->Model().rowCount(), 0);
  EXPECT_EQ(window.GroupNameComboBox->count(), 0);
  EXPECT_EQ(window.TrailerFieldName, "Trailer ID");
  EXPECT_EQ(window.VehicleFieldName, "Vehicle ID");
  EXPECT_EQ(window.ExitButton->text(), "Exit");
  EXPECT_EQ(window.ExitButton->toolTip(), "Close");
  EXPECT_EQ(window.ExitButton->focusPolicy(), Qt::NoFocus);
  EXPECT_EQ(window.Edit3->maxLength(), 16);
  EXPECT_EQ(window.PageControl1->tabPosition(), QTabWidget::South);
  EXPECT_EQ(window.SendIDButton->geometry(), QRect(118, 40, 41, 17));
}

TEST_F(IDForm, NewGroupGetsARowAnd32EmptyRowsAndLeavesTheGridEmpty) {
  OpenForm();
  CreateGroupThroughWindow("Fleet A");
  const auto groups = StoredGroups();
  ASSERT_EQ(groups.size(), 1u);
  EXPECT_EQ(groups[0].first, "Fleet A");
  EXPECT_EQ(groups[0].second.rfind("Fleet A ", 0), 0u);
  EXPECT_EQ(groups[0].second.substr(groups[0].second.size() - 4), " by ");
  EXPECT_EQ(groups[0].second.find_first_of(":/"), std::string::npos);
  EXPECT_EQ(StoredIdListRows(groups[0].second), 32);
  EXPECT_FALSE(form->IDListTable.Active());
  EXPECT_EQ(form->IDGrid->Model().rowCount(), 0);
  EXPECT_EQ(form->GroupNameComboBox->count(), 1);
  EXPECT_TRUE(form->GroupNameComboBox->currentText().isEmpty());
}

TEST_F(IDForm, NameLengthLimitAndTheDefaultAnswers) {
  OpenForm();
  const QString thirty(30, 'x');
  const QString thirtyOne(31, 'y');
  CreateGroupThroughWindow(thirty);
  {
    ModalDriver driver;
    driver.Then([&](QWidget* box) {
      PressKey(box, Qt::Key_Delete);
      testing::TypeText(box->focusWidget(), thirtyOne);
      PressKey(box, Qt::Key_Return);
    });
    driver.Then([](QWidget* box) { PressKey(box, Qt::Key_Return); });
    QTest::mouseClick(form->NewGroupButton, Qt::LeftButton);
    ASSERT_EQ(driver.Answered(), 2);
    EXPECT_EQ(driver.Seen()[1].text, thirtyOne + " is more than 30 characters please reduce it");
  }
  {
    ModalDriver driver;
    driver.Then([](QWidget* box) { PressKey(box, Qt::Key_Escape); });
    driver.Then([](QWidget* box) { PressKey(box, Qt::Key_Return); });
    QTest::mouseClick(form->NewGroupButton, Qt::LeftButton);
    QTest::mouseClick(form->NewGroupButton, Qt::LeftButton);
    EXPECT_EQ(driver.Answered(), 2);
  }
  CreateGroupThroughWindow("New");
  CreateGroupThroughWindow("new");
  CreateGroupThroughWindow("");

  const auto groups = StoredGroups();
  ASSERT_EQ(groups.size(), 3u);
  EXPECT_EQ(groups[0].first, thirty.toStdString());
  EXPECT_EQ(groups[1].first, "new");
  EXPECT_EQ(groups[2].first, "");
  EXPECT_EQ(groups[2].second[0], ' ');
  for (const auto& group : groups) EXPECT_EQ(StoredIdListRows(group.second), 32) << group.second;
  ChooseGroupByDropDown(2);
  EXPECT_EQ(form->IDListTable.TableName(), groups[2].second) << "a group named with the empty text can be opened";
}

TEST_F(IDForm, SameNameTwiceInOneSecondNeverSharesATable) {
  OpenForm();
  CreateGroupThroughWindow("Fleet A");
  CreateGroupThroughWindow("Fleet A");
  CreateGroupThroughWindow("Fleet A");
  const auto groups = StoredGroups();
  ASSERT_EQ(groups.size(), 3u);
  EXPECT_NE(groups[0].second, groups[1].second);
  EXPECT_NE(groups[1].second, groups[2].second);
  EXPECT_NE(groups[0].second, groups[2].second);
  for (const auto& group : groups) EXPECT_EQ(StoredIdListRows(group.second), 32);
  EXPECT_EQ(form->GroupNameComboBox->count(), 3);
}

TEST_F(IDForm, ChoosingByDropDownShowsTheGroupsRows) {
  OpenForm();
  CreateGroupThroughWindow("Fleet A");
  CreateGroupThroughWindow("Fleet B");
  ChooseGroupByDropDown(1);
  EXPECT_EQ(form->GroupNameComboBox->currentText(), "Fleet B");
  ASSERT_TRUE(form->IDListTable.Active());
  EXPECT_EQ(form->IDListTable.TableName(), StoredGroups()[1].second);
  EXPECT_EQ(form->IDGrid->Model().rowCount(), 32);
  EXPECT_EQ(form->IDGrid->Model().columnCount(), 2);
  EXPECT_EQ(form->IDGrid->Model().headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), "Trailer ID");
  EXPECT_EQ(form->IDGrid->Model().headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "Vehicle ID");
}

TEST_F(IDForm, ArrowKeysMoveTheChoiceButLeaveTheGridAlone) {
  OpenForm();
  CreateGroupThroughWindow("Fleet A");
  CreateGroupThroughWindow("Fleet B");
  ChooseGroupByDropDown(0);
  const std::string tableOfA = form->IDListTable.TableName();
  QTest::keyClick(form->GroupNameComboBox, Qt::Key_Down);
  EXPECT_EQ(form->GroupNameComboBox->currentText(), "Fleet B");
  EXPECT_EQ(form->IDGroupTable.RecNo(), 2);
  EXPECT_EQ(form->IDListTable.TableName(), tableOfA);
}

TEST_F(IDForm, DeleteRemovesTheChosenRowAndItsTable) {
  OpenForm();
  CreateGroupThroughWindow("Fleet A");
  CreateGroupThroughWindow("Fleet B");
  const auto before = StoredGroups();
  ChooseGroupByDropDown(1);
  ModalDriver driver;
  driver.Then([](QWidget* box) { PressKey(box, Qt::Key_Return); });
  QTest::mouseClick(form->DeleteGroupButton, Qt::LeftButton);
  ASSERT_EQ(driver.Answered(), 1);
  EXPECT_EQ(driver.Seen()[0].text, "Delete the Fleet B Group?");
  const auto after = StoredGroups();
  ASSERT_EQ(after.size(), 1u);
  EXPECT_EQ(after[0].first, "Fleet A");
  EXPECT_EQ(StoredIdListRows(before[1].second), -1);
  EXPECT_EQ(StoredIdListRows(before[0].second), 32);
  EXPECT_FALSE(form->IDListTable.Active());
  EXPECT_EQ(form->IDGrid->Model().rowCount(), 0);
  EXPECT_TRUE(form->GroupNameComboBox->currentText().isEmpty());
}

TEST_F(IDForm, DeleteAfterArrowKeyChoiceDeletesOnlyTheNamedGroupsTable) {
  OpenForm();
  CreateGroupThroughWindow("Fleet A");
  CreateGroupThroughWindow("Fleet B");
  const auto before = StoredGroups();
  ChooseGroupByDropDown(0);
  QTest::keyClick(form->GroupNameComboBox, Qt::Key_Down);
  ModalDriver driver;
  driver.Then([](QWidget* box) { PressKey(box, Qt::Key_Return); });
  QTest::mouseClick(form->DeleteGroupButton, Qt::LeftButton);
  EXPECT_EQ(driver.Seen().at(0).text, "Delete the Fleet B Group?");
  const auto after = StoredGroups();
  ASSERT_EQ(after.size(), 1u);
  EXPECT_EQ(after[0].first, "Fleet A");
  EXPECT_EQ(StoredIdListRows(before[0].second), 32);
  EXPECT_EQ(StoredIdListRows(before[1].second), -1);
}

TEST_F(IDForm, DeleteWithoutAChosenGroupAsksThenRefuses) {
  OpenForm();
  CreateGroupThroughWindow("Fleet A");
  ModalDriver driver;
  driver.Then([](QWidget* box) { PressKey(box, Qt::Key_Return); });
  driver.Then([](QWidget* box) { PressKey(box, Qt::Key_Return); });
  driver.Then([](QWidget* box) { PressKey(box, Qt::Key_Escape); });
  QTest::mouseClick(form->DeleteGroupButton, Qt::LeftButton);
  QTest::mouseClick(form->DeleteGroupButton, Qt::LeftButton);
  ASSERT_EQ(driver.Answered(), 3);
  EXPECT_EQ(driver.Seen()[0].text, "Delete the  Group?");
  EXPECT_EQ(driver.Seen()[1].text, "Please select a group to delete");
  EXPECT_EQ(StoredGroups().size(), 1u);
}

TEST_F(IDForm, HostileGroupNamesStayInsideTheIdListFolder) {
  OpenForm();
  const QStringList names = {"../../evil",
                             "a/b",
                             "C:\\x",
                             "\"quoted\"",
                             "..",
                             QString::fromLatin1("Fl\xE9"
                                                 "et"),
                             " padded "};
  for (const QString& name : names) CreateGroupThroughWindow(name);
  const auto groups = StoredGroups();
  ASSERT_EQ(groups.size(), static_cast<std::size_t>(names.size()));
  for (const auto& group : groups) EXPECT_EQ(StoredIdListRows(group.second), 32) << group.first;

  std::size_t filesOutsideIdLists = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(temp.Path())) {
    if (entry.is_regular_file() && entry.path().parent_path() != folders.idLists &&
        entry.path() != folders.data / "IDGroup.db" && entry.path() != folders.data / "IDStore.lock") {
      ++filesOutsideIdLists;
    }
  }
  EXPECT_EQ(filesOutsideIdLists, 0u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folders.idLists), {}), names.size());
}

TEST_F(IDForm, NewWorksWhateverIsChosenAndTheListKeepsShowingIt) {
  OpenForm();
  CreateGroupThroughWindow("Alpha");
  CreateGroupThroughWindow("Alpha");
  ChooseGroupByDropDown(1);
  const std::string secondAlpha = StoredGroups()[1].second;
  CreateGroupThroughWindow("Bravo");
  EXPECT_EQ(form->GroupNameComboBox->currentIndex(), 1);
  EXPECT_EQ(form->IDGroupTable.RecNo(), 2);

  TypeIntoGrid("T1");
  QTest::keyClick(form->GroupNameComboBox, Qt::Key_Up);
  CreateGroupThroughWindow("Charlie");

  const auto groups = StoredGroups();
  ASSERT_EQ(groups.size(), 4u);
  EXPECT_EQ(groups[2].first, "Bravo");
  EXPECT_EQ(groups[3].first, "Charlie");
  for (const auto& group : groups) EXPECT_EQ(StoredIdListRows(group.second), 32) << group.first;
  EXPECT_EQ(form->GroupNameComboBox->count(), 4);
  EXPECT_EQ(form->GroupNameComboBox->currentIndex(), 0);
  EXPECT_EQ(form->IDGroupTable.RecNo(), 1);
  EXPECT_FALSE(form->IDListTable.Active());
  EXPECT_NE(secondAlpha, groups[0].second);

  ModalDriver driver;
  driver.Then([](QWidget* box) { PressKey(box, Qt::Key_Return); });
  driver.Then([](QWidget* box) { PressKey(box, Qt::Key_Return); });
  QTest::mouseClick(form->DeleteGroupButton, Qt::LeftButton);
  ASSERT_EQ(driver.Answered(), 2);
  EXPECT_EQ(driver.Seen()[1].text, "Please select a group to delete") << "New leaves no group chosen";
  EXPECT_EQ(StoredGroups().size(), 4u);
}

TEST_F(IDForm, OnlyARealDropDownCloseSwitchesTheGrid) {
  OpenForm();
  CreateGroupThroughWindow("Alpha");
  CreateGroupThroughWindow("Bravo");
  const auto groups = StoredGroups();
  ChooseGroupByDropDown(0);
  TypeIntoGrid("AB12");

  ClickPage(form->CompanyIDTab);
  ClickPage(form->GroupNameTab);
  QTest::keyClick(form->GroupNameComboBox, Qt::Key_Down);
  form->GroupNameComboBox->setEnabled(false);
  form->GroupNameComboBox->setEnabled(true);
  ClickPage(form->StatusTab);
  ClickPage(form->GroupNameTab);

  EXPECT_EQ(form->GroupNameComboBox->currentText(), "Bravo");
  ASSERT_TRUE(form->IDListTable.Active());
  EXPECT_EQ(form->IDListTable.TableName(), groups[0].second);
  PressInGrid(Qt::Key_Down);
  TTable alpha;
  alpha.SetDatabaseName(folders.idLists.string());
  alpha.SetTableName(groups[0].second);
  alpha.Open();
  EXPECT_EQ(alpha.CellText(0, 0), "AB12");

  form->GroupNameComboBox->showPopup();
  QTest::keyClick(form->GroupNameComboBox->view(), Qt::Key_Escape);
  QCoreApplication::processEvents();
  EXPECT_EQ(form->IDListTable.TableName(), groups[1].second) << "a drop-down closed without a choice switches too";

  QTest::keyClick(form->GroupNameComboBox, Qt::Key_Up);
  form->GroupNameComboBox->showPopup();
  QTest::mouseClick(form->windowHandle(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
  QCoreApplication::processEvents();
  EXPECT_FALSE(form->GroupNameComboBox->view()->isVisible());
  EXPECT_EQ(form->IDListTable.TableName(), groups[0].second) << "so does one closed by a click elsewhere";
}

TEST_F(IDForm, EachEntryOfEqualNamesChoosesItsOwnRow) {
  OpenForm();
  CreateGroupThroughWindow("Depot ?North");
  CreateGroupThroughWindow("Other");
  CreateGroupThroughWindow("Depot ?North");
  const auto groups = StoredGroups();
  ChooseGroupByDropDown(2);
  EXPECT_EQ(form->IDGroupTable.RecNo(), 3);
  EXPECT_EQ(form->IDListTable.TableName(), groups[2].second);
  QTest::keyClick(form->GroupNameComboBox, Qt::Key_Up);
  QTest::keyClick(form->GroupNameComboBox, Qt::Key_Down);
  EXPECT_EQ(form->IDGroupTable.RecNo(), 3);

  ModalDriver driver;
  driver.Then([](QWidget* box) { PressKey(box, Qt::Key_Return); });
  QTest::mouseClick(form->DeleteGroupButton, Qt::LeftButton);
  ASSERT_EQ(driver.Answered(), 1);
  EXPECT_EQ(driver.Seen()[0].text, "Delete the Depot ?North Group?");
  const auto after = StoredGroups();
  ASSERT_EQ(after.size(), 2u);
  EXPECT_EQ(after[0], groups[0]);
  EXPECT_EQ(StoredIdListRows(groups[0].second), 32);
  EXPECT_EQ(StoredIdListRows(groups[2].second), -1);
  EXPECT_EQ(form->GroupNameComboBox->currentText(), "Depot ?North") << "another row still holds the name";
  EXPECT_EQ(form->IDGroupTable.RecNo(), 1);
}

TEST_F(IDForm, GroupsWithAMissingOrDamagedTableSayWhyOnceAndCanBeDeleted) {
  OpenForm();
  CreateGroupThroughWindow("Missing");
  CreateGroupThroughWindow("Damaged");
  CreateGroupThroughWindow("Sound");
  const auto groups = StoredGroups();
  std::filesystem::remove(IdListFile(groups[0].second));
  std::ofstream(IdListFile(groups[1].second), std::ios::trunc) << "this is not a table";

  for (const int entry : {1, 0}) {
    ModalDriver driver;
    driver.Then([](QWidget* box) { PressKey(box, Qt::Key_Return); });
    ChooseGroupByDropDown(entry);
    ASSERT_EQ(driver.Answered(), 1) << "choosing the group says why its IDs cannot be shown";
    EXPECT_TRUE(driver.Seen()[0].text.contains(QString::fromStdString(groups[entry].second)))
        << driver.Seen()[0].text.toStdString();
    EXPECT_FALSE(form->IDListTable.Active());
    ClickPage(form->CompanyIDTab);
    ClickPage(form->GroupNameTab);

    driver.Then([](QWidget* box) { PressKey(box, Qt::Key_Return); });
    QTest::mouseClick(form->DeleteGroupButton, Qt::LeftButton);
    ASSERT_EQ(driver.Answered(), 2) << "the reason is given once, then Delete asks";
    EXPECT_EQ(driver.Seen()[1].text, "Delete the " + QString::fromStdString(groups[entry].first) + " Group?");
  }
  EXPECT_EQ(StoredGroups(), (std::vector{groups[2]}));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folders.idLists), {}), 1);
}

TEST_F(IDForm, GroupNamesWithControlOrForeignCharactersAreRefusedAndNothingIsStored) {
  OpenForm();
  const std::vector<std::pair<QString, QString>> cases = {
      {QString::fromUtf8("Fleet \U0001F69A"),
       QString::fromUtf8("The group name cannot hold its character 7, the character U+1F69A: the tester's "
                         "character set has no such character; use only letters, digits and "
                         "signs of the Western European (Latin-1) character set. Please remove it.")},
      {QString::fromUtf8("\u0394\u03AD\u03BB\u03C4\u03B1 \u041F\u0430\u0440\u043A"),
       "character 1, the character U+0394"},
      {QStringLiteral("Fleet\tA"),
       "The group name cannot hold its character 6, a tab (U+0009): control characters cannot be stored. Please "
       "remove it."},
      {QStringLiteral("Fleet\nA"), "character 6, a line feed"},
      {QString::fromLatin1("Fleet\0A", 7), "character 6, a NUL character"},
      {QString::fromLatin1("Fleet\x85", 6), "character 6, a control character (U+0085)"},
  };
  for (const auto& [name, message] : cases) {
    ModalDriver driver;
    driver.Then([&name](QWidget* box) {
      QApplication::clipboard()->setText(name);
      PressKey(box, Qt::Key_V, Qt::ControlModifier);
      PressKey(box, Qt::Key_Return);
    });
    driver.Then([](QWidget* box) { PressKey(box, Qt::Key_Return); });
    QTest::mouseClick(form->NewGroupButton, Qt::LeftButton);
    ASSERT_EQ(driver.Answered(), 2) << name.toStdString();
    EXPECT_TRUE(driver.Seen()[1].text.contains(message)) << driver.Seen()[1].text.toStdString();
  }
  EXPECT_TRUE(StoredGroups().empty());
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folders.idLists), {}), 0);
  CreateGroupThroughWindow(
      QString::fromLatin1("Fl\xE9"
                          "et \xFF"));
  EXPECT_EQ(StoredGroups().size(), 1u);
}

TEST_F(IDForm, CloseDuringARunningHandlerIsHeldUntilItReturns) {
  OpenForm();
  startWindow.hide();
  bool stillOpenWhileHandlerRan = false;
  ModalDriver driver;
  driver.Then([&](QWidget* box) {
    form->close();
    stillOpenWhileHandlerRan = form && form->isVisible();
    PressKey(box, Qt::Key_Escape);
  });
  QTest::mouseClick(form->NewGroupButton, Qt::LeftButton);
  ASSERT_EQ(driver.Answered(), 1);
  EXPECT_TRUE(stillOpenWhileHandlerRan);
  EXPECT_TRUE(form.isNull() || !form->isVisible());
  EXPECT_TRUE(startWindow.isVisible());
}

TEST_F(IDForm, DamagedGroupTableIsReportedAndTheWindowStillOpens) {
  std::ofstream(folders.data / "IDGroup.db", std::ios::trunc) << "this is not a table";
  ModalDriver driver;
  driver.Then([](QWidget* box) { PressKey(box, Qt::Key_Return); });
  TIDForm& window = OpenForm();
  ASSERT_EQ(driver.Answered(), 1);
  EXPECT_TRUE(driver.Seen()[0].text.contains("IDGroup.db")) << driver.Seen()[0].text.toStdString();
  EXPECT_TRUE(window.isVisible());
  EXPECT_FALSE(window.IDGroupTable.Active());
  EXPECT_TRUE(window.TrailerFieldName.empty());
}

// What is typed shows in the New-group box, the company name and the grid's cell editor,
// measured by its ink: a font the host cannot draw into them, or a box painted light
// under the light text of a dark colour scheme, leaves them blank, the text still stored.
// The text fits the narrowest box.
class TypedText : public testing::IDFormFixture, public ::testing::WithParamInterface<bool> {};
INSTANTIATE_TEST_SUITE_P(HostAndDarkColourSchemes, TypedText, ::testing::Bool());

TEST_P(TypedText, IsDrawnInEveryEditBox) {
  const QPalette hostScheme = QApplication::palette();
  QPalette lightTextOnDark = hostScheme;
  lightTextOnDark.setColor(QPalette::Text, Qt::white);
  lightTextOnDark.setColor(QPalette::Base, QColor(30, 30, 30));
  if (GetParam()) QApplication::setPalette(lightTextOnDark);
  const auto restoreScheme = qScopeGuard([&] { QApplication::setPalette(hostScheme); });
  OpenForm();
  const QString text = QStringLiteral("M\u00DCLLER 7");
  // Drawn in the style the Windows program draws them with, where the host has it.
  OrvelStyle windowsStyle(QStringLiteral("windowsvista"));
  const auto typeAndCheck = [&](QWidget* edit) {
    edit->setStyle(&windowsStyle);
    const int inkBefore = testing::TextInkShown(edit);
    testing::TypeText(edit, text);
    EXPECT_TRUE(testing::DrawsText(edit, text, inkBefore));
    edit->setStyle(nullptr);
  };
  ModalDriver driver;
  driver.Then([&](QWidget* box) {
    PressKey(box, Qt::Key_Delete);
    typeAndCheck(box->focusWidget());
    PressKey(box, Qt::Key_Return);
  });
  QTest::mouseClick(form->NewGroupButton, Qt::LeftButton);
  ASSERT_EQ(driver.Answered(), 1);
  ClickPage(form->CompanyIDTab);
  typeAndCheck(form->Edit3);

  ChooseGroupByDropDown(0);
  QApplication::setActiveWindow(form);
  form->IDGrid->setCurrentIndex(form->IDGrid->Model().index(0, 0));
  TypeIntoGrid(text);
  auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
  ASSERT_NE(editor, nullptr) << "no cell editor opened";
  editor->setStyle(&windowsStyle);
  EXPECT_TRUE(testing::DrawsText(editor, text));
  editor->setStyle(nullptr);
}

// No caption runs under its button's frame, in whatever font the host draws it, in the
// style the tests run with and in the one the Windows program draws with, whose frame is
// thicker.
TEST_F(IDForm, EveryButtonCaptionFitsInsideItsButtonsFrame) {
  const auto buttons = OpenForm().findChildren<QPushButton*>();
  const std::unique_ptr<QStyle> windowsStyle(QStyleFactory::create("windowsvista"));
  for (const QStyle* style : {QApplication::style(), windowsStyle.get()}) {
    if (style == nullptr) continue;
    for (const QPushButton* button : buttons) {
      QStyleOptionButton option;
      option.initFrom(button);
      option.text = button->text();
      const QRect inside = style->subElementRect(QStyle::SE_PushButtonContents, &option, button);
      EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()), inside.width())
          << (style == windowsStyle.get() ? "windowsvista: " : "") << button->text().toStdString();
    }
  }
}

TEST(StartWindow, EachStartBuildsAFreshConfigureWindow) {
  testing::TempFolder temp;
  TIntroForm intro(temp / "Kestrin");
  intro.show();
  QStringList statusSeen;
  std::vector<QWidget*> pagesSeen;
  bool startWindowHidden = false;
  ModalDriver driver;
  auto inspectAndClose = [&](QWidget* window) {
    auto* configure = qobject_cast<TIDForm*>(window);
    ASSERT_NE(configure, nullptr);
    startWindowHidden = !intro.isVisible();
    statusSeen << configure->Label3->text();
    pagesSeen.push_back(configure->PageControl1->currentWidget() == configure->GroupNameTab ? nullptr : window);
    configure->Label3->setText("left over");
    configure->PageControl1->setCurrentWidget(configure->StatusTab);
    QTest::mouseClick(configure->ExitButton, Qt::LeftButton);
  };
  driver.Then(inspectAndClose);
  driver.Then(inspectAndClose);
  QTest::mouseClick(intro.StartButton, Qt::LeftButton);
  QTest::mouseClick(intro.StartButton, Qt::LeftButton);
  ASSERT_EQ(driver.Answered(), 2);
  EXPECT_TRUE(startWindowHidden);
  EXPECT_EQ(statusSeen, (QStringList{"", ""}));
  EXPECT_EQ(pagesSeen, (std::vector<QWidget*>{nullptr, nullptr}));
  EXPECT_TRUE(intro.isVisible());
  // The closed windows go at the event loop's next turn and hold the store's files until
  // then; Windows removes no open file, so they go before the temporary folder does.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace
}  // namespace orvel
