#pragma once

#include <QDateTime>
#include <QLocale>
#include <string>

namespace orvel {

// The creation stamp of an ID list table name for a local date and time, in the
// locale's short date and long time formats, written in characters the tester's 8-bit
// set can show: digits of any script as 0-9, any blank as a blank, direction marks left
// out. Where a format still needs other characters (a day-half or a unit word in another
// script), the format is written with the C locale's words, and failing that as
// yyyy-MM-dd or HH:mm:ss; so is a format that would not tell the day or the second
// apart. The long time is taken without a time zone, which some locales add: the name
// records when, not where.
std::string RegionalCreationStamp(const QDateTime& when, const QLocale& locale);

}  // namespace orvel
