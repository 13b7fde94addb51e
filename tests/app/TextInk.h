#pragma once

#include <QFont>
#include <QImage>
#include <QString>

class QWidget;

namespace orvel::testing {

// The pixels of an image darker than mid-grey: the ink of text on a light background.
int DarkPixels(const QImage& image);

// The ink of text drawn black on white in font, on one line.
int InkOfText(const QFont& font, const QString& text);

// Types text into an edit box and returns the ink that the typing added to it as the
// box draws itself.
int InkTypedInto(QWidget* edit, const QString& text);

}  // namespace orvel::testing
