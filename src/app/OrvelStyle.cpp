#include "app/OrvelStyle.h"

#include <QPainter>
#include <QStyleOptionFrame>
#include <QToolTip>
#include <QWidget>

namespace orvel {
namespace {

constexpr int kTooltipWakeUpDelayMs = 500;

}  // namespace

OrvelStyle::OrvelStyle(const QString& hostStyle)
    : QProxyStyle(hostStyle), themedEditInteriors_(hostStyle.compare("windowsvista", Qt::CaseInsensitive) == 0) {}

int OrvelStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                          QStyleHintReturn* returnData) const {
  if (hint == SH_ToolTip_WakeUpDelay) return kTooltipWakeUpDelayMs;
  return QProxyStyle::styleHint(hint, option, widget, returnData);
}

void OrvelStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                               const QWidget* widget) const {
  if (element == PE_PanelLineEdit && themedEditInteriors_) {
    painter->fillRect(option->rect, option->palette.brush(QPalette::Base));
    const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(option);
    if (frame != nullptr && frame->lineWidth > 0) QProxyStyle::drawPrimitive(PE_FrameLineEdit, option, painter, widget);
    return;
  }
  QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void OrvelStyle::polish(QWidget* widget) {
  QProxyStyle::polish(widget);
  if (widget->windowType() == Qt::ToolTip) widget->setPalette(QToolTip::palette());
}

}  // namespace orvel
