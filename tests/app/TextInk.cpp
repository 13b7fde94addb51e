#include "TextInk.h"

#include <QFontMetrics>
#include <QPainter>
#include <QWidget>

namespace orvel::testing {

int DarkPixels(const QImage& image) {
  int dark = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) dark += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
  }
  return dark;
}

int TextInkShown(QWidget* widget) {
  QImage shown = widget->grab().toImage();
  if (qGray(widget->palette().color(QPalette::Text).rgb()) >= 128) shown.invertPixels();
  return DarkPixels(shown);
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

::testing::AssertionResult DrawsText(QWidget* edit, const QString& text, int inkBefore) {
  const int drawn = TextInkShown(edit) - inkBefore;
  const int full = InkOfText(edit->font(), text);
  if (drawn >= full * 9 / 10) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << edit->objectName().toStdString() << " (" << edit->metaObject()->className()
                                       << ") draws " << drawn << " of the text's " << full << " pixels of ink";
}

}  // namespace orvel::testing
