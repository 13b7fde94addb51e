// Driving the window as an operator does, drawing the next step, and the run itself.
#include "OperatorSequence.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <sstream>

#include "app/DataSourceTableModel.h"
#include "app/TDBGrid.h"

namespace orvel::testing {

QString Wide(const std::string& eightBit) { return QString::fromLatin1(eightBit); }

std::string Printable(const QString& text) {
  QString shown;
  for (const QChar character : text) {
    const char16_t code = character.unicode();
    const bool control = code < 0x20 || (code >= 0x7F && code < 0xA0);
    shown += control ? QStringLiteral("\\x%1").arg(static_cast<unsigned>(code), 2, 16, QChar('0')) : QString(character);
  }
  return shown.toStdString();
}

std::string Printable(const std::string& eightBit) { return Printable(Wide(eightBit)); }

ExpectedBox Information(std::optional<QString> text) { return {QStringLiteral("Information"), std::move(text)}; }

ExpectedBox Confirmation(const QString& text) { return {QStringLiteral("Confirm"), text}; }

QWidget* OperatorSequence::Focus() {
  // The offscreen platform does not give the window its activation back when a box
  // closes, as a desktop does, so the operator's click on the window is made here.
  if (QApplication::focusWidget() == nullptr) QApplication::setActiveWindow(form);
  return QApplication::focusWidget() ? QApplication::focusWidget() : form->IDGrid;
}

void OperatorSequence::Press(int key, Qt::KeyboardModifiers modifiers) {
  QTest::keyClick(Focus(), static_cast<Qt::Key>(key), modifiers);
}

void OperatorSequence::TypeInto(QWidget* widget, const QString& text) {
  for (const QChar c : text) {
    QTest::sendKeyEvent(QTest::Click, widget != nullptr ? widget : Focus(), Qt::Key_unknown, QString(c),
                        Qt::NoModifier);
    widget = nullptr;
  }
}

void OperatorSequence::Paste(const QString& text) {
  QApplication::clipboard()->setText(text);
  Press(Qt::Key_V, Qt::ControlModifier);
}

// The operator does not wait for the page-return timer, which may switch the page again a
// moment later, as it does on a desktop.
void OperatorSequence::BringPage(QWidget* page) {
  QTabBar* tabs = form->PageControl1->tabBar();
  QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(form->PageControl1->indexOf(page)).center());
}

void OperatorSequence::ClickCell(int row, int column) {
  QApplication::setActiveWindow(form);
  const QModelIndex cell = form->IDGrid->Model().index(row, column);
  form->IDGrid->scrollTo(cell);
  QTest::mouseClick(form->IDGrid->viewport(), Qt::LeftButton, {}, form->IDGrid->visualRect(cell).center());
  form->IDGrid->setFocus();
}

void OperatorSequence::AnswerBox(QWidget* box) {
  if (auto* edit = box->findChild<QLineEdit*>("PromptEdit")) {
    if (nameToEnter_ == QStringLiteral("New") && pasteName_) {
      PressKey(box, Qt::Key_Escape);
      return;
    }
    edit->selectAll();
    if (pasteName_) {
      QApplication::clipboard()->setText(nameToEnter_);
      QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    } else {
      QTest::keyClick(edit, Qt::Key_Delete);
      TypeText(edit, nameToEnter_);
    }
    QTest::keyClick(edit, Qt::Key_Return);
    return;
  }
  if (box->windowTitle() == QStringLiteral("Confirm") && confirm_ != Confirm::Yes) {
    if (confirm_ == Confirm::Cancel) {
      PressKey(box, Qt::Key_Escape);
      return;
    }
    for (QPushButton* button : box->findChildren<QPushButton*>()) {
      if (button->text().remove('&') == QStringLiteral("No")) QTest::mouseClick(button, Qt::LeftButton);
    }
    return;
  }
  PressKey(box, Qt::Key_Return);
}

void OperatorSequence::Settle() { QCoreApplication::processEvents(); }

OperatorSequence::Step OperatorSequence::NextStep() {
  if (model_.pending) return &OperatorSequence::LeavePendingCell;
  const bool grid = model_.shown.has_value();
  struct Weighted {
    Step step;
    int weight;
    bool allowed;
  };
  const std::vector<Weighted> steps = {
      {&OperatorSequence::NewGroup, 10, model_.groups.size() < kMostGroups},
      {&OperatorSequence::ChooseThroughDropDown, 12, true},
      {&OperatorSequence::MoveClosedList, 6, !model_.groups.empty()},
      {&OperatorSequence::TypeIntoCell, 22, grid},
      {&OperatorSequence::PasteIntoCell, 6, grid},
      {&OperatorSequence::SwitchPage, 8, true},
      {&OperatorSequence::ReadIds, 3, true},
      {&OperatorSequence::SendIds, 3, true},
      {&OperatorSequence::ReadCompany, 2, true},
      {&OperatorSequence::SendCompany, 2, true},
      {&OperatorSequence::TypeCompanyName, 4, true},
      {&OperatorSequence::DeleteGroup, 4, true},
      {&OperatorSequence::CloseAndReopen, 3, true},
  };
  int total = 0;
  for (const Weighted& candidate : steps) total += candidate.allowed ? candidate.weight : 0;
  int draw = Draw(0, total - 1);
  for (const Weighted& candidate : steps) {
    if (!candidate.allowed) continue;
    if (draw < candidate.weight) return candidate.step;
    draw -= candidate.weight;
  }
  return &OperatorSequence::ChooseThroughDropDown;
}

void OperatorSequence::Run(std::uint64_t seed, int steps) {
  rng_.seed(seed);
  for (std::size_t slot = 0; slot < kModelSlots; ++slot) {
    model_.tester[slot] = {Padded("T-" + std::to_string(slot + 1)), Padded("V-" + std::to_string(slot + 1))};
    tester.SetTrailerId(slot, model_.tester[slot].trailer);
    tester.SetVehicleId(slot, model_.tester[slot].vehicle);
  }
  model_.testerCompany = Padded("Kestrin Works");
  tester.SetCompanyName(model_.testerCompany);
  OpenLinkedForm();
  for (int step = 1; step <= steps; ++step) {
    stepBoxes_ = std::make_unique<ModalDriver>();
    for (int answers = 0; answers < 40; ++answers) stepBoxes_->Then([this](QWidget* box) { AnswerBox(box); });
    confirm_ = Confirm::Yes;
    linesAtStepStart_ = tester.RequestCount();
    tester.SetTrafficObserver({});
    (this->*NextStep())();
    if (stepBoxes_) ExpectBoxes({});
    CheckAgainstModel();
    if (!problems_.empty() || HasFailure()) {
      std::ostringstream report;
      report << "operator sequence with seed " << seed << " failed at step " << step << ":\n";
      for (const std::string& problem : problems_) report << "  " << problem << "\n";
      report << "steps so far (replay with OPERATOR_SEED=" << seed << " OPERATOR_STEPS=" << step << "):\n";
      for (std::size_t at = 0; at < log_.size(); ++at) report << "  " << at + 1 << ". " << log_[at] << "\n";
      ADD_FAILURE() << report.str();
      return;
    }
  }
}

}  // namespace orvel::testing
