#include <QApplication>

#include "app/MessageBoxes.h"

namespace orvel {

void MessageBeep() { QApplication::beep(); }

}  // namespace orvel
