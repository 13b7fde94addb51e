#pragma once

#include <QDateTime>
#include <QLocale>
#include <string>

namespace orvel {

// The creation stamp of an ID list table name for a local date and time, in the
// locale's short date and long time formats. The long time is taken without a time zone,
// which some locales add: the name records when, not where.
std::string RegionalCreationStamp(const QDateTime& when, const QLocale& locale);

}  // namespace orvel
