#include "ModalDriver.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <deque>

namespace orvel::testing {

struct ModalDriver::State {
  std::deque<std::function<void(QWidget*)>> pending;
  int answered = 0;
  std::vector<SeenBox> seen;
  bool stopped = false;
  QElapsedTimer unexpectedBoxShown;
};

namespace {

constexpr qint64 kUnexpectedBoxPatienceMs = 3000;

// Each poll is a fresh single-shot timer, armed before an answer runs, so that an answer
// which itself opens a box (blocking in that box's loop) can be followed by the next.
void Poll(const std::shared_ptr<ModalDriver::State>& state);

void ArmPoll(const std::shared_ptr<ModalDriver::State>& state) {
  QTimer::singleShot(5, [weak = std::weak_ptr(state)] {
    if (auto alive = weak.lock(); alive && !alive->stopped) Poll(alive);
  });
}

void Poll(const std::shared_ptr<ModalDriver::State>& state) {
  ArmPoll(state);
  QWidget* modal = QApplication::activeModalWidget();
  if (modal == nullptr || !modal->isVisible() || modal->property("answeredByDriver").toBool()) {
    state->unexpectedBoxShown.invalidate();
    return;
  }
  if (state->pending.empty()) {
    if (qobject_cast<QDialog*>(modal) == nullptr) return;
    // A box nobody expected would block the test run for good: fail and close it.
    if (!state->unexpectedBoxShown.isValid()) state->unexpectedBoxShown.start();
    if (state->unexpectedBoxShown.elapsed() > kUnexpectedBoxPatienceMs) {
      const auto* text = modal->findChild<QLabel*>("BoxText");
      ADD_FAILURE() << "unexpected box '" << modal->windowTitle().toStdString()
                    << "': " << (text ? text->text().toStdString() : std::string());
      modal->close();
      state->unexpectedBoxShown.invalidate();
    }
    return;
  }
  state->unexpectedBoxShown.invalidate();
  auto action = std::move(state->pending.front());
  state->pending.pop_front();
  modal->setProperty("answeredByDriver", true);
  const auto* text = modal->findChild<QLabel*>("BoxText");
  state->seen.push_back({modal->windowTitle(), text ? text->text() : QString()});
  ++state->answered;
  action(modal);
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
