// The operator's steps on the Group Name page's list and buttons, and closing the window.
#include <QAbstractItemView>
#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "OperatorSequence.h"
#include "app/TDBLookupComboBox.h"

namespace orvel::testing {

namespace {

const QString kNewGroupTitle = QStringLiteral("Identities - New Group");

}  // namespace

QString OperatorSequence::RandomGroupName(NameVerdict& intended, bool& pasted) {
  static const std::vector<QString> words = {
      QStringLiteral("Fleet"),
      QStringLiteral("Depot ?North"),
      QStringLiteral("A&B Haulage"),
      QStringLiteral("Z") + QChar(0xFC) + QStringLiteral("rich S") + QChar(0xFC) + QStringLiteral("d"),
      QStringLiteral("Trailers (old)"),
      QStringLiteral("new"),
      QStringLiteral("Bay #4")};
  static const std::vector<QString> unsafe = {
      QStringLiteral("Fleet \U0001F69A"),
      QStringLiteral("Fleet \U0001F697"),
      QString::fromUtf8("\xCE\x94\xCE\xAD\xCE\xBB\xF0\x9D\x9B\xBC\xCE\xB1 \xD0\x9F\xD0\xB0\xD1\x80\xD0\xBA"),
      QStringLiteral("Tab\tName"),
      QStringLiteral("Line\nFeed"),
      QStringLiteral("Bell\aName"),
      QStringLiteral("Nul") + QChar(0) + QStringLiteral("Name"),
      QStringLiteral("Return\rName")};
  pasted = false;
  const int kind = Draw(0, 99);
  if (kind < 10 && !model_.groups.empty()) {
    intended = NameVerdict::Accepted;
    return Wide(Pick(model_.groups).name);
  }
  if (kind < 20) {
    intended = NameVerdict::Accepted;
    const QString name = QStringLiteral("Thirty-character-group-names-%1").arg(Draw(0, 9));
    return name;
  }
  if (kind < 30) {
    intended = NameVerdict::TooLong;
    return QStringLiteral("A-name-without-blanks-much-longer-than-thirty").left(Draw(31, 45));
  }
  if (kind < 40) {
    intended = NameVerdict::UnsafeCharacter;
    pasted = true;
    return Pick(unsafe);
  }
  if (kind < 45) {
    intended = NameVerdict::Unchanged;
    pasted = Chance(0.5);  // pasted "New" stands for the box's Cancel
    return QStringLiteral("New");
  }
  intended = NameVerdict::Accepted;
  return Pick(words) + QStringLiteral(" %1").arg(Draw(1, 99));
}

void OperatorSequence::NewGroup() {
  NameVerdict verdict = NameVerdict::Accepted;
  nameToEnter_ = RandomGroupName(verdict, pasteName_);
  Record("New " + Printable(nameToEnter_) + (pasteName_ ? " (pasted)" : ""));
  BringPage(form->GroupNameTab);
  const std::size_t groupsBefore = StoredGroups().size();
  QTest::mouseClick(form->NewGroupButton, Qt::LeftButton);
  Settle();
  switch (verdict) {
    case NameVerdict::Unchanged:
      ExpectBoxes({{kNewGroupTitle, std::nullopt}});
      return;
    case NameVerdict::TooLong:
      ExpectBoxes({{kNewGroupTitle, std::nullopt},
                   Information(nameToEnter_ + QStringLiteral(" is more than 30 characters please reduce it"))});
      return;
    case NameVerdict::UnsafeCharacter:
      ExpectBoxes({{kNewGroupTitle, std::nullopt}, Information()});
      return;
    case NameVerdict::Accepted:
      break;
  }
  ExpectBoxes({{kNewGroupTitle, std::nullopt}});
  const auto stored = StoredGroups();
  if (stored.size() != groupsBefore + 1) {
    Expect(false, "New stored no group");
    return;
  }
  model_.groups.push_back({EightBit(nameToEnter_), stored.back().second, std::vector<IdPair>(kSlots)});
  // The grid may stay on the group it showed, or be emptied; it never shows another one.
  if (GridShowsNothing()) model_.shown.reset();
}

void OperatorSequence::ChooseThroughDropDown() {
  BringPage(form->GroupNameTab);
  if (Chance(0.15) || model_.groups.empty()) {
    Record("open the drop-down and close it with Esc");
    TDBLookupComboBox* list = form->GroupNameComboBox;
    list->showPopup();
    QTest::keyClick(list->view(), Qt::Key_Escape);
    Settle();
    if (model_.listEntry) model_.shown = model_.listEntry;
  } else {
    const auto entry = static_cast<std::size_t>(Draw(0, static_cast<int>(model_.groups.size()) - 1));
    Record("choose entry " + std::to_string(entry + 1) + " (" + Printable(model_.groups[entry].name) +
           ") through the drop-down");
    ChooseGroupByDropDown(static_cast<int>(entry));
    model_.listEntry = entry;
    model_.shown = entry;
  }
  ExpectBoxes({});
}

void OperatorSequence::MoveClosedList() {
  const bool down = Chance(0.5);
  Record(std::string("arrow key ") + (down ? "Down" : "Up") + " on the closed list");
  BringPage(form->GroupNameTab);
  QApplication::setActiveWindow(form);
  form->GroupNameComboBox->setFocus(Qt::TabFocusReason);
  QTest::keyClick(form->GroupNameComboBox, down ? Qt::Key_Down : Qt::Key_Up);
  Settle();
  const int last = static_cast<int>(model_.groups.size()) - 1;
  const int at = model_.listEntry ? static_cast<int>(*model_.listEntry) : -1;
  const int moved = down ? std::min(at + 1, last) : (at < 0 ? at : std::max(at - 1, 0));
  if (moved >= 0) model_.listEntry = static_cast<std::size_t>(moved);
  ExpectBoxes({});
}

void OperatorSequence::DeleteGroup() {
  confirm_ = Chance(0.8) ? Confirm::Yes : Confirm::No;
  const QString listText = form->GroupNameComboBox->currentText();
  Record(std::string("Delete, answer ") + (confirm_ == Confirm::Yes ? "Yes" : "No"));
  BringPage(form->GroupNameTab);
  const std::size_t groupsBefore = StoredGroups().size();
  QTest::mouseClick(form->DeleteGroupButton, Qt::LeftButton);
  Settle();
  const ExpectedBox question = Confirmation(QStringLiteral("Delete the ") + listText + QStringLiteral(" Group?"));
  if (confirm_ != Confirm::Yes) {
    ExpectBoxes({question});
    return;
  }
  // With the grid empty the chosen row may still be refused as "no group selected".
  const bool deleted = StoredGroups().size() < groupsBefore;
  if (!model_.listEntry || (!model_.shown && !deleted)) {
    ExpectBoxes({question, Information()});
    return;
  }
  ExpectBoxes({question});
  model_.ForgetGroup(*model_.listEntry);
}

void OperatorSequence::CloseAndReopen() {
  Record("close the window with Exit and open it again");
  QTest::mouseClick(form->ExitButton, Qt::LeftButton);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  Settle();
  Expect(form.isNull(), "the window did not close");
  Expect(startWindow.isVisible(), "the start window did not come back");
  startWindow.hide();
  ExpectBoxes({});
  delete form.data();
  OpenLinkedForm();
  model_.shown.reset();
  model_.listEntry.reset();
  model_.pending.reset();
  model_.companyEdit.clear();
}

}  // namespace orvel::testing
