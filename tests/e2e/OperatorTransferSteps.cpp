// The operator's transfers against the tester simulator, with Cancel at chosen moments.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <chrono>

#include "OperatorSequence.h"

namespace orvel::testing {

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
  sim::AnswerTiming timing;
  bool answersFollowUp = true;
  if (Chance(0.3)) {
    // A tester slow to answer the follow-up request, or deaf to it, and quick on the rest:
    // a late follow-up answer must never be taken for another request's.
    timing.followUp = {std::chrono::milliseconds(330), std::chrono::milliseconds(600)};
    timing.read = timing.write = {std::chrono::milliseconds(40), std::chrono::milliseconds(100)};
    timing.seed = rng_();
    answersFollowUp = Chance(0.8);
    log_.back() += answersFollowUp ? " (follow-up answered after 330-600 ms, the rest after 40-100 ms)"
                                   : " (follow-up never answered, the rest after 40-100 ms)";
  }
  tester.SetAnswerTiming(timing);
  tester.SetAnswersFollowUp(answersFollowUp);
  if (plan.onLine) {
    log_.back() += " (Cancel at " + Printable(plan.onLine->substr(0, plan.onLine->size() - 1)) + " +" +
                   std::to_string(plan.delayMs) + " ms)";
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

void OperatorSequence::ReadIds() {
  const int answer = Draw(0, 19);
  confirm_ = answer < 17 ? Confirm::Yes : answer < 19 ? Confirm::No : Confirm::Cancel;
  const bool reads = model_.shown.has_value() && confirm_ == Confirm::Yes;
  std::vector<std::string> firstLines;
  for (std::size_t slot = 0; slot < 4; ++slot) firstLines.push_back(RequestLine(3, TrailerSlotAddress(slot)));
  const CancelPlan plan = reads ? DrawCancel(firstLines) : CancelPlan{};
  Record(std::string("Read IDs, answer ") + (confirm_ == Confirm::Yes  ? "Yes"
                                             : confirm_ == Confirm::No ? "No"
                                                                       : "Cancel"));
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
  std::vector<std::string> asked;
  for (const std::string& line : LinesSinceStep()) {
    if (line.rfind("!00003F", 0) == 0) asked.push_back(line);
  }
  Expect(plan.onLine.has_value() || asked.size() == 2 * kModelSlots,
         "a full Read asked " + std::to_string(asked.size()) + " IDs");
  Expect(form->Label3->text() ==
             (plan.onLine ? QStringLiteral("Communications aborted") : QStringLiteral("IDs successfully acquired")),
         "Read ended with \"" + form->Label3->text().toStdString() + "\"");
  // A Read stores all 32 pairs or none: a cancelled one leaves the group as it was.
  if (form->Label3->text() == QStringLiteral("IDs successfully acquired")) {
    for (std::size_t slot = 0; slot < kModelSlots; ++slot) group.rows[slot] = model_.tester[slot];
  }
}

void OperatorSequence::SendIds() {
  std::vector<std::string> firstLines;
  for (std::size_t slot = 0; slot < 2 && model_.shown; ++slot) {
    const IdPair& pair = model_.groups[*model_.shown].rows[slot];
    firstLines.push_back(RequestLine(2, TrailerSlotAddress(slot), Padded(pair.trailer)));
    firstLines.push_back(RequestLine(2, VehicleSlotAddress(slot), Padded(pair.vehicle)));
  }
  const CancelPlan plan = model_.shown ? DrawCancel(firstLines) : CancelPlan{};
  Record("Send IDs");
  BringPage(form->GroupNameTab);
  if (model_.shown) StartSession(plan);
  QTest::mouseClick(form->DownLoadButton, Qt::LeftButton);
  Settle();
  if (!model_.shown) {
    ExpectBoxes({Information()});
    return;
  }
  std::vector<std::string> writes;
  for (const std::string& line : LinesSinceStep()) {
    if (line.rfind("!00002F", 0) == 0) writes.push_back(line);
  }
  // A Send cancelled once a write went out says what the tester now holds.
  const bool cancelled = form->Label3->text() == QStringLiteral("Communications aborted");
  ExpectBoxes(cancelled && !writes.empty() ? std::vector<ExpectedBox>{Information()} : std::vector<ExpectedBox>{});
  // The tester must receive the grid's group, row by row and each ID in its own slot.
  const ModelGroup& group = model_.groups[*model_.shown];
  std::vector<std::string> expected;
  for (std::size_t slot = 0; slot < kModelSlots; ++slot) {
    expected.push_back(RequestLine(2, TrailerSlotAddress(slot), Padded(group.rows[slot].trailer)));
    expected.push_back(RequestLine(2, VehicleSlotAddress(slot), Padded(group.rows[slot].vehicle)));
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
  Record("Read the company name");
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
  const bool sendable = FitsEightBit(model_.companyEdit);
  const std::string name = EightBit(model_.companyEdit);
  const CancelPlan plan = sendable ? DrawCancel({"!0000201C2" + Padded(name) + "\r"}) : CancelPlan{};
  Record("Send the company name");
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
  Record("type the company name " + Printable(text));
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

}  // namespace orvel::testing
