#include "tables/TesterText.h"

#include <gtest/gtest.h>

namespace orvel {
namespace {

TEST(TesterText, EveryCodeFallsOnTheRightSideOfTheTestersRuleAndTheTypingRule) {
  const auto typingRefused = {std::pair{33, 44}, {46, 47}, {58, 64}, {91, 96}, {123, 150}};
  for (int code = 0; code <= 255; ++code) {
    bool refused = false;
    for (const auto& [low, high] : typingRefused) refused = refused || (code >= low && code <= high);
    EXPECT_EQ(IsRefusedTypedCharacter(static_cast<unsigned char>(code)), refused) << "code " << code;
    EXPECT_EQ(IsTesterCharacter(static_cast<char32_t>(code)), code >= 32 && (code < 127 || code > 159)) << code;
  }
  EXPECT_FALSE(IsTesterCharacter(0x20AC));
  EXPECT_EQ(TesterTextFault("AB.12/3#\xA3\xA7\xB0\xD7\xF7 -"), std::nullopt);
  EXPECT_EQ(TesterTextFault(std::string(17, 'X')), "has 17 characters; the tester holds 16");
  EXPECT_EQ(TesterTextFault("AB\x85"), "holds a control character (U+0085) at character 3");
}

TEST(TesterText, VisibleTextShowsControlCharactersAndStrayBytesAsEscapes) {
  EXPECT_EQ(VisibleText("A\x1B]0;title\x07\x1B[2J\t\r\n\xC2\x9B\xFF M\xC3\xBCller"),
            "A\\x1B]0;title\\x07\\x1B[2J\\t\\r\\n\\x9B\\xFF M\xC3\xBCller");
}

}  // namespace
}  // namespace orvel
