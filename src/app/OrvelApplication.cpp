#include "app/OrvelApplication.h"

#include "app/ApplicationTitle.h"
#include "app/ErrorReport.h"
#include "app/OrvelStyle.h"
#include "app/StandInFont.h"

namespace orvel {

OrvelApplication::OrvelApplication(int& argc, char** argv) : QApplication(argc, argv) {
  SetApplicationTitle(ApplicationTitleFromExecutable(applicationFilePath().toStdString()));
  // The style QApplication chose honours -style and QT_STYLE_OVERRIDE.
  setStyle(new OrvelStyle(style()->name()));
  StandInForMissingFontFamilies();
}

bool OrvelApplication::notify(QObject* receiver, QEvent* event) {
  bool handled = false;
  RunReportingErrors([&] { handled = QApplication::notify(receiver, event); });
  return handled;
}

}  // namespace orvel
