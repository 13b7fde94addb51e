#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "ModalDriver.h"
#include "app/InputBox.h"
#include "app/MessageBoxes.h"

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
