#include "app/OrvelApplication.h"

#include <QProxyStyle>
#include <QToolTip>
#include <QWidget>

#include "app/ApplicationTitle.h"
#include "app/ErrorReport.h"
#include "app/StandInFont.h"

namespace orvel {
namespace {

constexpr int kTooltipWakeUpDelayMs = 500;

// The platform's style, except for tooltips: one shows after the pointer has rested
// 500 ms on a control, throughout the application, and it is drawn in the system's
// tooltip colours. The Windows style takes a tooltip's text colour from the visual
// theme instead, and Wine's theme gives the pale grey of disabled text.
class OrvelStyle : public QProxyStyle {
 public:
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returnData) const override {
    if (hint == SH_ToolTip_WakeUpDelay) return kTooltipWakeUpDelayMs;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
  }

  void polish(QWidget* widget) override {
    QProxyStyle::polish(widget);
    if (widget->windowType() == Qt::ToolTip) widget->setPalette(QToolTip::palette());
  }
  using QProxyStyle::polish;
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
