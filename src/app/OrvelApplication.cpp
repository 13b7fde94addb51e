#include "app/OrvelApplication.h"

#include "app/ApplicationTitle.h"
#include "app/ErrorReport.h"

namespace orvel {

OrvelApplication::OrvelApplication(int& argc, char** argv) : QApplication(argc, argv) {
  SetApplicationTitle(ApplicationTitleFromExecutable(applicationFilePath().toStdString()));
}

bool OrvelApplication::notify(QObject* receiver, QEvent* event) {
  bool handled = false;
  RunReportingErrors([&] { handled = QApplication::notify(receiver, event); });
  return handled;
}

}  // namespace orvel
