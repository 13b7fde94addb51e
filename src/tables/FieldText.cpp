#include "tables/FieldText.h"

#include <algorithm>
#include <cstddef>

namespace orvel {
namespace {

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

Utf8Character DecodeUtf8Character(std::string_view utf8) {
  if (utf8.empty()) return {};
  const auto lead = static_cast<unsigned char>(utf8.front());
  if (lead < 0x80) return {lead, 1};

  std::size_t length = 0;
  char32_t codePoint = 0;
  char32_t smallest = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, codePoint = lead & 0x1Fu, smallest = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, codePoint = lead & 0x0Fu, smallest = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, codePoint = lead & 0x07u, smallest = 0x10000;
  } else {
    return {};
  }
  if (utf8.size() < length) return {};
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(utf8[i]);
    if ((next & 0xC0) != 0x80) return {};
    codePoint = (codePoint << 6) | (next & 0x3Fu);
  }
  const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
  if (codePoint < smallest || codePoint > 0x10FFFF || surrogate) return {};
  return {codePoint, length};
}

void AppendUtf8(std::string& utf8, char32_t codePoint) {
  const auto unit = [](char32_t bits) { return static_cast<char>(bits); };
  if (codePoint < 0x80) {
    utf8 += unit(codePoint);
  } else if (codePoint < 0x800) {
    utf8 += unit(0xC0 | (codePoint >> 6));
    utf8 += unit(0x80 | (codePoint & 0x3F));
  } else if (codePoint < 0x10000) {
    utf8 += unit(0xE0 | (codePoint >> 12));
    utf8 += unit(0x80 | ((codePoint >> 6) & 0x3F));
    utf8 += unit(0x80 | (codePoint & 0x3F));
  } else {
    utf8 += unit(0xF0 | (codePoint >> 18));
    utf8 += unit(0x80 | ((codePoint >> 12) & 0x3F));
    utf8 += unit(0x80 | ((codePoint >> 6) & 0x3F));
    utf8 += unit(0x80 | (codePoint & 0x3F));
  }
}

std::string Latin1ToUtf8(std::string_view latin1) {
  std::string utf8;
  utf8.reserve(latin1.size());
  for (const char c : latin1) AppendUtf8(utf8, static_cast<unsigned char>(c));
  return utf8;
}

std::string Utf8ToLatin1(std::string_view utf8) {
  std::string latin1;
  latin1.reserve(utf8.size());
  while (!utf8.empty()) {
    const Utf8Character decoded = DecodeUtf8Character(utf8);
    const bool representable = decoded.length > 0 && decoded.codePoint <= 0xFF;
    latin1 += representable ? static_cast<char>(decoded.codePoint) : '?';
    utf8.remove_prefix(decoded.length > 0 ? decoded.length : 1);
  }
  return latin1;
}

std::string FitToField(std::string_view text, int width) {
  text = text.substr(0, text.find('\0'));
  return std::string(text.substr(0, width > 0 ? static_cast<std::size_t>(width) : 0));
}

}  // namespace orvel
