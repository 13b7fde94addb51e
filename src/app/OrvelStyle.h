#pragma once

#include <QProxyStyle>
#include <QString>

namespace orvel {

// The style the host offers (the platform's, or the one named with -style), with the
// program's own rules for tooltips and edit boxes:
// - a tooltip shows after the pointer has rested 500 ms on a control, and is drawn in
//   the system's tooltip colours. The Windows style takes a tooltip's text colour from
//   the visual theme instead, which under Wine is the pale grey of disabled text.
// - an edit box's interior is filled with the colour its text is drawn on. The Windows
//   style paints it from the visual theme, light whatever the colour scheme, while the
//   typed text and the cursor take the scheme's text colour: a scheme with light text
//   hid both. Windows' own edit boxes fill theirs with the scheme's window colour.
class OrvelStyle : public QProxyStyle {
 public:
  explicit OrvelStyle(const QString& hostStyle);

  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returnData) const override;
  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
  void polish(QWidget* widget) override;
  using QProxyStyle::polish;

 private:
  bool themedEditInteriors_;
};

}  // namespace orvel
