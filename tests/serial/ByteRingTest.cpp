#include "serial/ByteRing.h"

#include <gtest/gtest.h>

#include <string>

namespace orvel {
namespace {

TEST(ByteRingTest, BytesComeOutOldestFirstAcrossTheEndOfTheRing) {
  ByteRing ring(8);
  std::string taken(4, '\0');
  ring.Append("abcdef");
  ring.Take(taken);

  ring.Append("ghijk");  // 2 bytes before the end, 3 from the start

  EXPECT_TRUE(ring.Size() == 7 && ring.Free() == 1);
  taken.resize(7);
  ring.Take(taken);
  EXPECT_EQ(taken, "efghijk");
}

TEST(ByteRingTest, InPlaceRunsStopAtTheEndOfTheRingAndRestartAtItsFront) {
  ByteRing ring(8);
  ring.Append("abcdef");
  ring.Consume(4);  // "ef" lies at positions 4 and 5

  ASSERT_EQ(ring.WritableRun().size(), 2U);
  ring.CommitWrite(2);
  ASSERT_EQ(ring.WritableRun().size(), 4U);
  EXPECT_EQ(ring.ReadableRun().size(), 4U);

  ring.Consume(4);
  EXPECT_TRUE(ring.Empty());
  EXPECT_EQ(ring.WritableRun().size(), 8U);
}

}  // namespace
}  // namespace orvel
