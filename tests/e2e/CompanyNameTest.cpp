#include <gtest/gtest.h>

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <algorithm>
#include <functional>
#include <utility>

#include "TesterLinkFixture.h"

namespace orvel {
namespace {

using testing::Padded;
using testing::RequestLine;

const std::string kCompanyNameRead = RequestLine(3, 0x01C2);

class CompanyName : public testing::TesterLinkFixture {
 protected:
  CompanyName() {
    MapPort(1, tester.DevicePath());
    OpenLinkedForm();
  }

  std::vector<std::string> LastSessionLines() const {
    const std::vector<std::string> lines = RequestLines();
    const auto sessionLength = static_cast<std::ptrdiff_t>(std::min<std::size_t>(3, lines.size()));
    return std::vector<std::string>(lines.end() - sessionLength, lines.end());
  }
};

// Runs an action when a widget is shown.
class ShowWatcher : public QObject {
 public:
  ShowWatcher(QWidget& watched, std::function<void()> onShow) : onShow_(std::move(onShow)) {
    watched.installEventFilter(this);
  }

  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Show) onShow_();
    return false;
  }

 private:
  std::function<void()> onShow_;
};

TEST_F(CompanyName, ReadFillsTheBoxWithAllSixteenCharacters) {
  tester.SetCompanyName("Br\xE4ke Ltd");
  testing::WindowView during;
  OnRequestLine(kCompanyNameRead, [&] { during = ViewNow(); });

  QTest::mouseClick(form->ReadIDButton, Qt::LeftButton);

  EXPECT_EQ(during.page, form->StatusTab);
  EXPECT_EQ(during.exitCaption, "Cancel");
  EXPECT_EQ(during.enabledControls, testing::ControlsLiveDuringASession());
  EXPECT_EQ(form->Edit3->text().toLatin1().toStdString(), "Br\xE4ke Ltd       ");
  const testing::WindowView after = ViewNow();
  EXPECT_EQ(after.status, "Company ID successfully acquired");
  EXPECT_EQ(after.identity, "");
  EXPECT_EQ(after.exitCaption, "Exit");
  EXPECT_EQ(after.enabledControls, testing::AllControls());
  EXPECT_EQ(after.page, form->StatusTab);
  EXPECT_TRUE(PageComesToFront(form->CompanyIDTab));
}

TEST_F(CompanyName, SendWritesTheBoxPaddedWithBlanks) {
  for (const std::string& name : {std::string(), std::string("Acme"), std::string(1, '\xC5') + "bo Bremse Oy AB"}) {
    tester.SetCompanyName("Old Name");
    form->Edit3->clear();
    testing::TypeText(form->Edit3, QString::fromLatin1(name));

    QTest::mouseClick(form->SendIDButton, Qt::LeftButton);

    EXPECT_EQ(LastSessionLines(),
              (std::vector<std::string>{"!000010190\r", "!000010107\r", RequestLine(2, 0x01C2, Padded(name))}))
        << name;
    EXPECT_EQ(tester.CompanyName(), Padded(name));
    EXPECT_EQ(form->Label3->text(), "Company ID successfully sent");
    EXPECT_EQ(form->Label4->text(), "");
  }
  EXPECT_TRUE(PageComesToFront(form->CompanyIDTab));
}

TEST_F(CompanyName, SendRefusesCharactersTheTesterCannotStore) {
  tester.SetCompanyName("Old Name");
  testing::TypeText(form->Edit3, QString(QChar(0x20AC)) + "uro");
  boxes.Then([](QWidget* box) { testing::PressKey(box, Qt::Key_Return); });

  QTest::mouseClick(form->SendIDButton, Qt::LeftButton);

  ASSERT_EQ(boxes.Answered(), 1);
  EXPECT_EQ(boxes.Seen()[0].title, "Information");
  EXPECT_TRUE(boxes.Seen()[0].text.contains("Latin-1")) << boxes.Seen()[0].text.toStdString();
  EXPECT_TRUE(RequestLines().empty());
  EXPECT_EQ(tester.CompanyName(), Padded("Old Name"));
  EXPECT_EQ(form->Label3->text(), "");
}

TEST_F(CompanyName, CloseDuringATransferWaitsForItsEnd) {
  // The first request goes unanswered, so the transfer has to live on to its re-send.
  tester.AddFaultRule({sim::FaultKind::NoAnswer, std::nullopt, 0x01C2, 1, {}});
  tester.SetCompanyName("Late Answer");
  bool openAfterCloseRequest = false;
  OnRequestLine(kCompanyNameRead, [&] {
    form->close();
    openAfterCloseRequest = form->isVisible();
  });
  QString statusWhenClosed;
  std::size_t requestsWhenClosed = 0;
  ShowWatcher startWindowShown(startWindow, [&] {
    statusWhenClosed = form->Label3->text();
    requestsWhenClosed = tester.RequestCount();
  });

  QTest::mouseClick(form->ReadIDButton, Qt::LeftButton);

  EXPECT_TRUE(openAfterCloseRequest);
  EXPECT_EQ(statusWhenClosed, "Company ID successfully acquired");
  // The read, its re-send, and the read asked again to confirm the answer.
  EXPECT_EQ(requestsWhenClosed, 5u);
  EXPECT_EQ(RequestLines(), (std::vector<std::string>{"!000010190\r", "!000010107\r", kCompanyNameRead,
                                                      kCompanyNameRead, kCompanyNameRead}));
  EXPECT_TRUE(form.isNull() || !form->isVisible());
  EXPECT_TRUE(startWindow.isVisible());
}

}  // namespace
}  // namespace orvel
