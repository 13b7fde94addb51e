#pragma once

#include <QWidget>
#include <functional>
#include <memory>

namespace orvel::testing {

// Answers the next modal box: once a modal widget is shown, action runs on it (typically
// typing into it or pressing a key). Modal boxes block in their own event loop, so the
// answer has to be scheduled before the code that opens the box runs.
class ModalDriver {
 public:
  ModalDriver();
  ~ModalDriver();

  // Queues an answer for the next modal box that appears after the previous answer ran.
  void Then(std::function<void(QWidget*)> action);
  // How many queued answers have run.
  int Answered() const;
  // Texts of the boxes answered, in order: window title and the box's message text.
  struct SeenBox {
    QString title;
    QString text;
  };
  const std::vector<SeenBox>& Seen() const;

  struct State;

 private:
  std::shared_ptr<State> state_;
};

// Presses a key on the box the way an operator would, at the widget that has focus.
void PressKey(QWidget* box, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

// Types text into a widget key by key. Unlike QTest::keyClicks it also types characters
// that have no key of their own on an ASCII keyboard, such as 8-bit letters.
void TypeText(QWidget* widget, const QString& text);

}  // namespace orvel::testing
