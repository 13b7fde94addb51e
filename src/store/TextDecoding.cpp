#include "store/TextDecoding.h"

#include <array>
#include <utility>

#include "tables/FieldText.h"

namespace orvel {
namespace {

constexpr char32_t kNoReading = 0;

// Windows-1252 differs from Latin-1 only in 0x80-0x9F, where it holds printable signs
// instead of control codes, and leaves five codes unassigned.
constexpr std::array<char32_t, 32> kWindows1252High = {
    0x20AC,     kNoReading, 0x201A, 0x0192, 0x201E, 0x2026,     0x2020, 0x2021,  // 0x80
    0x02C6,     0x2030,     0x0160, 0x2039, 0x0152, kNoReading, 0x017D, kNoReading,
    kNoReading, 0x2018,     0x2019, 0x201C, 0x201D, 0x2022,     0x2013, 0x2014,  // 0x90
    0x02DC,     0x2122,     0x0161, 0x203A, 0x0153, kNoReading, 0x017E, 0x0178,
};

DecodedText DecodeWindows1252(std::string_view bytes) {
  DecodedText decoded;
  decoded.characters.reserve(bytes.size());
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    const bool high = byte >= 0x80 && byte <= 0x9F;
    const char32_t character = high ? kWindows1252High[byte - 0x80] : byte;
    if (high && character == kNoReading) {
      decoded.complete = false;
      break;
    }
    decoded.characters += character;
  }
  return decoded;
}

DecodedText DecodeUtf8Text(std::string_view bytes) {
  DecodedText decoded;
  decoded.characters.reserve(bytes.size());
  while (!bytes.empty()) {
    const Utf8Character character = DecodeUtf8Character(bytes);
    if (character.length == 0) {
      decoded.complete = false;
      break;
    }
    decoded.characters += character.codePoint;
    bytes.remove_prefix(character.length);
  }
  return decoded;
}

}  // namespace

DecodedText DecodeUtf16(std::string_view bytes, bool bigEndian) {
  const auto unitAt = [&](std::size_t at) {
    const auto first = static_cast<unsigned char>(bytes[at]);
    const auto second = static_cast<unsigned char>(bytes[at + 1]);
    return static_cast<char32_t>(bigEndian ? first << 8 | second : second << 8 | first);
  };
  const auto isHigh = [](char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; };
  const auto isLow = [](char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; };
  DecodedText decoded;
  decoded.characters.reserve(bytes.size() / 2);
  std::size_t at = 0;
  for (; at + 1 < bytes.size(); at += 2) {
    const char32_t unit = unitAt(at);
    if (isHigh(unit) && at + 3 < bytes.size() && isLow(unitAt(at + 2))) {
      decoded.characters += 0x10000 + ((unit - 0xD800) << 10) + (unitAt(at + 2) - 0xDC00);
      at += 2;
    } else if (isHigh(unit) || isLow(unit)) {
      decoded.complete = false;
      return decoded;
    } else {
      decoded.characters += unit;
    }
  }
  decoded.complete = at == bytes.size();
  return decoded;
}

DecodedText DecodeText(std::string_view bytes, TextEncoding encoding) {
  return encoding == TextEncoding::Utf8 ? DecodeUtf8Text(bytes) : DecodeWindows1252(bytes);
}

std::optional<std::u32string> DecodeUtf8(std::string_view bytes) {
  DecodedText decoded = DecodeUtf8Text(bytes);
  if (!decoded.complete) return std::nullopt;
  return std::move(decoded.characters);
}

}  // namespace orvel
