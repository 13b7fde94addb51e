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
    const bool control = code < 32 || (code >= 127 && code <= 159);
    EXPECT_EQ(IsTesterCharacter(static_cast<char32_t>(code)), !control) << "code " << code;
  }
  EXPECT_FALSE(IsTesterCharacter(0x20AC));
}

TEST(TesterText, FaultsNameTheCharacterAndWhereItIs) {
  const struct {
    std::string text;
    std::optional<std::string> fault;
  } cases[] = {
      {"AB.12/3#\xA3\xA7\xB0\xD7\xF7 -", std::nullopt},
      {std::string(16, 'X'), std::nullopt},
      {std::string(17, 'X'), "has 17 characters; the tester holds 16"},
      {"AB\tC", "holds a tab (U+0009) at character 3"},
      {"A\x7F", "holds a control character (U+007F) at character 2"},
      {"\x85", "holds a control character (U+0085) at character 1"},
      {std::string("A\0", 2), "holds a NUL character (U+0000) at character 2"},
  };
  for (const auto& c : cases) EXPECT_EQ(TesterTextFault(c.text), c.fault) << c.text;
  EXPECT_EQ(UnfitCharacterRefusal("The group name", *FirstUnfitCharacter(U"Fleet\u20AC")),
            "The group name cannot hold its character 6, the character U+20AC: the tester's character set has no "
            "such character; use only letters, digits and signs of the Western European (Latin-1) character set. "
            "Please remove it.");
}

TEST(TesterText, VisibleTextShowsControlCharactersAndStrayBytesAsEscapes) {
  EXPECT_EQ(VisibleText("A\x1B]0;title\x07\x1B[2J\t\r\n\xC2\x9B\xFF M\xC3\xBCller"),
            "A\\x1B]0;title\\x07\\x1B[2J\\t\\r\\n\\x9B\\xFF M\xC3\xBCller");
}

}  // namespace
}  // namespace orvel
