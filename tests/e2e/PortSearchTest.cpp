#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <map>
#include <memory>
#include <ostream>

#include "HeldPort.h"
#include "TesterLinkFixture.h"

namespace orvel {
namespace {

using testing::RequestLine;

enum class PortKind { Tester, Missing, Busy };

struct SearchCase {
  const char* name;
  // Port numbers not listed name no device at all.
  std::map<std::uint16_t, PortKind> ports;
};

// Names the case in test output.
void PrintTo(const SearchCase& tried, std::ostream* out) { *out << tried.name; }

class PortSearch : public testing::TesterLinkFixture, public ::testing::WithParamInterface<SearchCase> {
 protected:
  // Maps the case's ports and returns the tester's port number.
  std::uint16_t MapCasePorts() {
    std::uint16_t testerPort = 0;
    for (const auto& [number, kind] : GetParam().ports) {
      switch (kind) {
        case PortKind::Tester:
          MapPort(number, tester.DevicePath());
          testerPort = number;
          break;
        case PortKind::Missing:
          MapPort(number, (temp / ("ttyGone" + std::to_string(number))).string());
          break;
        case PortKind::Busy:
          heldPorts_.push_back(std::make_unique<testing::HeldPort>());
          MapPort(number, heldPorts_.back()->DevicePath());
          break;
      }
    }
    return testerPort;
  }

 private:
  std::vector<std::unique_ptr<testing::HeldPort>> heldPorts_;
};

TEST_P(PortSearch, IdentifiesTheTesterOnItsPortAndAsksNothingElse) {
  const std::string com = std::to_string(MapCasePorts());
  OpenLinkedForm();
  testing::WindowView during;
  OnRequestLine(RequestLine(3, 0x01C2), [&] { during = ViewNow(); });

  QTest::mouseClick(form->ReadIDButton, Qt::LeftButton);

  EXPECT_EQ(during.status.toStdString(), "Looking for instrument on Com" + com + "...");
  EXPECT_EQ(during.identity.toStdString(), std::string("Tester No:") + kTesterSerial + " on COM" + com);
  EXPECT_EQ(RequestLines(),
            (std::vector<std::string>{"!000010190\r", "!000010107\r", "!0000301C2\r", "!0000301C2\r"}));
  EXPECT_EQ(form->Label3->text(), "Company ID successfully acquired");
  EXPECT_EQ(form->Label4->text(), "");
}

// Only the first port that does not answer costs a full wait of 33 poll ticks; the
// ports after it are passed at once.
INSTANTIATE_TEST_SUITE_P(
    Ports, PortSearch,
    ::testing::Values(SearchCase{"OnPort1", {{1, PortKind::Tester}}},
                      SearchCase{"OnPort3", {{1, PortKind::Missing}, {2, PortKind::Busy}, {3, PortKind::Tester}}},
                      SearchCase{"OnPort11",
                                 {{2, PortKind::Busy},
                                  {3, PortKind::Missing},
                                  {4, PortKind::Busy},
                                  {9, PortKind::Missing},
                                  {10, PortKind::Busy},
                                  {11, PortKind::Tester}}}),
    [](const ::testing::TestParamInfo<SearchCase>& tried) { return std::string(tried.param.name); });

class SearchWithoutTester : public testing::TesterLinkFixture {};

TEST_F(SearchWithoutTester, CancelEndsTheSessionBeforeAnyTransferRequest) {
  // A device answers the line but not as a tester.
  tester.AddFaultRule({sim::FaultKind::NoAnswer, std::nullopt, 0x0190, 0, {}});
  tester.SetCompanyName("Kept");
  MapPort(1, tester.DevicePath());
  MapPort(2, (temp / "ttyGone").string());
  OpenLinkedForm();
  form->PageControl1->setCurrentWidget(form->CompanyIDTab);
  testing::TypeText(form->Edit3, "New Name");
  testing::WindowView during;
  OnRequestLine("!000010190\r", [&] {
    during = ViewNow();
    QTest::mouseClick(form->ExitButton, Qt::LeftButton);
  });

  QTest::mouseClick(form->SendIDButton, Qt::LeftButton);

  EXPECT_EQ(during.status, "Looking for instrument on Com1...");
  EXPECT_EQ(during.exitCaption, "Cancel");
  EXPECT_EQ(RequestLines(), std::vector<std::string>{"!000010190\r"});
  EXPECT_EQ(tester.CompanyName(), testing::Padded("Kept"));
  const testing::WindowView after = ViewNow();
  EXPECT_EQ(after.status, "Communications aborted");
  EXPECT_EQ(after.exitCaption, "Exit");
  EXPECT_EQ(after.enabledControls, testing::AllControls());
  EXPECT_EQ(form->Edit3->text(), "New Name");
  EXPECT_EQ(after.page, form->StatusTab);
  EXPECT_TRUE(PageComesToFront(form->GroupNameTab));
}

}  // namespace
}  // namespace orvel
