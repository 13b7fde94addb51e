#include "app/RegionalStamp.h"

#include <QRegularExpression>
#include <optional>

#include "store/IdListTableName.h"

namespace orvel {
namespace {

bool IsPrintableEightBit(char16_t code) { return (code >= 0x20 && code < 0x7F) || (code >= 0xA0 && code <= 0xFF); }

// Nothing when a character remains that the 8-bit set cannot show.
std::optional<std::string> EightBitText(const QString& text) {
  std::string result;
  for (const QChar c : text) {
    if (c.isDigit()) {
      result += static_cast<char>('0' + c.digitValue());
    } else if (c.category() == QChar::Separator_Space) {
      result += ' ';
    } else if (c.category() == QChar::Other_Format) {
      continue;
    } else if (IsPrintableEightBit(c.unicode())) {
      result += static_cast<char>(c.unicode());
    } else {
      return std::nullopt;
    }
  }
  return result;
}

template <typename Value>
std::string Written(const Value& value, const QString& format, const QLocale& locale, const QString& plainFormat) {
  for (const QLocale& writer : {locale, QLocale::c()}) {
    if (const std::optional<std::string> text = EightBitText(writer.toString(value, format))) return *text;
  }
  return QLocale::c().toString(value, plainFormat).toStdString();
}

QString DateFormat(const QLocale& locale) {
  const QString format = locale.dateFormat(QLocale::ShortFormat);
  const bool tellsTheDay = format.contains('d') && format.contains('M') && format.contains('y');
  return tellsTheDay ? format : QStringLiteral("yyyy-MM-dd");
}

// The long time without its time zone and the brackets or separators around it.
QString TimeFormat(const QLocale& locale) {
  static const QRegularExpression zone(QStringLiteral("[\\s,]*(\\(\\s*t+\\s*\\)|\\bt+\\b)[\\s,]*"));
  const QString format = locale.timeFormat(QLocale::LongFormat).replace(zone, QStringLiteral(" ")).trimmed();
  return format.contains('s') ? format : QStringLiteral("HH:mm:ss");
}

}  // namespace

std::string RegionalCreationStamp(const QDateTime& when, const QLocale& locale) {
  const QTime time = when.time();
  const bool midnight = time.hour() == 0 && time.minute() == 0 && time.second() == 0;
  return CreationStamp(Written(when.date(), DateFormat(locale), locale, QStringLiteral("yyyy-MM-dd")),
                       Written(time, TimeFormat(locale), locale, QStringLiteral("HH:mm:ss")), midnight);
}

}  // namespace orvel
