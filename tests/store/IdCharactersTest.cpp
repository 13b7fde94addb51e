#include <gtest/gtest.h>

#include "store/IdCharacters.h"

namespace orvel {
namespace {

TEST(IdCharacters, EveryCodeFallsOnTheRightSide) {
  const auto refusedRanges = {std::pair{33, 44}, {46, 47}, {58, 64}, {91, 96}, {123, 150}};
  for (int code = 0; code <= 255; ++code) {
    bool refused = false;
    for (const auto& [low, high] : refusedRanges) refused = refused || (code >= low && code <= high);
    EXPECT_EQ(IsRefusedIdCharacter(static_cast<unsigned char>(code)), refused) << "code " << code;
  }
  for (char accepted : std::string("a-1 BZz09\b\r\x1b")) EXPECT_FALSE(IsRefusedIdCharacter(accepted)) << accepted;
  for (char refused : std::string("#.,/_@~")) EXPECT_TRUE(IsRefusedIdCharacter(refused)) << refused;
}

}  // namespace
}  // namespace orvel
