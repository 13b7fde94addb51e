// Seeded random sequences of what an operator does in the Configure IDs window, driven
// through the real widgets against the tester simulator, each step checked against a
// small model of what the store, the grid, the list and the tester must hold.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <random>
#include <set>
#include <sstream>

#include "OperatorModel.h"
#include "TesterLinkFixture.h"
#include "app/DataSourceTableModel.h"
#include "app/TDBGrid.h"
#include "app/TDBLookupComboBox.h"
#include "tables/TableFileName.h"

namespace orvel {
namespace {

using testing::EightBit;
using testing::IdPair;
using testing::ModelGroup;
using testing::NameVerdict;
using testing::Padded;

constexpr int kSlots = static_cast<int>(testing::kModelSlots);
constexpr std::size_t kMostGroups = 8;

// Operator actions held back while the fault each one meets is being mended: each goes
// back on (false) with its mend. OPERATOR_ACTIONS=all, or a comma-separated list of these
// names, turns them on for one run.
struct HeldBack {
  bool newWhileTheListShowsAGroup = false;
  bool listAndGridApartWhenTheListHides = false;
  bool editOpenAcrossAPageChange = false;
  bool equalGroupNames = false;
  bool deleteOfANameHeldTwice = false;
  bool unsafeGroupNames = false;
  bool unsafePastedIds = true;
  bool foreignPastedIdThenEnter = true;
  bool lateFollowUpAnswer = true;
};

HeldBack HeldBackActions() {
  static const std::vector<std::pair<std::string, bool HeldBack::*>> names = {
      {"newWhileTheListShowsAGroup", &HeldBack::newWhileTheListShowsAGroup},
      {"listAndGridApartWhenTheListHides", &HeldBack::listAndGridApartWhenTheListHides},
      {"editOpenAcrossAPageChange", &HeldBack::editOpenAcrossAPageChange},
      {"equalGroupNames", &HeldBack::equalGroupNames},
      {"deleteOfANameHeldTwice", &HeldBack::deleteOfANameHeldTwice},
      {"unsafeGroupNames", &HeldBack::unsafeGroupNames},
      {"unsafePastedIds", &HeldBack::unsafePastedIds},
      {"foreignPastedIdThenEnter", &HeldBack::foreignPastedIdThenEnter},
      {"lateFollowUpAnswer", &HeldBack::lateFollowUpAnswer},
  };
  HeldBack held;
  const char* wanted = std::getenv("OPERATOR_ACTIONS");
  const std::string list = "," + std::string(wanted != nullptr ? wanted : "") + ",";
  for (const auto& [name, member] : names) {
    if (list == ",all," || list.find("," + name + ",") != std::string::npos) held.*member = false;
  }
  return held;
}

std::uint64_t EnvironmentNumber(const char* name, std::uint64_t fallback) {
  const char* text = std::getenv(name);
  return text != nullptr && *text != '\0' ? std::stoull(text) : fallback;
}

QString Wide(const std::string& eightBit) { return QString::fromLatin1(eightBit); }

// Text as a failure report can show it: control characters as escapes.
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

// Boxes a step expects: a title and, where the wording is settled, the text.
struct ExpectedBox {
  QString title;
  std::optional<QString> text;
};

ExpectedBox Information(std::optional<QString> text = std::nullopt) {
  return {QStringLiteral("Information"), std::move(text)};
}

ExpectedBox Confirmation(const QString& text) { return {QStringLiteral("Confirm"), text}; }

const QString kNewGroupTitle = QStringLiteral("Identities - New Group");

enum class Confirm { Yes, No, Cancel };

// When a transfer's Cancel is pressed: never, or once the tester has received a given
// request line, at once or a little later.
struct CancelPlan {
  std::optional<std::string> onLine;
  int delayMs = 0;
};

class OperatorSequence : public testing::TesterLinkFixture {
 protected:
  OperatorSequence() : held_(HeldBackActions()) { MapPort(1, tester.DevicePath()); }

  void Run(std::uint64_t seed, int steps);

  int Transfers() const { return transfers_; }
  int BoxesSeen() const { return boxesSeen_; }

 private:
  using Step = void (OperatorSequence::*)();

  // Driving the window.
  QWidget* Focus();
  void BringPage(QWidget* page);
  void ClickCell(int row, int column);
  void TypeInto(QWidget* widget, const QString& text);
  void Paste(const QString& text);
  void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
  void AnswerBox(QWidget* box);
  void Settle();

  // Steps.
  void NewGroup();
  void ChooseThroughDropDown();
  void MoveClosedList();
  void TypeIntoCell();
  void LeavePendingCell();
  void PasteIntoCell();
  void SwitchPage();
  void ReadIds();
  void SendIds();
  void ReadCompany();
  void SendCompany();
  void TypeCompanyName();
  void DeleteGroup();
  void CloseAndReopen();

  Step NextStep();
  void Do(const std::string& description);
  CancelPlan DrawCancel(const std::vector<std::string>& firstLines);
  void StartSession(const CancelPlan& plan);
  std::vector<std::string> LinesSinceStep() const;

  // Checks.
  void Expect(bool holds, const std::string& what);
  void ExpectBoxes(const std::vector<ExpectedBox>& expected);
  void ExpectInformationBoxes(std::size_t count);
  void CheckAgainstModel();
  void CheckStore();
  void CheckGridAndList();
  void CheckTester();
  bool GridShowsNothing() const;

  QString RandomIdText(bool withRefused);
  QString RandomGroupName(NameVerdict& intended, bool& pasted);
  template <typename T>
  const T& Pick(const std::vector<T>& choices) {
    return choices[std::uniform_int_distribution<std::size_t>(0, choices.size() - 1)(rng_)];
  }
  int Draw(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }
  bool Chance(double probability) { return std::bernoulli_distribution(probability)(rng_); }

  HeldBack held_;
  testing::OperatorModel model_;
  std::mt19937_64 rng_;
  std::vector<std::string> log_;
  std::vector<std::string> problems_;
  std::unique_ptr<testing::ModalDriver> stepBoxes_;
  std::size_t linesAtStepStart_ = 0;
  QString nameToEnter_;
  bool pasteName_ = false;
  Confirm confirm_ = Confirm::Yes;
  int transfers_ = 0;
  int boxesSeen_ = 0;
};

// ---- driving ---------------------------------------------------------------------------

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
      testing::PressKey(box, Qt::Key_Escape);
      return;
    }
    edit->selectAll();
    if (pasteName_) {
      QApplication::clipboard()->setText(nameToEnter_);
      QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    } else {
      QTest::keyClick(edit, Qt::Key_Delete);
      testing::TypeText(edit, nameToEnter_);
    }
    QTest::keyClick(edit, Qt::Key_Return);
    return;
  }
  if (box->windowTitle() == QStringLiteral("Confirm") && confirm_ != Confirm::Yes) {
    if (confirm_ == Confirm::Cancel) {
      testing::PressKey(box, Qt::Key_Escape);
      return;
    }
    for (QPushButton* button : box->findChildren<QPushButton*>()) {
      if (button->text().remove('&') == QStringLiteral("No")) QTest::mouseClick(button, Qt::LeftButton);
    }
    return;
  }
  testing::PressKey(box, Qt::Key_Return);
}

void OperatorSequence::Settle() { QCoreApplication::processEvents(); }

// The request lines the tester received during this step, a re-send counted once.
std::vector<std::string> OperatorSequence::LinesSinceStep() const {
  const std::vector<std::string> lines = RequestLines();
  std::vector<std::string> step;
  for (std::size_t at = std::min(linesAtStepStart_, lines.size()); at < lines.size(); ++at) {
    if (step.empty() || step.back() != lines[at]) step.push_back(lines[at]);
  }
  return step;
}

CancelPlan OperatorSequence::DrawCancel(const std::vector<std::string>& firstLines) {
  // Full transfers take 64 polls each; most sessions are cancelled early to keep runs short.
  if (Chance(0.15)) return {};
  CancelPlan plan;
  plan.onLine = Chance(0.1) ? std::string("!000010190\r") : Pick(firstLines);
  plan.delayMs = Chance(0.5) ? 0 : Draw(5, 150);
  return plan;
}

void OperatorSequence::StartSession(const CancelPlan& plan) {
  ++transfers_;
  tester.ClearFaults();
  if (!held_.lateFollowUpAnswer && Chance(0.3)) {
    sim::FaultSettings late;
    late.delay = std::chrono::milliseconds(Draw(330, 600));
    tester.AddFaultRule({sim::FaultKind::LateAnswer, std::nullopt, sim::FollowUpAddress, 1, late});
    log_.back() += " (follow-up answered after " + std::to_string(late.delay.count()) + " ms)";
  }
  if (plan.onLine) {
    log_.back() +=
        " (Cancel at " + plan.onLine->substr(0, plan.onLine->size() - 1) + " +" + std::to_string(plan.delayMs) + " ms)";
    // A Cancel that comes after its own session ended must not hit the next one.
    OnRequestLine(*plan.onLine, [this, delay = plan.delayMs, session = transfers_] {
      QTimer::singleShot(delay, form, [this, session] {
        if (session == transfers_ && form->ExitButton->text() == QStringLiteral("Cancel")) {
          QTest::mouseClick(form->ExitButton, Qt::LeftButton);
        }
      });
    });
  }
}

// ---- steps -----------------------------------------------------------------------------

void OperatorSequence::Do(const std::string& description) { log_.push_back(description); }

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
  if (kind < 10 && !held_.equalGroupNames && !model_.groups.empty()) {
    intended = NameVerdict::Accepted;
    return Wide(Pick(model_.groups).name);
  }
  if (kind < 20) {
    intended = NameVerdict::Accepted;
    const QString name = QStringLiteral("Thirty-character-group-names-%1").arg(Draw(0, 9));
    if (!held_.equalGroupNames || !model_.FirstGroupNamed(EightBit(name))) return name;
  }
  if (kind < 30) {
    intended = NameVerdict::TooLong;
    return QStringLiteral("A-name-without-blanks-much-longer-than-thirty").left(Draw(31, 45));
  }
  if (kind < 40 && !held_.unsafeGroupNames) {
    intended = NameVerdict::UnsafeCharacter;
    pasted = true;
    return Pick(unsafe);
  }
  if (kind < 45) {
    intended = NameVerdict::Unchanged;
    pasted = Chance(0.5);  // pasted "New" stands for the box's Cancel
    return QStringLiteral("New");
  }
  for (;;) {
    const QString name = Pick(words) + QStringLiteral(" %1").arg(Draw(1, 99));
    if (held_.equalGroupNames && model_.FirstGroupNamed(EightBit(name))) continue;
    intended = NameVerdict::Accepted;
    return name;
  }
}

void OperatorSequence::NewGroup() {
  NameVerdict verdict = NameVerdict::Accepted;
  nameToEnter_ = RandomGroupName(verdict, pasteName_);
  Do("New " + Printable(nameToEnter_) + (pasteName_ ? " (pasted)" : ""));
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
    Do("open the drop-down and close it with Esc");
    TDBLookupComboBox* list = form->GroupNameComboBox;
    list->showPopup();
    QTest::keyClick(list->view(), Qt::Key_Escape);
    Settle();
    if (model_.listEntry) model_.shown = model_.listEntry;
  } else {
    const auto entry = static_cast<std::size_t>(Draw(0, static_cast<int>(model_.groups.size()) - 1));
    Do("choose entry " + std::to_string(entry + 1) + " (" + Printable(model_.groups[entry].name) +
       ") through the drop-down");
    ChooseGroupByDropDown(static_cast<int>(entry));
    model_.listEntry = entry;
    model_.shown = entry;
  }
  ExpectBoxes({});
}

void OperatorSequence::MoveClosedList() {
  const bool down = Chance(0.5);
  Do(std::string("arrow key ") + (down ? "Down" : "Up") + " on the closed list");
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

void OperatorSequence::TypeIntoCell() {
  const int leave = Draw(0, 2);  // Enter, Down, or stay in the cell
  const int row = Draw(0, leave == 1 ? kSlots - 2 : kSlots - 1);
  const int column = Draw(0, 1);
  const QString text = RandomIdText(true);
  Do("type " + Printable(text) + " into row " + std::to_string(row + 1) + " column " + std::to_string(column + 1) +
     (leave == 0   ? ", Enter"
      : leave == 1 ? ", Down"
                   : ", stay in the cell"));
  ClickCell(row, column);
  TypeInto(form->IDGrid, text);
  if (leave == 0) Press(Qt::Key_Return);
  if (leave == 1) Press(Qt::Key_Down);
  Settle();
  const std::string kept = testing::IdTextKept(text).substr(0, 16);
  ExpectInformationBoxes(static_cast<std::size_t>(std::count_if(text.begin(), text.end(), testing::RefusedInId)));
  IdPair& pair = model_.groups[*model_.shown].rows[static_cast<std::size_t>(row)];
  if (leave == 2) {
    model_.pending = testing::PendingEdit{row, column, kept};
  } else {
    (column == 0 ? pair.trailer : pair.vehicle) = kept;
  }
}

void OperatorSequence::LeavePendingCell() {
  const testing::PendingEdit edit = *model_.pending;
  // A look at the Company Name page, with or without a click into its box (which takes
  // the focus from the cell; the operator then clicks the cell again).
  const int look = held_.editOpenAcrossAPageChange ? 0 : Draw(-2, 2);
  const int how = Draw(0, 2);  // Enter, Down, Esc
  const bool down = how == 1 && edit.row < kSlots - 1;
  Do(std::string(look == 1   ? "look at the Company Name page and back, "
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
  if (!held_.unsafePastedIds && Chance(0.6)) {
    static const QString unsafe = QStringLiteral("\r\n\t#~^`");
    text.insert(Draw(0, static_cast<int>(text.size())), unsafe[Draw(0, static_cast<int>(unsafe.size()) - 1)]);
    if (!(held_.foreignPastedIdThenEnter && !down) && Chance(0.3)) text.insert(1, QChar(0x394));
  }
  text = text.left(16);
  Do("paste \"" + Printable(text) + "\" into row " + std::to_string(row + 1) + " column " + std::to_string(column + 1) +
     (down ? ", Down" : ", Enter"));
  ClickCell(row, column);
  Press(Qt::Key_F2);
  Press(Qt::Key_A, Qt::ControlModifier);
  Paste(text);
  Press(down ? Qt::Key_Down : Qt::Key_Return);
  Settle();
  IdPair& pair = model_.groups[*model_.shown].rows[static_cast<std::size_t>(row)];
  std::string& cell = column == 0 ? pair.trailer : pair.vehicle;
  if (!std::any_of(text.begin(), text.end(), testing::RefusedInId)) {
    ExpectBoxes({});
    cell = EightBit(text);
    return;
  }
  // A refused punctuation mark or foreign character is named in a box, as when typed;
  // control characters may also go without one. The cell then keeps its old text or takes
  // the pasted one without them, never a refused character.
  const bool named =
      std::any_of(text.begin(), text.end(), [](QChar c) { return testing::RefusedInId(c) && c.unicode() >= 0x20; });
  const auto& seen = stepBoxes_->Seen();
  Expect(!named || !seen.empty(), "pasting refused characters showed no box");
  Expect(
      std::all_of(seen.begin(), seen.end(), [](const auto& box) { return box.title == QStringLiteral("Information"); }),
      "pasting showed a box other than an information box");
  boxesSeen_ += static_cast<int>(seen.size());
  stepBoxes_.reset();
  const std::string kept = testing::IdTextKept(text);
  const std::string stored = StoredIdList(model_.groups[*model_.shown].table)[static_cast<std::size_t>(row)].*
                             (column == 0 ? &IdPair::trailer : &IdPair::vehicle);
  Expect(stored == cell || stored == kept, "the pasted cell holds \"" + Printable(stored) + "\"");
  cell = stored;
}

void OperatorSequence::SwitchPage() {
  QWidget* page = Pick(std::vector<QWidget*>{form->GroupNameTab, form->CompanyIDTab, form->StatusTab});
  Do("switch to the " + page->objectName().toStdString() + " page");
  BringPage(page);
  Expect(form->PageControl1->currentWidget() == page, "the page did not come to the front");
  Settle();
  ExpectBoxes({});
}

void OperatorSequence::ReadIds() {
  const int answer = Draw(0, 19);
  confirm_ = answer < 17 ? Confirm::Yes : answer < 19 ? Confirm::No : Confirm::Cancel;
  const bool reads = model_.shown.has_value() && confirm_ == Confirm::Yes;
  std::vector<std::string> firstLines;
  for (std::size_t slot = 0; slot < 4; ++slot)
    firstLines.push_back(testing::RequestLine(3, testing::TrailerSlotAddress(slot)));
  const CancelPlan plan = reads ? DrawCancel(firstLines) : CancelPlan{};
  Do(std::string("Read IDs, answer ") + (confirm_ == Confirm::Yes ? "Yes" : confirm_ == Confirm::No ? "No" : "Cancel"));
  BringPage(form->GroupNameTab);
  if (reads) StartSession(plan);
  QTest::mouseClick(form->UploadButton, Qt::LeftButton);
  Settle();
  if (!model_.shown) {
    ExpectBoxes({Information()});
    return;
  }
  ExpectBoxes({Confirmation(QStringLiteral("Overwrite all current IDs?"))});
  if (!reads) return;
  ModelGroup& group = model_.groups[*model_.shown];
  const std::vector<IdPair> stored = StoredIdList(group.table);
  std::vector<std::string> asked;
  for (const std::string& line : LinesSinceStep()) {
    if (line.rfind("!00003F", 0) == 0) asked.push_back(line);
  }
  Expect(plan.onLine.has_value() || asked.size() == 2 * testing::kModelSlots,
         "a full Read asked " + std::to_string(asked.size()) + " IDs");
  Expect(form->Label3->text() ==
             (plan.onLine ? QStringLiteral("Communications aborted") : QStringLiteral("IDs successfully acquired")),
         "Read ended with \"" + form->Label3->text().toStdString() + "\"");
  for (std::size_t slot = 0; slot < testing::kModelSlots && slot < stored.size(); ++slot) {
    for (const bool trailer : {true, false}) {
      const std::string line =
          testing::RequestLine(3, trailer ? testing::TrailerSlotAddress(slot) : testing::VehicleSlotAddress(slot));
      const auto at = std::find(asked.begin(), asked.end(), line);
      std::string& expected = trailer ? group.rows[slot].trailer : group.rows[slot].vehicle;
      const std::string& held = trailer ? model_.tester[slot].trailer : model_.tester[slot].vehicle;
      const std::string& got = trailer ? stored[slot].trailer : stored[slot].vehicle;
      // The answer to the request Cancel met may or may not have been taken.
      const bool lastAsked = at != asked.end() && at + 1 == asked.end() && plan.onLine;
      if (at != asked.end() && !lastAsked) expected = held;
      if (lastAsked && (got == held || got == expected)) expected = got;
    }
  }
}

void OperatorSequence::SendIds() {
  std::vector<std::string> firstLines;
  for (std::size_t slot = 0; slot < 2 && model_.shown; ++slot) {
    const IdPair& pair = model_.groups[*model_.shown].rows[slot];
    firstLines.push_back(testing::RequestLine(2, testing::TrailerSlotAddress(slot), Padded(pair.trailer)));
    firstLines.push_back(testing::RequestLine(2, testing::VehicleSlotAddress(slot), Padded(pair.vehicle)));
  }
  const CancelPlan plan = model_.shown ? DrawCancel(firstLines) : CancelPlan{};
  Do("Send IDs");
  BringPage(form->GroupNameTab);
  if (model_.shown) StartSession(plan);
  QTest::mouseClick(form->DownLoadButton, Qt::LeftButton);
  Settle();
  if (!model_.shown) {
    ExpectBoxes({Information()});
    return;
  }
  ExpectBoxes({});
  std::vector<std::string> writes;
  for (const std::string& line : LinesSinceStep()) {
    if (line.rfind("!00002F", 0) == 0) writes.push_back(line);
  }
  // The tester must receive the grid's group, row by row and each ID in its own slot.
  const ModelGroup& group = model_.groups[*model_.shown];
  std::vector<std::string> expected;
  for (std::size_t slot = 0; slot < testing::kModelSlots; ++slot) {
    expected.push_back(testing::RequestLine(2, testing::TrailerSlotAddress(slot), Padded(group.rows[slot].trailer)));
    expected.push_back(testing::RequestLine(2, testing::VehicleSlotAddress(slot), Padded(group.rows[slot].vehicle)));
  }
  Expect(plan.onLine.has_value() || writes.size() == expected.size(),
         "a full Send wrote " + std::to_string(writes.size()) + " IDs");
  Expect(form->Label3->text() ==
             (plan.onLine ? QStringLiteral("Communications aborted") : QStringLiteral("IDs successfully sent")),
         "Send ended with \"" + form->Label3->text().toStdString() + "\"");
  for (std::size_t at = 0; at < writes.size(); ++at) {
    if (at >= expected.size() || writes[at] != expected[at]) {
      Expect(false, "write " + std::to_string(at + 1) + " sent " + Printable(writes[at]) + ", the grid's group holds " +
                        (at < expected.size() ? Printable(expected[at]) : "nothing more"));
      break;
    }
    const std::size_t slot = at / 2;
    (at % 2 == 0 ? model_.tester[slot].trailer : model_.tester[slot].vehicle) = writes[at].substr(10, 16);
  }
}

void OperatorSequence::ReadCompany() {
  const CancelPlan plan = DrawCancel({"!0000301C2\r"});
  Do("Read the company name");
  BringPage(form->CompanyIDTab);
  StartSession(plan);
  QTest::mouseClick(form->ReadIDButton, Qt::LeftButton);
  Settle();
  ExpectBoxes({});
  const QString edit = form->Edit3->text();
  if (plan.onLine && (edit == model_.companyEdit || edit == Wide(model_.testerCompany))) {
    model_.companyEdit = edit;
  } else {
    model_.companyEdit = Wide(model_.testerCompany);
    Expect(form->Label3->text() == (plan.onLine ? QStringLiteral("Communications aborted")
                                                : QStringLiteral("Company ID successfully acquired")),
           "company Read ended with \"" + form->Label3->text().toStdString() + "\"");
  }
}

void OperatorSequence::SendCompany() {
  const bool sendable = testing::FitsEightBit(model_.companyEdit);
  const std::string name = EightBit(model_.companyEdit);
  const CancelPlan plan = sendable ? DrawCancel({"!0000201C2" + Padded(name) + "\r"}) : CancelPlan{};
  Do("Send the company name");
  BringPage(form->CompanyIDTab);
  if (sendable) StartSession(plan);
  QTest::mouseClick(form->SendIDButton, Qt::LeftButton);
  Settle();
  if (!sendable) {
    ExpectBoxes({Information()});
    return;
  }
  ExpectBoxes({});
  for (const std::string& line : LinesSinceStep()) {
    if (line.rfind("!0000201C2", 0) == 0) model_.testerCompany = line.substr(10, 16);
  }
  Expect(plan.onLine.has_value() || model_.testerCompany == Padded(name), "a full company Send did not write the name");
}

void OperatorSequence::TypeCompanyName() {
  QString text = RandomIdText(false).left(Draw(0, 16));
  if (Chance(0.2)) text += QStringLiteral("#&(");
  if (Chance(0.1)) text = QStringLiteral("Gr") + QChar(0x3B5) + QStringLiteral("ek");
  text = text.left(16);
  Do("type the company name " + Printable(text));
  BringPage(form->CompanyIDTab);
  QApplication::setActiveWindow(form);
  form->Edit3->setFocus(Qt::MouseFocusReason);
  QTest::keyClick(form->Edit3, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(form->Edit3, Qt::Key_Delete);
  TypeInto(form->Edit3, text);
  Settle();
  ExpectBoxes({});
  model_.companyEdit = text;
}

void OperatorSequence::DeleteGroup() {
  confirm_ = Chance(0.8) ? Confirm::Yes : Confirm::No;
  const QString listText = form->GroupNameComboBox->currentText();
  Do(std::string("Delete, answer ") + (confirm_ == Confirm::Yes ? "Yes" : "No"));
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
  Do("close the window with Exit and open it again");
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

OperatorSequence::Step OperatorSequence::NextStep() {
  if (model_.pending) return &OperatorSequence::LeavePendingCell;
  // The list and the grid apart: switching away from the Group Name page or starting a
  // session hides or disables the list.
  const bool hidingTheListIsSafe = !held_.listAndGridApartWhenTheListHides || !model_.ListDiffersFromGrid();
  const bool grid = model_.shown.has_value();
  const std::string listName = model_.listEntry ? model_.groups[*model_.listEntry].name : std::string();
  struct Weighted {
    Step step;
    int weight;
    bool allowed;
  };
  const std::vector<Weighted> steps = {
      {&OperatorSequence::NewGroup, 10,
       model_.groups.size() < kMostGroups && (!held_.newWhileTheListShowsAGroup || !model_.listEntry)},
      {&OperatorSequence::ChooseThroughDropDown, 12, true},
      {&OperatorSequence::MoveClosedList, 6, !held_.listAndGridApartWhenTheListHides && !model_.groups.empty()},
      {&OperatorSequence::TypeIntoCell, 22, grid},
      {&OperatorSequence::PasteIntoCell, 6, grid},
      {&OperatorSequence::SwitchPage, 8, hidingTheListIsSafe},
      {&OperatorSequence::ReadIds, 3, hidingTheListIsSafe},
      {&OperatorSequence::SendIds, 3, hidingTheListIsSafe},
      {&OperatorSequence::ReadCompany, 3, hidingTheListIsSafe},
      {&OperatorSequence::SendCompany, 3, hidingTheListIsSafe},
      {&OperatorSequence::TypeCompanyName, 4, hidingTheListIsSafe},
      {&OperatorSequence::DeleteGroup, 4, !held_.deleteOfANameHeldTwice || !model_.HasNameTwice(listName)},
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

// ---- checks ----------------------------------------------------------------------------

void OperatorSequence::Expect(bool holds, const std::string& what) {
  if (!holds) problems_.push_back(what);
}

void OperatorSequence::ExpectBoxes(const std::vector<ExpectedBox>& expected) {
  if (!stepBoxes_) return;
  const auto& seen = stepBoxes_->Seen();
  boxesSeen_ += static_cast<int>(seen.size());
  std::ostringstream shown;
  for (const auto& box : seen) shown << " [" << Printable(box.title) << ": " << Printable(box.text) << "]";
  bool matches = seen.size() == expected.size();
  for (std::size_t at = 0; matches && at < seen.size(); ++at) {
    matches = seen[at].title == expected[at].title && (!expected[at].text || seen[at].text == *expected[at].text);
  }
  std::ostringstream wanted;
  for (const auto& box : expected) {
    wanted << " [" << Printable(box.title) << ": " << (box.text ? Printable(*box.text) : "any text") << "]";
  }
  Expect(matches, "boxes shown:" + shown.str() + "; expected:" + wanted.str());
  stepBoxes_.reset();
}

void OperatorSequence::ExpectInformationBoxes(std::size_t count) {
  ExpectBoxes(std::vector<ExpectedBox>(count, Information()));
}

bool OperatorSequence::GridShowsNothing() const { return form->IDGrid->Model().rowCount() == 0; }

void OperatorSequence::CheckStore() {
  const auto stored = StoredGroups();
  std::ostringstream names;
  for (const auto& [name, table] : stored) names << " \"" << Printable(name) << "\"";
  std::ostringstream expectedNames;
  for (const ModelGroup& group : model_.groups) expectedNames << " \"" << Printable(group.name) << "\"";
  if (stored.size() != model_.groups.size()) {
    Expect(false, "stored groups:" + names.str() + "; expected:" + expectedNames.str());
    return;
  }
  std::set<std::string> files;
  for (std::size_t at = 0; at < stored.size(); ++at) {
    const ModelGroup& group = model_.groups[at];
    if (stored[at].first != group.name || stored[at].second != group.table) {
      Expect(false, "stored groups:" + names.str() + "; expected:" + expectedNames.str() + " (group " +
                        std::to_string(at + 1) + " names table " + stored[at].second + ", expected " + group.table +
                        ")");
      return;
    }
    files.insert(TableFileName(group.table));
    const std::vector<IdPair> rows = StoredIdList(group.table);
    if (rows != group.rows) {
      std::ostringstream difference;
      for (std::size_t row = 0; row < std::max(rows.size(), group.rows.size()); ++row) {
        const IdPair got = row < rows.size() ? rows[row] : IdPair{"<none>", "<none>"};
        const IdPair want = row < group.rows.size() ? group.rows[row] : IdPair{"<none>", "<none>"};
        if (got != want) {
          difference << " row " << row + 1 << " holds \"" << Printable(got.trailer) << "\"/\"" << Printable(got.vehicle)
                     << "\", expected \"" << Printable(want.trailer) << "\"/\"" << Printable(want.vehicle) << "\";";
        }
      }
      Expect(false, "group " + std::to_string(at + 1) + " (" + Printable(group.name) + "):" + difference.str());
    }
  }
  std::set<std::string> present;
  for (const auto& entry : std::filesystem::directory_iterator(folders.idLists)) {
    const std::string file = entry.path().filename().string();
    if (!file.ends_with("-journal") && !file.ends_with("-wal") && !file.ends_with("-shm")) present.insert(file);
  }
  for (const std::string& file : present) {
    Expect(files.contains(file), "the ID list folder holds " + file + ", which no group names");
  }
}

void OperatorSequence::CheckGridAndList() {
  TDBLookupComboBox* list = form->GroupNameComboBox;
  std::vector<std::string> items;
  for (int at = 0; at < list->count(); ++at) items.push_back(EightBit(list->itemText(at)));
  std::vector<std::string> names;
  for (const ModelGroup& group : model_.groups) names.push_back(group.name);
  Expect(items == names, "the list holds " + std::to_string(items.size()) + " names, not the groups' names");
  const std::string listText = model_.listEntry ? model_.groups[*model_.listEntry].name : std::string();
  Expect(EightBit(list->currentText()) == listText,
         "the list shows \"" + Printable(list->currentText()) + "\", expected \"" + Printable(listText) + "\"");
  if (model_.listEntry) {
    Expect(list->currentIndex() == static_cast<int>(*model_.listEntry),
           "the list shows entry " + std::to_string(list->currentIndex() + 1) + ", expected " +
               std::to_string(*model_.listEntry + 1));
  }
  if (!model_.shown) {
    Expect(GridShowsNothing(), "the grid shows " + form->IDListTable.TableName() + ", expected nothing");
    return;
  }
  const ModelGroup& group = model_.groups[*model_.shown];
  if (!form->IDListTable.Active() || form->IDListTable.TableName() != group.table) {
    Expect(false, "the grid shows " + (form->IDListTable.Active() ? form->IDListTable.TableName() : "nothing") +
                      ", expected " + Printable(group.name) + " (" + Printable(group.table) + ")");
    return;
  }
  const DataSourceTableModel& grid = form->IDGrid->Model();
  Expect(grid.rowCount() == kSlots, "the grid shows " + std::to_string(grid.rowCount()) + " rows");
  for (int row = 0; row < std::min(grid.rowCount(), kSlots); ++row) {
    for (int column = 0; column < 2; ++column) {
      if (model_.pending && model_.pending->row == row) continue;
      const IdPair& pair = group.rows[static_cast<std::size_t>(row)];
      const std::string want = column == 0 ? pair.trailer : pair.vehicle;
      const std::string got = EightBit(grid.index(row, column).data().toString());
      Expect(got == want, "the grid's row " + std::to_string(row + 1) + " column " + std::to_string(column + 1) +
                              " shows \"" + Printable(got) + "\", expected \"" + Printable(want) + "\"");
    }
  }
}

void OperatorSequence::CheckTester() {
  for (std::size_t slot = 0; slot < testing::kModelSlots; ++slot) {
    Expect(
        tester.TrailerId(slot) == model_.tester[slot].trailer && tester.VehicleId(slot) == model_.tester[slot].vehicle,
        "the tester's slot " + std::to_string(slot + 1) + " holds \"" + Printable(tester.TrailerId(slot)) + "\"/\"" +
            Printable(tester.VehicleId(slot)) + "\", expected \"" + Printable(model_.tester[slot].trailer) + "\"/\"" +
            Printable(model_.tester[slot].vehicle) + "\"");
  }
  Expect(tester.CompanyName() == model_.testerCompany, "the tester's company name is \"" +
                                                           Printable(tester.CompanyName()) + "\", expected \"" +
                                                           Printable(model_.testerCompany) + "\"");
}

void OperatorSequence::CheckAgainstModel() {
  Expect(form->ExitButton->text() == QStringLiteral("Exit") && !form->Timer1.isActive(),
         "a link session is still running");
  Expect(form->Edit3->text() == model_.companyEdit, "the company name box reads \"" +
                                                        form->Edit3->text().toStdString() + "\", expected \"" +
                                                        model_.companyEdit.toStdString() + "\"");
  CheckStore();
  CheckGridAndList();
  CheckTester();
}

// ---- the run ---------------------------------------------------------------------------

void OperatorSequence::Run(std::uint64_t seed, int steps) {
  rng_.seed(seed);
  for (std::size_t slot = 0; slot < testing::kModelSlots; ++slot) {
    model_.tester[slot] = {Padded("T-" + std::to_string(slot + 1)), Padded("V-" + std::to_string(slot + 1))};
    tester.SetTrailerId(slot, model_.tester[slot].trailer);
    tester.SetVehicleId(slot, model_.tester[slot].vehicle);
  }
  model_.testerCompany = Padded("Kestrin Works");
  tester.SetCompanyName(model_.testerCompany);
  OpenLinkedForm();
  for (int step = 1; step <= steps; ++step) {
    stepBoxes_ = std::make_unique<testing::ModalDriver>();
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

TEST_F(OperatorSequence, StoreGridListAndTesterFollowTheOperatorsSteps) {
  const auto started = std::chrono::steady_clock::now();
  const std::uint64_t seed = EnvironmentNumber("OPERATOR_SEED", 20261208);
  const int steps = static_cast<int>(EnvironmentNumber("OPERATOR_STEPS", 300));
  Run(seed, steps);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::cout << "operator sequence: seed " << seed << ", steps " << steps << ", transfers " << Transfers() << ", boxes "
            << BoxesSeen() << ", seconds " << seconds << ", failures " << (HasFailure() ? 1 : 0) << "\n";
}

}  // namespace
}  // namespace orvel
