#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextEdit>
#include <fstream>
#include <memory>
#include <optional>

#include <unistd.h>

#include "ModalDriver.h"
#include "TempFolder.h"
#include "app/ErrorReport.h"
#include "app/Identities.h"

namespace orvel {
namespace {

TEST(IntroForm, UsableStoreOffersStart) {
  testing::TempFolder temp;
  TIntroForm form(temp / "Kestrin");
  form.show();
  EXPECT_TRUE(form.StartButton->isVisible());
  EXPECT_TRUE(form.StartButton->isEnabled());
  EXPECT_FALSE(form.NoFilesMemo->isVisible());
  EXPECT_TRUE(form.ExitButton->isVisible());
  EXPECT_TRUE(std::filesystem::exists(temp / "Kestrin/Braketesting IDs/IDGroup.db"));
}

TEST(IntroForm, UnusableStoreShowsNoticeAndNoReachableStart) {
  testing::TempFolder temp;
  std::ofstream(temp / "Kestrin") << "a file where the folder should be";
  TIntroForm form(temp / "Kestrin");
  form.show();
  EXPECT_FALSE(form.StartButton->isVisible());
  EXPECT_FALSE(form.StartButton->isEnabled());
  EXPECT_TRUE(form.NoFilesMemo->isVisible());
  EXPECT_EQ(form.NoFilesMemo->toPlainText(), "Can't create\nprogram files");
  EXPECT_TRUE(form.ExitButton->isVisible());
}

// Start-up reports a store held by another copy through the general error report and
// builds no window; the store is left as the holder has it.
TEST(IntroForm, SecondCopyOnTheSameStoreIsToldWhoHoldsItAndGetsNoWindow) {
  testing::TempFolder temp;
  std::optional<TIntroForm> first(std::in_place, temp / "Kestrin");
  EXPECT_TRUE(first->StartButton->isEnabled());
  const auto stamp = std::filesystem::last_write_time(temp / "Kestrin/Braketesting IDs/IDGroup.db");

  testing::ModalDriver driver;
  driver.Then([](QWidget* box) { testing::PressKey(box, Qt::Key_Return); });
  std::unique_ptr<TIntroForm> second;
  EXPECT_FALSE(RunReportingErrors([&] { second = std::make_unique<TIntroForm>(temp / "Kestrin"); }));
  EXPECT_EQ(second, nullptr);
  ASSERT_EQ(driver.Answered(), 1);
  EXPECT_TRUE(driver.Seen()[0].text.startsWith(
      "The ID store in '" + QString::fromStdString((temp / "Kestrin" / "Braketesting IDs").string()) +
      "' is in use by another copy of Orvel IDs (process " + QString::number(getpid()) + " on host '"))
      << driver.Seen()[0].text.toStdString();
  EXPECT_EQ(std::filesystem::last_write_time(temp / "Kestrin/Braketesting IDs/IDGroup.db"), stamp);

  first.reset();
  TIntroForm afterTheFirstClosed(temp / "Kestrin");
  EXPECT_TRUE(afterTheFirstClosed.StartButton->isEnabled());
}

TEST(IntroForm, FixedLayoutAndTexts) {
  testing::TempFolder temp;
  TIntroForm form(temp / "Kestrin");
  EXPECT_EQ(form.windowTitle(), "Orvel IDs");
  EXPECT_EQ(form.size(), QSize(313, 306));
  EXPECT_EQ(form.minimumSize(), form.maximumSize());
  EXPECT_FALSE(form.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
  EXPECT_TRUE(form.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_EQ(form.Panel2->text(), "Orvel IDs  1.0.4");
  EXPECT_EQ(form.Image1->geometry(), QRect(8, 8, 297, 217));
  EXPECT_EQ(form.StartButton->geometry(), QRect(47, 7, 75, 25));
  EXPECT_EQ(form.ExitButton->geometry(), QRect(191, 7, 75, 25));
  EXPECT_EQ(form.StartButton->nextInFocusChain(), form.ExitButton);
}

TEST(IntroForm, ExitClosesTheWindow) {
  testing::TempFolder temp;
  TIntroForm form(temp / "Kestrin");
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  QTest::mouseClick(form.ExitButton, Qt::LeftButton);
  EXPECT_FALSE(form.isVisible());
}

}  // namespace
}  // namespace orvel
