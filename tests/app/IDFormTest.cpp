#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <fstream>

#include "IDFormFixture.h"
#include "ModalDriver.h"
#include "app/DataSourceTableModel.h"
#include "app/Identities.h"
#include "app/TDBGrid.h"
#include "app/TDBLookupComboBox.h"

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

TEST_F(IDForm, ExitClosesButCancelOnlyAborts) {
  OpenForm();
  startWindow.hide();
  form->ExitButton->setText("Cancel");
  QTest::mouseClick(form->ExitButton, Qt::LeftButton);
  EXPECT_EQ(form->Label3->text(), "Communications aborted");
  EXPECT_EQ(form->ExitButton->text(), "Exit");
  EXPECT_TRUE(form->isVisible());

  QTest::mouseClick(form->ExitButton, Qt::LeftButton);
  EXPECT_FALSE(form->isVisible());
  EXPECT_TRUE(startWindow.isVisible());
}

TEST_F(IDForm, PageReturnFollowsTheStatusText) {
  OpenForm();
  const std::vector<std::pair<QString, QWidget*>> cases = {
      {"Company ID successfully acquired", form->CompanyIDTab},
      {"Company ID successfully sent", form->CompanyIDTab},
      {"IDs successfully sent", form->GroupNameTab},
      {"IDs successfully acquired", form->GroupNameTab},
      {"Communications aborted", form->GroupNameTab},
      {"company ID successfully sent", form->GroupNameTab},
      {"", form->GroupNameTab},
  };
  for (const auto& [status, page] : cases) {
    form->PageControl1->setCurrentWidget(form->StatusTab);
    form->Label3->setText(status);
    form->EnableTimer2();
    form->Timer2Timer();
    EXPECT_EQ(form->PageControl1->currentWidget(), page) << status.toStdString();
    EXPECT_FALSE(form->Timer2.isActive());
  }
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
}

}  // namespace
}  // namespace orvel
