#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTest>
#include <QToolTip>
#include <algorithm>

#include "ModalDriver.h"
#include "TextInk.h"
#include "app/InputBox.h"
#include "app/MessageBoxes.h"
#include "app/OrvelStyle.h"

namespace orvel {
namespace {

using testing::ModalDriver;
using testing::PressKey;

struct ConfirmCase {
  const char* name;
  ConfirmButtons buttons;
  int key;
  Qt::KeyboardModifiers modifiers;
  BoxResult expected;
};

class ConfirmationKeys : public ::testing::TestWithParam<ConfirmCase> {};

TEST_P(ConfirmationKeys, KeyPressesTheExpectedButton) {
  ModalDriver driver;
  driver.Then([](QWidget* box) { PressKey(box, GetParam().key, GetParam().modifiers); });
  EXPECT_EQ(AskConfirmation("Overwrite all current IDs?", GetParam().buttons), GetParam().expected);
  ASSERT_EQ(driver.Answered(), 1);
  EXPECT_EQ(driver.Seen()[0].title, "Confirm");
  EXPECT_EQ(driver.Seen()[0].text, "Overwrite all current IDs?");
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, ConfirmationKeys,
    ::testing::Values(
        ConfirmCase{"YesNoCancelEnter", ConfirmButtons::YesNoCancel, Qt::Key_Return, Qt::NoModifier, BoxResult::Yes},
        ConfirmCase{"YesNoCancelEsc", ConfirmButtons::YesNoCancel, Qt::Key_Escape, Qt::NoModifier, BoxResult::Cancel},
        ConfirmCase{"YesNoCancelAccessN", ConfirmButtons::YesNoCancel, Qt::Key_N, Qt::AltModifier, BoxResult::No},
        ConfirmCase{"OkCancelEnter", ConfirmButtons::OkCancel, Qt::Key_Return, Qt::NoModifier, BoxResult::Ok},
        ConfirmCase{"OkCancelEsc", ConfirmButtons::OkCancel, Qt::Key_Escape, Qt::NoModifier, BoxResult::Cancel}),
    [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST(Boxes, ConfirmationButtonsStandInFixedOrder) {
  ModalDriver driver;
  QStringList captions;
  driver.Then([&](QWidget* box) {
    for (auto* button : box->findChildren<QPushButton*>()) captions << button->text();
    PressKey(box, Qt::Key_Escape);
  });
  AskConfirmation("Delete the Fleet Group?", ConfirmButtons::YesNoCancel);
  EXPECT_EQ(captions, (QStringList{"&Yes", "&No", "Cancel"}));
}

TEST(Boxes, ClosingFromTitleBarGivesCancel) {
  ModalDriver driver;
  driver.Then([](QWidget* box) { box->close(); });
  EXPECT_EQ(AskConfirmation("Delete record?", ConfirmButtons::OkCancel), BoxResult::Cancel);
}

TEST(Boxes, InformationBoxClosesWithEnterOrEsc) {
  ModalDriver driver;
  driver.Then([](QWidget* box) { PressKey(box, Qt::Key_Escape); });
  driver.Then([](QWidget* box) { PressKey(box, Qt::Key_Return); });
  ShowInformation("Please select a group to delete");
  ShowInformation("Unable to read data");
  ASSERT_EQ(driver.Answered(), 2);
  EXPECT_EQ(driver.Seen()[0].title, "Information");
  EXPECT_EQ(driver.Seen()[1].text, "Unable to read data");
}

// The text a box shows, measured by its ink: a long name without blanks is broken over
// lines no wider than half the screen, and every bit of it is on show.
TEST(Boxes, AWordLongerThanALineIsBrokenNeverCut) {
  const QString name(60, QLatin1Char('W'));
  ModalDriver driver;
  int given = 0;
  int needed = 0;
  int shownInk = 0;
  int fullInk = 0;
  driver.Then([&](QWidget* box) {
    auto* label = box->findChild<QLabel*>("BoxText");
    ASSERT_NE(label, nullptr);
    given = label->width();
    needed = label->fontMetrics().horizontalAdvance(name);
    shownInk = testing::DarkPixels(label->grab().toImage());
    fullInk = testing::InkOfText(label->font(), name);
    PressKey(box, Qt::Key_Return);
  });
  ShowInformation(name.toStdString());
  ASSERT_EQ(driver.Answered(), 1);
  EXPECT_LE(given, QGuiApplication::primaryScreen()->availableGeometry().width() / 2);
  ASSERT_GT(needed, given) << "the name must be too long for one line";
  EXPECT_GE(shownInk, fullInk * 97 / 100) << "shown " << shownInk << " of " << fullInk << " dark pixels";
}

// A tooltip's text is drawn in the system's tooltip colour, whatever colour the style's
// visual theme gives it (a tooltip draws with the inactive colours).
TEST(Boxes, TooltipsShowAfterHalfASecondInTheSystemsColour) {
  EXPECT_EQ(QApplication::style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay), 500);
  QWidget window;
  window.show();
  QToolTip::showText(window.mapToGlobal(QPoint(5, 5)), "Delete the selected group", &window);
  const auto shown = QApplication::topLevelWidgets();
  const auto tip = std::find_if(shown.begin(), shown.end(), [](QWidget* w) { return w->windowType() == Qt::ToolTip; });
  ASSERT_NE(tip, shown.end());
  OrvelStyle windowsStyle(QStringLiteral("windowsvista"));  // the Windows program's, where the host has it
  (*tip)->setStyle(&windowsStyle);
  const auto textColour = [](const QPalette& palette) {
    return palette.color(QPalette::Inactive, QPalette::ToolTipText).name();
  };
  EXPECT_EQ(textColour((*tip)->palette()).toStdString(), textColour(QToolTip::palette()).toStdString());
  (*tip)->setStyle(nullptr);
  QToolTip::hideText();
}

// A notice that comes while a modal window is open (a refused serial port during the port
// search in the Configure IDs window) can be closed at once, with a click as the platform
// delivers it, which a window blocked by the modal one does not get.
TEST(Boxes, NoticeCanBeClosedWhileAModalWindowIsOpen) {
  QDialog window;
  window.setWindowModality(Qt::ApplicationModal);
  window.show();
  ShowNotice("Serial port refused");
  QPointer<QWidget> notice;
  for (QWidget* candidate : QApplication::topLevelWidgets()) {
    const auto* text = candidate->findChild<QLabel*>("BoxText");
    if (candidate->isVisible() && text != nullptr && text->window() == candidate &&
        text->text() == "Serial port refused") {
      notice = candidate;
    }
  }
  ASSERT_NE(notice, nullptr);
  auto* ok = notice->findChild<QPushButton*>();
  ASSERT_NE(ok, nullptr);
  QCoreApplication::processEvents();
  QTest::mouseClick(notice->windowHandle(), Qt::LeftButton, Qt::NoModifier, ok->mapTo(notice, ok->rect().center()));
  EXPECT_TRUE(notice == nullptr || !notice->isVisible());
  EXPECT_TRUE(window.isVisible());
}

void TypeIntoPrompt(QWidget* box, const QString& text) {
  auto* edit = box->findChild<QLineEdit*>("PromptEdit");
  ASSERT_NE(edit, nullptr);
  testing::TypeText(edit, text);
}

TEST(InputBox, TypingReplacesTheSelectedDefaultAndOkReturnsIt) {
  ModalDriver driver;
  driver.Then([](QWidget* box) {
    TypeIntoPrompt(box, "Fleet A");
    PressKey(box, Qt::Key_Return);
  });
  EXPECT_EQ(PromptForText("Identities - New Group", "Please Enter a new group name", "New"), "Fleet A");
  EXPECT_EQ(driver.Seen()[0].title, "Identities - New Group");
}

TEST(InputBox, CancelEscAndCloseReturnTheDefaultEvenAfterTyping) {
  ModalDriver driver;
  driver.Then([](QWidget* box) {
    TypeIntoPrompt(box, "typed");
    PressKey(box, Qt::Key_Escape);
  });
  driver.Then([](QWidget* box) {
    TypeIntoPrompt(box, "typed");
    box->close();
  });
  EXPECT_EQ(PromptForText("t", "p", "New"), "New");
  EXPECT_EQ(PromptForText("t", "p", "New"), "New");
}

TEST(InputBox, UnchangedDefaultAndClearedTextWithOk) {
  ModalDriver driver;
  driver.Then([](QWidget* box) { PressKey(box, Qt::Key_Return); });
  driver.Then([](QWidget* box) {
    PressKey(box, Qt::Key_Delete);
    PressKey(box, Qt::Key_Return);
  });
  EXPECT_EQ(PromptForText("t", "p", "New"), "New");
  EXPECT_EQ(PromptForText("t", "p", "New"), "");
}

TEST(InputBox, TakesAtMost255Characters) {
  ModalDriver driver;
  driver.Then([](QWidget* box) {
    TypeIntoPrompt(box, QString(300, 'x'));
    PressKey(box, Qt::Key_Return);
  });
  EXPECT_EQ(PromptForText("t", "p", "New"), QString(255, 'x'));
}

TEST(InputBox, EightBitTextSurvives) {
  ModalDriver driver;
  driver.Then([](QWidget* box) {
    TypeIntoPrompt(box, QString::fromLatin1("Fl\xE9"
                                            "et \xC6"));
    PressKey(box, Qt::Key_Return);
  });
  EXPECT_EQ(PromptForText("t", "p", "New"), QString::fromLatin1("Fl\xE9"
                                                                "et \xC6"));
}

}  // namespace
}  // namespace orvel
