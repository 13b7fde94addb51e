#pragma once

#include <gtest/gtest.h>

#include <QFont>
#include <QImage>
#include <QString>

class QWidget;

namespace orvel::testing {

// The pixels darker than mid-grey: the ink of text on a light background.
int DarkPixels(const QImage& image);
// The widget's ink: its dark pixels, or its light ones where its text colour is light.
int TextInkShown(QWidget* widget);
// The ink of text drawn black on white in font, on one line.
int InkOfText(const QFont& font, const QString& text);
// Whether an edit box, which shows inkBefore without the text, draws nearly all of the
// text's ink (its frame may hide a pixel or two).
::testing::AssertionResult DrawsText(QWidget* edit, const QString& text, int inkBefore = 0);

}  // namespace orvel::testing
