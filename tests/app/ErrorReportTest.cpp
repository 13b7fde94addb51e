#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>

#include "ModalDriver.h"
#include "app/ApplicationTitle.h"
#include "app/ErrorReport.h"

namespace orvel {
namespace {

TEST(ErrorReport, FullStopRule) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"Record not found", "Record not found."},
      {"Ends with a full stop.", "Ends with a full stop."},
      {"Shouting!", "Shouting!"},
      {"Asking?", "Asking?."},
      {"(in brackets)", "(in brackets)"},
      {"comma,", "comma,"},
      {"dash-", "dash-"},
      {"blank ", "blank "},
      {"slash/", "slash/."},
      {"", ""},
      {"Caf\xE9", "Caf\xE9."},
  };
  for (const auto& [message, shown] : cases) EXPECT_EQ(ErrorBoxText(message), shown) << message;
}

TEST(ErrorReport, ShowsMessageInBoxTitledWithApplicationTitle) {
  testing::ModalDriver driver;
  driver.Then([](QWidget* box) { testing::PressKey(box, Qt::Key_Return); });
  ReportUnhandledError(std::runtime_error("Record not found"));
  ASSERT_EQ(driver.Answered(), 1);
  EXPECT_EQ(driver.Seen()[0].title, QString::fromStdString(ApplicationTitle()));
  EXPECT_EQ(driver.Seen()[0].text, "Record not found.");
}

TEST(ErrorReport, SilentAbortShowsNothing) {
  testing::ModalDriver driver;
  driver.Then([](QWidget* box) { testing::PressKey(box, Qt::Key_Return); });
  ReportUnhandledError(EAbort());
  EXPECT_EQ(driver.Answered(), 0);
}

TEST(ApplicationTitle, DerivedFromExecutableName) {
  EXPECT_EQ(ApplicationTitleFromExecutable("C:\\Programs\\PRINTER.SETUP.EXE"), "Printer");
  EXPECT_EQ(ApplicationTitleFromExecutable("/usr/bin/OrvelIDs"), "Orvelids");
  EXPECT_EQ(ApplicationTitleFromExecutable("orvel"), "orvel");
  EXPECT_EQ(ApplicationTitleFromExecutable("/opt/x/.hidden"), "");
}

}  // namespace
}  // namespace orvel

namespace orvel {
namespace {

TEST(ErrorReport, ExceptionFromAnEventHandlerIsReportedAndTheLoopGoesOn) {
  QPushButton button("Throw");
  int clicks = 0;
  QObject::connect(&button, &QPushButton::clicked, [&] {
    ++clicks;
    throw std::runtime_error("Table 'x' is damaged");
  });
  button.show();
  testing::ModalDriver driver;
  driver.Then([](QWidget* box) { testing::PressKey(box, Qt::Key_Return); });
  driver.Then([](QWidget* box) { testing::PressKey(box, Qt::Key_Return); });
  QTest::mouseClick(&button, Qt::LeftButton);
  QTest::mouseClick(&button, Qt::LeftButton);
  EXPECT_EQ(clicks, 2);
  ASSERT_EQ(driver.Answered(), 2);
  EXPECT_EQ(driver.Seen()[1].text, "Table 'x' is damaged.");
}

}  // namespace
}  // namespace orvel
