#include "ModalDriver.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <deque>

namespace orvel::testing {

struct ModalDriver::State {
  std::deque<std::function<void(QWidget*)>> pending;
  int answered = 0;
  std::vector<SeenBox> seen;
  bool stopped = false;
  // The box on top and how long it has been waiting, or open since its answer.
  QPointer<QWidget> watched;
  QElapsedTimer watchedSince;
};

namespace {

constexpr qint64 kBoxPatienceMs = 3000;

// Each poll is a fresh single-shot timer, armed before an answer runs, so that an answer
// which itself opens a box (blocking in that box's loop) can be followed by the next.
void Poll(const std::shared_ptr<ModalDriver::State>& state);

void ArmPoll(const std::shared_ptr<ModalDriver::State>& state) {
  QTimer::singleShot(5, [weak = std::weak_ptr(state)] {
    if (auto alive = weak.lock(); alive && !alive->stopped) Poll(alive);
  });
}

QString BoxText(const QWidget* box) {
  const auto* text = box->findChild<QLabel*>("BoxText");
  return text ? text->text() : QString();
}

void Answer(ModalDriver::State& state, QWidget* box) {
  auto action = std::move(state.pending.front());
  state.pending.pop_front();
  box->setProperty("answeredByDriver", true);
  state.seen.push_back({box->windowTitle(), BoxText(box)});
  ++state.answered;
  state.watchedSince.start();
  action(box);
}

void Poll(const std::shared_ptr<ModalDriver::State>& state) {
  ArmPoll(state);
  QWidget* modal = QApplication::activeModalWidget();
  if (modal == nullptr || !modal->isVisible()) return;
  if (state->watched != modal) {
    state->watched = modal;
    state->watchedSince.start();
  }
  const bool answered = modal->property("answeredByDriver").toBool();
  const bool patienceOver = state->watchedSince.elapsed() > kBoxPatienceMs;
  if (!answered && !state->pending.empty()) {
    // Keys for a box's shortcuts (Alt+N) reach it only once it is the active window,
    // which on a loaded machine can come some polls after the box is shown.
    if (modal->isActiveWindow() || patienceOver) Answer(*state, modal);
    return;
  }
  // A box nobody expected, or one still open after its answer, would block the test run
  // for good: fail and close it.
  if (qobject_cast<QDialog*>(modal) == nullptr || !patienceOver) return;
  ADD_FAILURE() << (answered ? "box still open after its answer '" : "unexpected box '")
                << modal->windowTitle().toStdString() << "': " << BoxText(modal).toStdString();
  modal->close();
}

}  // namespace

ModalDriver::ModalDriver() : state_(std::make_shared<State>()) { ArmPoll(state_); }

ModalDriver::~ModalDriver() { state_->stopped = true; }

void ModalDriver::Then(std::function<void(QWidget*)> action) { state_->pending.push_back(std::move(action)); }

int ModalDriver::Answered() const { return state_->answered; }

const std::vector<ModalDriver::SeenBox>& ModalDriver::Seen() const { return state_->seen; }

void PressKey(QWidget* box, int key, Qt::KeyboardModifiers modifiers) {
  QWidget* target = box->focusWidget() ? box->focusWidget() : box;
  QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
}

void TypeText(QWidget* widget, const QString& text) {
  for (const QChar c : text) {
    QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
  }
}

}  // namespace orvel::testing
