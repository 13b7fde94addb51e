#include <gtest/gtest.h>

#include <QDateTime>
#include <QLocale>
#include <algorithm>

#include "app/RegionalStamp.h"

namespace orvel {
namespace {

const QDateTime kEvening(QDate(2026, 12, 7), QTime(21, 5, 3));

TEST(RegionalStamp, KeepsTheRegionalFormatsInCharactersTheTesterCanShow) {
  const struct {
    const char* locale;
    const char* stamp;
  } cases[] = {
      {"en_US", "12-7-26 9_05_03 PM"},   {"de_DE", "07.12.26 21_05_03"},          {"my_MM", "07-12-26 21_05_03"},
      {"ar_EG", "7-12-2026 9_05_03 PM"}, {"fa_IR", "2026-12-7 21_05_03"},         {"bn_BD", "7-12-26 9_05_03 PM"},
      {"ko_KR", "26. 12. 7. 21_05_03"},  {"ja_JP", "2026-12-07 21_05_03"},        {"bg_BG", "2026-12-07 21_05_03"},
      {"el_GR", "7-12-26 9_05_03 PM"},   {"sq_AL", "7.12.26 9_05_03 E PASDITES"},
  };
  for (const auto& c : cases) EXPECT_EQ(RegionalCreationStamp(kEvening, QLocale(c.locale)), c.stamp) << c.locale;
  EXPECT_EQ(RegionalCreationStamp(QDateTime(QDate(2026, 12, 7), QTime(0, 0)), QLocale("my_MM")), "07-12-26");
}

// Two creations a second, half a day or a day apart never share a stamp, in any locale.
TEST(RegionalStamp, EveryLocaleGivesReadableStampsThatTellSecondsApart) {
  const auto locales = QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
  ASSERT_GT(locales.size(), 100);
  for (const QLocale& locale : locales) {
    const std::string stamp = RegionalCreationStamp(kEvening, locale);
    const bool readable = std::all_of(stamp.begin(), stamp.end(), [](char c) {
      const auto code = static_cast<unsigned char>(c);
      return code != '?' && ((code >= 0x20 && code < 0x7F) || code >= 0xA0);
    });
    EXPECT_TRUE(readable) << locale.name().toStdString() << ": " << stamp;
    for (const int later : {1, 12 * 3600, 24 * 3600}) {
      EXPECT_NE(RegionalCreationStamp(kEvening.addSecs(later), locale), stamp) << locale.name().toStdString();
    }
  }
}

}  // namespace
}  // namespace orvel
