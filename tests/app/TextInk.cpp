#include "TextInk.h"

#include <QFontMetrics>
#include <QPainter>
#include <QWidget>

#include "ModalDriver.h"

namespace orvel::testing {

int DarkPixels(const QImage& image) {
  int dark = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) dark += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
  }
  return dark;
}

int InkOfText(const QFont& font, const QString& text) {
  const QFontMetrics metrics(font);
  QImage line(metrics.horizontalAdvance(text) + 8, metrics.height() + 8, QImage::Format_RGB32);
  line.fill(Qt::white);
  QPainter painter(&line);
  painter.setFont(font);
  painter.setPen(Qt::black);
  painter.drawText(4, 4 + metrics.ascent(), text);
  painter.end();
  return DarkPixels(line);
}

int InkTypedInto(QWidget* edit, const QString& text) {
  const int before = DarkPixels(edit->grab().toImage());
  TypeText(edit, text);
  return DarkPixels(edit->grab().toImage()) - before;
}

}  // namespace orvel::testing
