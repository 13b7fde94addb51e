#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <filesystem>
#include <functional>
#include <string>

#include "ModalDriver.h"
#include "app/Identities.h"
#include "app/TDBGrid.h"
#include "app/TDBLookupComboBox.h"
#include "app/WS_IDS.h"
#include "demo/DemoSession.h"
#include "demo/ExampleTester.h"
#include "demo/TrafficWindow.h"
#include "simulator/TesterMemory.h"

namespace orvel::demo {
namespace {

using testing::ModalDriver;
using testing::PressKey;
using testing::TypeText;

constexpr int kDeadlineMs = 10000;
// A walk-through takes some 15 s; a link session that never ends (a search finds no
// tester until Cancel) is cancelled after this long instead of hanging the run.
constexpr int kWalkThroughLimitMs = 120000;

bool PollUntil(const std::function<bool()>& condition) {
  const QDeadlineTimer deadline(kDeadlineMs);
  while (!condition()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

std::string Padded(std::string text) {
  text.resize(16, ' ');
  return text;
}

// Replaces the text of the focused line editor, key by key, and presses Enter.
void RetypeFocused(QWidget* window, const QString& text) {
  QWidget* editor = window->focusWidget();
  ASSERT_NE(editor, nullptr);
  QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
  TypeText(editor, text);
  QTest::keyClick(editor, Qt::Key_Return);
}

// Drives the demo the way a person trying it would: Start, a new group, Read, an edited
// ID, Send, then the company name read and sent.
class DemoSessionTest : public ::testing::Test {
 protected:
  // Runs inside the Configure IDs window's modal loop; the window is closed afterwards
  // whatever happened, so that Start returns.
  void WalkThrough() {
    form = demo.IntroForm().IDForm.data();
    ASSERT_NE(form, nullptr);
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [this] {
      ADD_FAILURE() << "the walk-through did not end in time; status: " << form->Label3->text().toStdString();
      if (form->ExitButton->text() == QStringLiteral("Cancel")) form->ExitButton->click();
    });
    watchdog.start(kWalkThroughLimitMs);
    CreateAndChooseGroup();
    if (HasFatalFailure()) return;
    ReadIds();
    if (HasFatalFailure()) return;
    EditAndSendIds();
    if (HasFatalFailure()) return;
    ReadAndSendCompanyName();
  }

  void CreateAndChooseGroup() {
    ModalDriver driver;
    driver.Then([](QWidget* box) {
      PressKey(box, Qt::Key_Delete);
      TypeText(box->focusWidget(), QStringLiteral("Depot North"));
      PressKey(box, Qt::Key_Return);
    });
    QTest::mouseClick(form->NewGroupButton, Qt::LeftButton);
    ASSERT_EQ(driver.Answered(), 1);

    TDBLookupComboBox* list = form->GroupNameComboBox;
    list->showPopup();
    list->view()->setCurrentIndex(list->model()->index(0, 0));
    QTest::keyClick(list->view(), Qt::Key_Return);
    ASSERT_TRUE(PollUntil([this] { return form->IDListTable.Active(); })) << "the new group's IDs did not open";
  }

  void ReadIds() {
    ModalDriver driver;
    driver.Then([](QWidget* box) { PressKey(box, Qt::Key_Return); });  // "Overwrite all current IDs?": Yes
    QTest::mouseClick(form->UploadButton, Qt::LeftButton);
    ASSERT_EQ(form->Label3->text().toStdString(), "IDs successfully acquired");
    ASSERT_EQ(form->IDListTable.RecordCount(), static_cast<int>(sim::TesterSlotCount));
    for (std::size_t slot = 0; slot < sim::TesterSlotCount; ++slot) {
      const int row = static_cast<int>(slot);
      EXPECT_EQ(form->IDListTable.CellText(row, 0), demo.Tester().TrailerId(slot)) << "row " << row + 1;
      EXPECT_EQ(form->IDListTable.CellText(row, 1), demo.Tester().VehicleId(slot)) << "row " << row + 1;
    }
  }

  void EditAndSendIds() {
    TDBGrid* grid = form->IDGrid;
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(1, 0));
    QTest::keyClick(grid, Qt::Key_F2);
    RetypeFocused(form, QStringLiteral("TRL-9001"));
    ASSERT_EQ(form->IDListTable.CellText(1, 0), "TRL-9001");

    QTest::mouseClick(form->DownLoadButton, Qt::LeftButton);
    ASSERT_EQ(form->Label3->text().toStdString(), "IDs successfully sent");
    EXPECT_EQ(demo.Tester().TrailerId(1), Padded("TRL-9001"));
    EXPECT_EQ(demo.Tester().TrailerId(0), Padded(ExamplePairs()[0].trailerId));
    EXPECT_EQ(demo.Tester().VehicleId(1), Padded(ExamplePairs()[1].vehicleId));
  }

  void ReadAndSendCompanyName() {
    QTest::mouseClick(form->ReadIDButton, Qt::LeftButton);
    ASSERT_EQ(form->Label3->text().toStdString(), "Company ID successfully acquired");
    ASSERT_EQ(form->Edit3->text().toStdString(), kExampleCompanyName);

    form->Edit3->setFocus();
    RetypeFocused(form, QStringLiteral("Demo Fleet Ltd"));
    QTest::mouseClick(form->SendIDButton, Qt::LeftButton);
    ASSERT_EQ(form->Label3->text().toStdString(), "Company ID successfully sent");
    EXPECT_EQ(demo.Tester().CompanyName(), Padded("Demo Fleet Ltd"));
  }

  DemoSession demo;
  TIDForm* form = nullptr;
};

TEST_F(DemoSessionTest, ReadEditAndSendThroughTheWindowsAgainstTheSimulatedTester) {
  demo.Show();
  QTimer::singleShot(0, [this] {
    WalkThrough();
    if (form != nullptr) form->close();
  });
  QTest::mouseClick(demo.IntroForm().StartButton, Qt::LeftButton);  // returns when Configure IDs closes
  ASSERT_FALSE(HasFatalFailure());

  EXPECT_TRUE(demo.IntroForm().isVisible());
  // The tester's window saw the company name go out, as the tester received it.
  EXPECT_TRUE(PollUntil([this] {
    return demo.Traffic().TrafficLog->toPlainText().contains(QStringLiteral("<- !0000201C2Demo Fleet Ltd  <CR>"));
  }));
  EXPECT_TRUE(PollUntil([this] { return demo.Traffic().CompanyName->text() == QStringLiteral("Demo Fleet Ltd  "); }));
}

TEST(DemoSessionLifetimeTest, TheThrowAwayStoreGoesWithTheSession) {
  std::filesystem::path topLevel;
  {
    DemoSession demo;
    topLevel = demo.TopLevelFolder();
    ASSERT_TRUE(std::filesystem::exists(topLevel / "Braketesting IDs" / "IDGroup.db"));
  }
  EXPECT_FALSE(std::filesystem::exists(topLevel.parent_path()));
}

}  // namespace
}  // namespace orvel::demo
