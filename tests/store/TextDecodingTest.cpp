#include "store/TextDecoding.h"

#include <gtest/gtest.h>

#include "tables/FieldText.h"

namespace orvel {
namespace {

TEST(TextDecoding, Utf8IsReadStrictlyAndEveryCodePointSurvivesTheTrip) {
  for (const char32_t code :
       {0x0u, 0x7Fu, 0x80u, 0xFFu, 0x7FFu, 0x800u, 0xD7FFu, 0xE000u, 0xFFFFu, 0x10000u, 0x10FFFFu}) {
    std::string utf8;
    AppendUtf8(utf8, code);
    EXPECT_EQ(DecodeUtf8(utf8), std::u32string(1, code)) << static_cast<unsigned>(code);
  }
  const struct {
    std::string bytes;
    std::size_t readBeforeFault;
  } malformed[] = {
      {"a\xC0\xAF", 1},         // overlong '/'
      {"ab\xED\xA0\x80", 2},    // surrogate
      {"\xC3", 0},              // cut short at the end
      {"\xE2\x82z", 0},         // cut short by another character
      {"\xC3\xA9\x80", 1},      // stray continuation byte
      {"\xF4\x90\x80\x80", 0},  // past U+10FFFF
  };
  for (const auto& c : malformed) {
    EXPECT_EQ(DecodeUtf8(c.bytes), std::nullopt) << c.bytes;
    const DecodedText decoded = DecodeText(c.bytes, TextEncoding::Utf8);
    EXPECT_FALSE(decoded.complete);
    EXPECT_EQ(decoded.characters.size(), c.readBeforeFault) << c.bytes;
  }
}

TEST(TextDecoding, Windows1252ReadsItsSignsAndStopsAtItsFiveUnassignedBytes) {
  const DecodedText signs = DecodeText("\x80\x8A\x9F\xA0\xFC", TextEncoding::Windows1252);
  EXPECT_TRUE(signs.complete);
  EXPECT_EQ(signs.characters, U"\u20AC\u0160\u0178\u00A0\u00FC");
  for (const char unassigned : {'\x81', '\x8D', '\x8F', '\x90', '\x9D'}) {
    const DecodedText decoded = DecodeText(std::string("ab") + unassigned + "c", TextEncoding::Windows1252);
    EXPECT_FALSE(decoded.complete);
    EXPECT_EQ(decoded.characters, U"ab");
  }
}

}  // namespace
}  // namespace orvel
