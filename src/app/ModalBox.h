#pragma once

#include <QDialog>
#include <QStyle>
#include <vector>

#include "app/MessageBoxes.h"

class QPushButton;

namespace orvel {

// The one dialog behind the information, confirmation and error boxes. Buttons stand
// in the fixed order Yes, No, OK, Cancel. Enter presses the default button, Esc the
// cancel button, and closing from the title bar (a rejected dialog) gives Cancel
// whatever the buttons are.
class ModalBox : public QDialog {
  Q_OBJECT
 public:
  ModalBox(const QString& title, QStyle::StandardPixmap icon, const QString& text, std::vector<BoxResult> buttons,
           QWidget* parent = nullptr);

  // Shows the box centred on the screen and waits for the operator's answer.
  BoxResult Run();
  // Shows the box centred on the screen and returns at once.
  void ShowCentred();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void Centre();
  QPushButton* ButtonFor(BoxResult result) const;
  BoxResult DefaultResult() const;
  BoxResult CancelResult() const;

  std::vector<std::pair<BoxResult, QPushButton*>> buttons_;
};

}  // namespace orvel
