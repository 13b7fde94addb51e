#include "TextInk.h"

#include <QFontMetrics>
#include <QPainter>
#include <QWidget>

namespace orvel::testing {

namespace {

int PixelsOnInksSide(const QImage& image, const QColor& ink) {
  const bool darkInk = qGray(ink.rgb()) < 128;
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) count += (qGray(image.pixel(x, y)) < 128) == darkInk ? 1 : 0;
  }
  return count;
}

}  // namespace

int DarkPixels(const QImage& image) { return PixelsOnInksSide(image, Qt::black); }

int TextInkShown(QWidget* widget) {
  return PixelsOnInksSide(widget->grab().toImage(), widget->palette().color(QPalette::Text));
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
