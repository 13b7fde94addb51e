#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <ostream>

#include "TesterLinkFixture.h"

namespace orvel {
namespace {

using testing::Padded;
using testing::RequestLine;

struct MalformedCase {
  const char* name;
  QPushButton* TIDForm::*button;
  // The transfer's first request, whose every answer arrives with a wrong checksum.
  std::uint16_t address;
  std::string line;
  const char* failureMessage;
};

// Names the case in test output.
void PrintTo(const MalformedCase& tried, std::ostream* out) { *out << tried.name; }

class MalformedAnswers : public testing::TesterLinkFixture, public ::testing::WithParamInterface<MalformedCase> {};

TEST_P(MalformedAnswers, FourSendsThenTheFailureBoxAndTheSessionWaitsForCancel) {
  const MalformedCase& transfer = GetParam();
  tester.AddFaultRule({sim::FaultKind::WrongChecksum, std::nullopt, transfer.address, 0, {}});
  MapPort(1, tester.DevicePath());
  OpenLinkedForm();
  CreateGroupHolding("Fleet", {{"T1", "V1"}});
  ChooseGroupByDropDown(0);
  form->Edit3->setText("Kept Name");
  boxes.Then([](QWidget* box) { testing::PressKey(box, Qt::Key_Return); });

  QTest::mouseClick(form.data()->*transfer.button, Qt::LeftButton);

  ASSERT_EQ(boxes.Answered(), 1);
  EXPECT_EQ(boxes.Seen()[0].text, transfer.failureMessage);
  ASSERT_TRUE(RequestsArrive(6));
  EXPECT_EQ(RequestLines(), (std::vector<std::string>{"!000010190\r", "!000010107\r", transfer.line, transfer.line,
                                                      transfer.line, transfer.line}));
  EXPECT_EQ(form->Edit3->text(), "Kept Name");
  const testing::WindowView failed = ViewNow();
  EXPECT_EQ(failed.exitCaption, "Cancel");
  EXPECT_EQ(failed.page, form->StatusTab);
  EXPECT_FALSE(form->Timer1.isActive());
  EXPECT_FALSE(form->Timer2.isActive());

  QTest::mouseClick(form->ExitButton, Qt::LeftButton);

  const testing::WindowView cancelled = ViewNow();
  EXPECT_EQ(cancelled.status, "Communications aborted");
  EXPECT_EQ(cancelled.exitCaption, "Exit");
  EXPECT_EQ(cancelled.page, form->StatusTab);
  EXPECT_FALSE(form->Timer2.isActive());

  // The failed session left its port open; the next one closes it and finds the tester.
  tester.ClearFaults();
  tester.SetCompanyName("Found Again");
  QTest::mouseClick(form->ReadIDButton, Qt::LeftButton);
  EXPECT_EQ(form->Label3->text(), "Company ID successfully acquired");
  EXPECT_EQ(form->Edit3->text(), "Found Again     ");
}

INSTANTIATE_TEST_SUITE_P(
    Transfers, MalformedAnswers,
    ::testing::Values(
        MalformedCase{"CompanyNameRead", &TIDForm::ReadIDButton, 0x01C2, RequestLine(3, 0x01C2), "Unable to read data"},
        MalformedCase{"IdListSend", &TIDForm::DownLoadButton, 0xFF00, RequestLine(2, 0xFF00, Padded("T1")),
                      "Unable to send data. Slots 1 to 32 still hold the tester's old IDs "
                      "(the ID being sent when the transfer stopped may or may not "
                      "have arrived). Send again to complete the list."}),
    [](const ::testing::TestParamInfo<MalformedCase>& tried) { return std::string(tried.param.name); });

}  // namespace
}  // namespace orvel
