#include "app/RegionalStamp.h"

#include <QRegularExpression>

#include "store/IdListTableName.h"

namespace orvel {

std::string RegionalCreationStamp(const QDateTime& when, const QLocale& locale) {
  QString timeFormat = locale.timeFormat(QLocale::LongFormat);
  timeFormat.remove(QRegularExpression(QStringLiteral("\\s*\\bt+\\b\\s*")));
  const QTime time = when.time();
  const bool midnight = time.hour() == 0 && time.minute() == 0 && time.second() == 0;
  return CreationStamp(locale.toString(when.date(), QLocale::ShortFormat).toLatin1().toStdString(),
                       locale.toString(time, timeFormat.trimmed()).toLatin1().toStdString(), midnight);
}

}  // namespace orvel
