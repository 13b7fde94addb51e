#include "link/WireText.h"

#include <gtest/gtest.h>

#include <string>

namespace orvel {
namespace {

struct HexWordsCase {
  std::string input;
  std::string expected;
};

class DecodeHexWordsExamples : public ::testing::TestWithParam<HexWordsCase> {};

TEST_P(DecodeHexWordsExamples, DecodesLowByteFirst) {
  EXPECT_EQ(DecodeHexWords(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Protocol, DecodeHexWordsExamples,
                         ::testing::Values(HexWordsCase{"41424344", "BADC"}, HexWordsCase{"414243", "BA"},
                                           HexWordsCase{"4G41", std::string("A\x01")}, HexWordsCase{"", ""},
                                           HexWordsCase{"414", ""}, HexWordsCase{"6162", "ba"},
                                           HexWordsCase{"e9Ff", "\xFF\xE9"}, HexWordsCase{"31323334", "2143"},
                                           HexWordsCase{" 1+2", std::string("\x01\x01")},
                                           HexWordsCase{"0000", std::string(2, '\0')}));

TEST(PadTo16, PadsShortTextWithSpaces) {
  std::string empty;
  PadTo16(empty);
  EXPECT_EQ(empty, std::string(16, ' '));

  std::string name = "Acme";
  PadTo16(name);
  EXPECT_EQ(name, "Acme            ");
}

TEST(PadTo16, LeavesSixteenOrMoreUnchanged) {
  std::string full = "0123456789ABCDEF";
  PadTo16(full);
  EXPECT_EQ(full, "0123456789ABCDEF");

  std::string longer = "0123456789ABCDEFG";
  PadTo16(longer);
  EXPECT_EQ(longer, "0123456789ABCDEFG");
}

}  // namespace
}  // namespace orvel
