// The operator's steps in the ID grid: typing, pasting and leaving cells, and page changes.
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>
#include <algorithm>

#include "OperatorSequence.h"
#include "app/TDBGrid.h"

namespace orvel::testing {

QString OperatorSequence::RandomIdText(bool withRefused) {
  static const QString plain = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789 -") +
                               QChar(0xC4) + QChar(0xD6) + QChar(0xDC) + QChar(0xE4) + QChar(0xF6) + QChar(0xFC) +
                               QChar(0xDF) + QChar(0xE9) + QChar(0xA7) + QChar(0xFF);
  static const QString refused = QStringLiteral("#!.,/:;?@[]^_`{}~") + QChar(0x394) + QChar(0x41F);
  QString text(plain[Draw(0, 51)]);
  const int length = Draw(0, 15);
  while (text.size() <= length) {
    text += withRefused && Chance(0.1) ? refused[Draw(0, static_cast<int>(refused.size()) - 1)]
                                       : plain[Draw(0, static_cast<int>(plain.size()) - 1)];
  }
  return text;
}

void OperatorSequence::TypeIntoCell() {
  const int leave = Draw(0, 2);  // Enter, Down, or stay in the cell
  const int row = Draw(0, leave == 1 ? kSlots - 2 : kSlots - 1);
  const int column = Draw(0, 1);
  const QString text = RandomIdText(true);
  Record("type " + Printable(text) + " into row " + std::to_string(row + 1) + " column " + std::to_string(column + 1) +
         (leave == 0   ? ", Enter"
          : leave == 1 ? ", Down"
                       : ", stay in the cell"));
  ClickCell(row, column);
  TypeInto(form->IDGrid, text);
  if (leave == 0) Press(Qt::Key_Return);
  if (leave == 1) Press(Qt::Key_Down);
  Settle();
  const std::string kept = IdTextKept(text).substr(0, 16);
  ExpectInformationBoxes(static_cast<std::size_t>(std::count_if(text.begin(), text.end(), RefusedInId)));
  IdPair& pair = model_.groups[*model_.shown].rows[static_cast<std::size_t>(row)];
  if (leave == 2) {
    model_.pending = PendingEdit{row, column, kept};
  } else {
    (column == 0 ? pair.trailer : pair.vehicle) = kept;
  }
}

void OperatorSequence::LeavePendingCell() {
  const PendingEdit edit = *model_.pending;
  // A look at the Company Name page, with or without a click into its box (which takes
  // the focus from the cell; the operator then clicks the cell again).
  const int look = Draw(-2, 2);
  const int how = Draw(0, 2);  // Enter, Down, Esc
  const bool down = how == 1 && edit.row < kSlots - 1;
  Record(std::string(look == 1   ? "look at the Company Name page and back, "
                     : look == 2 ? "click into the company name box and back into the cell, "
                                 : "") +
         (how == 2 ? "Esc"
          : down   ? "Down"
                   : "Enter"));
  if (look > 0) {
    BringPage(form->CompanyIDTab);
    if (look == 2) QTest::mouseClick(form->Edit3, Qt::LeftButton);
    BringPage(form->GroupNameTab);
    if (look == 2) ClickCell(edit.row, edit.column);
  }
  Press(how == 2 ? Qt::Key_Escape : down ? Qt::Key_Down : Qt::Key_Return);
  Settle();
  ExpectBoxes({});
  model_.pending.reset();
  if (how != 2) {
    IdPair& pair = model_.groups[*model_.shown].rows[static_cast<std::size_t>(edit.row)];
    (edit.column == 0 ? pair.trailer : pair.vehicle) = edit.text;
  }
}

void OperatorSequence::PasteIntoCell() {
  const bool down = Chance(0.5);
  const int row = Draw(0, kSlots - 2);
  const int column = Draw(0, 1);
  QString text = RandomIdText(false);
  if (Chance(0.6)) {
    static const QString unsafe = QStringLiteral("\r\n\t#~^`");
    text.insert(Draw(0, static_cast<int>(text.size())), unsafe[Draw(0, static_cast<int>(unsafe.size()) - 1)]);
    if (Chance(0.3)) text.insert(1, QChar(0x394));
  }
  text = text.left(16);
  Record("paste \"" + Printable(text) + "\" into row " + std::to_string(row + 1) + " column " +
         std::to_string(column + 1) + (down ? ", Down" : ", Enter"));
  ClickCell(row, column);
  Press(Qt::Key_F2);
  Press(Qt::Key_A, Qt::ControlModifier);
  Paste(text);
  Press(down ? Qt::Key_Down : Qt::Key_Return);
  Settle();
  IdPair& pair = model_.groups[*model_.shown].rows[static_cast<std::size_t>(row)];
  std::string& cell = column == 0 ? pair.trailer : pair.vehicle;
  // Pasted text is held to what the tester can hold, not to the typing rule's punctuation.
  if (!std::any_of(text.begin(), text.end(), RefusedInWholeId)) {
    ExpectBoxes({});
    cell = EightBit(text);
    return;
  }
  // A foreign character is named in a box; control characters may also go without one.
  // The cell then keeps its old text or takes the pasted one without them, never a
  // refused character.
  const bool named =
      std::any_of(text.begin(), text.end(), [](QChar c) { return RefusedInWholeId(c) && c.unicode() >= 0x20; });
  const auto& seen = stepBoxes_->Seen();
  Expect(!named || !seen.empty(), "pasting refused characters showed no box");
  Expect(
      std::all_of(seen.begin(), seen.end(), [](const auto& box) { return box.title == QStringLiteral("Information"); }),
      "pasting showed a box other than an information box");
  boxesSeen_ += static_cast<int>(seen.size());
  stepBoxes_.reset();
  const std::string kept = IdTextKept(text, RefusedInWholeId);
  const std::string stored = StoredIdList(model_.groups[*model_.shown].table)[static_cast<std::size_t>(row)].*
                             (column == 0 ? &IdPair::trailer : &IdPair::vehicle);
  Expect(stored == cell || stored == kept, "the pasted cell holds \"" + Printable(stored) + "\"");
  cell = stored;
}

void OperatorSequence::SwitchPage() {
  QWidget* page = Pick(std::vector<QWidget*>{form->GroupNameTab, form->CompanyIDTab, form->StatusTab});
  Record("switch to the " + page->objectName().toStdString() + " page");
  BringPage(page);
  Expect(form->PageControl1->currentWidget() == page, "the page did not come to the front");
  Settle();
  ExpectBoxes({});
}

}  // namespace orvel::testing
