#include "app/OrvelApplication.h"

#include <QProxyStyle>

#include "app/ApplicationTitle.h"
#include "app/ErrorReport.h"
#include "app/StandInFont.h"

namespace orvel {
namespace {

constexpr int kTooltipWakeUpDelayMs = 500;

// The platform's style, except that a tooltip shows after the pointer has rested
// 500 ms on a control, throughout the application.
class OrvelStyle : public QProxyStyle {
 public:
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returnData) const override {
    if (hint == SH_ToolTip_WakeUpDelay) return kTooltipWakeUpDelayMs;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
  }
};

}  // namespace

OrvelApplication::OrvelApplication(int& argc, char** argv) : QApplication(argc, argv) {
  SetApplicationTitle(ApplicationTitleFromExecutable(applicationFilePath().toStdString()));
  setStyle(new OrvelStyle);
  StandInForMissingFontFamilies();
}

bool OrvelApplication::notify(QObject* receiver, QEvent* event) {
  bool handled = false;
  RunReportingErrors([&] { handled = QApplication::notify(receiver, event); });
  return handled;
}

}  // namespace orvel
