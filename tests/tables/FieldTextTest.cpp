#include "tables/FieldText.h"

#include <gtest/gtest.h>

namespace orvel {
namespace {

TEST(FieldText, EveryEightBitCharacterSurvivesTheTripThroughUtf8) {
  std::string all;
  for (int code = 1; code <= 255; ++code) all += static_cast<char>(code);
  const std::string utf8 = Latin1ToUtf8(all);
  EXPECT_EQ(utf8.size(), 127u + 2 * 128u);
  EXPECT_EQ(Latin1ToUtf8("\xE9"), "\xC3\xA9");
  EXPECT_EQ(Utf8ToLatin1(utf8), all);
}

TEST(FieldText, WhatEightBitTextCannotHoldReadsAsQuestionMarks) {
  const struct {
    std::string utf8;
    std::string latin1;
  } cases[] = {
      {"\xE2\x82\xAC", "?"},  // euro sign, above 255
      {"a\xF0\x9D\x84\x9E"
       "b",
       "a?b"},                    // outside the basic plane
      {"\xFF", "?"},              // never part of UTF-8
      {"\xC0\xAF", "??"},         // overlong '/'
      {"\xC3", "?"},              // cut short
      {"\xED\xA0\x80", "???"},    // surrogate
      {"\xC3\xA9\x80", "\xE9?"},  // stray continuation byte
  };
  for (const auto& c : cases) EXPECT_EQ(Utf8ToLatin1(c.utf8), c.latin1) << c.utf8;
}

TEST(FieldText, FieldsCutToTheirWidthAndEndAtNul) {
  EXPECT_EQ(FitToField("ABCDEFGHIJKLMNOPQRST", 16), "ABCDEFGHIJKLMNOP");
  EXPECT_EQ(FitToField("short", 16), "short");
  EXPECT_EQ(FitToField(std::string("ab\0cd", 5), 16), "ab");
}

}  // namespace
}  // namespace orvel
