#include <gtest/gtest.h>

#include "store/IdListTableName.h"

namespace orvel {
namespace {

TEST(IdListTableName, JoinsGroupStampAndTrailingBy) {
  EXPECT_EQ(IdListTableName("Fleet A", CreationStamp("12/7/2026", "9:05:03 AM", false)),
            "Fleet A 12-7-2026 9_05_03 AM by ");
}

TEST(IdListTableName, MidnightLeavesOutTheTime) {
  EXPECT_EQ(IdListTableName("Fleet A", CreationStamp("12/7/2026", "00:00:00", true)), "Fleet A 12-7-2026 by ");
}

TEST(IdListTableName, DotSeparatorsStay) {
  EXPECT_EQ(IdListTableName("Fleet A", CreationStamp("07.12.2026", "09:05:03", false)),
            "Fleet A 07.12.2026 09_05_03 by ");
}

TEST(IdListTableName, ReplacementsTouchOnlyTheStamp) {
  EXPECT_EQ(IdListTableName("a/b:c", CreationStamp("1/2/26", "1:2:3", false)), "a/b:c 1-2-26 1_2_3 by ");
  EXPECT_EQ(IdListTableName("", CreationStamp("1/2/26", "1:2:3", false)), " 1-2-26 1_2_3 by ");
}

}  // namespace
}  // namespace orvel
