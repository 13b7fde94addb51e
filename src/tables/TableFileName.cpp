#include "tables/TableFileName.h"

#include <array>
#include <cstdint>
#include <string_view>

#include "tables/EDatabaseError.h"
#include "tables/FieldText.h"

namespace orvel {
namespace {

constexpr std::string_view kOtherNameSuffix = ".tbl.db";
constexpr std::string_view kDbSuffix = ".db";
constexpr std::string_view kHexDigits = "0123456789ABCDEF";

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
}

bool IsDbName(std::string_view name) {
  return name.size() > kDbSuffix.size() &&
         EqualIgnoringAsciiCase(name.substr(name.size() - kDbSuffix.size()), kDbSuffix);
}

// Length of the Windows device name that text starts with, or 0.
std::size_t DeviceNameLength(std::string_view text) {
  static constexpr std::array<std::string_view, 6> kPlain = {"CONIN$", "CONOUT$", "CON", "PRN", "AUX", "NUL"};
  for (const std::string_view device : kPlain) {
    if (StartsWithIgnoringCase(text, device)) return device.size();
  }
  for (const std::string_view numbered : {std::string_view("COM"), std::string_view("LPT")}) {
    const bool digitFollows =
        text.size() > numbered.size() && text[numbered.size()] >= '0' && text[numbered.size()] <= '9';
    if (StartsWithIgnoringCase(text, numbered) && digitFollows) return numbered.size() + 1;
  }
  return 0;
}

// Windows opens the device instead of a file when the name is a device name alone or
// before a '.', and it ignores blanks before that '.'.
bool StartsAsDeviceName(std::string_view text) {
  const std::size_t length = DeviceNameLength(text);
  if (length == 0) return false;
  const std::size_t rest = text.find_first_not_of(' ', length);
  return rest == std::string_view::npos || text[rest] == '.';
}

bool NeverInFileNames(unsigned char c) {
  static constexpr std::string_view kForbidden = "/\\:*?\"<>|%";
  return c < 32 || c >= 127 || kForbidden.find(static_cast<char>(c)) != std::string_view::npos;
}

// On a file system that ignores case, an upper-case letter is escaped so that names that
// differ only in case keep files of their own.
std::string Encode(std::string_view text, bool escapeEveryDot, bool escapeUpperCase) {
  const bool device = StartsAsDeviceName(text);
  std::string encoded;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    const bool first = i == 0;
    const bool last = i + 1 == text.size();
    const bool escape = NeverInFileNames(c) || (first && (c == '.' || device)) || (last && (c == ' ' || c == '.')) ||
                        (escapeEveryDot && c == '.') || (escapeUpperCase && c >= 'A' && c <= 'Z');
    if (escape) {
      encoded += '%';
      encoded += kHexDigits[c >> 4];
      encoded += kHexDigits[c & 0x0F];
    } else {
      encoded += static_cast<char>(c);
    }
  }
  return encoded;
}

std::uint64_t Fnv1a64(std::string_view text) {
  std::uint64_t hash = 14695981039346656037ULL;
  for (const char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ULL;
  }
  return hash;
}

// Cut where no %XX is split; the hash keeps names that share the kept part apart.
std::string Shortened(std::string encoded, std::string_view wholeName, std::size_t longestEncoding) {
  if (encoded.size() <= longestEncoding) return encoded;
  std::size_t cut = longestEncoding;
  if (encoded[cut - 1] == '%') {
    cut -= 1;
  } else if (encoded[cut - 2] == '%') {
    cut -= 2;
  }
  encoded.resize(cut);
  encoded += '~';
  const std::uint64_t hash = Fnv1a64(wholeName);
  for (int shift = 60; shift >= 0; shift -= 4) encoded += kHexDigits[(hash >> shift) & 0x0F];
  return encoded;
}

int HexValue(char c) {
  const std::size_t digit = kHexDigits.find(c);
  return digit == std::string_view::npos ? -1 : static_cast<int>(digit);
}

std::optional<std::string> Decode(std::string_view encoded) {
  std::string decoded;
  for (std::size_t i = 0; i < encoded.size(); ++i) {
    if (encoded[i] != '%') {
      decoded += encoded[i];
      continue;
    }
    if (i + 2 >= encoded.size()) return std::nullopt;
    const int high = HexValue(encoded[i + 1]);
    const int low = HexValue(encoded[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    decoded += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return decoded;
}

bool EndsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

}  // namespace

std::string TableFileName(const std::string& tableName, const FileNameRules& rules) {
  if (tableName.empty()) throw EDatabaseError("No table name");
  const std::string_view name = tableName;
  // A name ending in ".db" is the file's own name, letter case included, so that a search
  // for it finds it whichever way the file system compares names.
  if (IsDbName(name)) {
    const std::string_view stem = name.substr(0, name.size() - kDbSuffix.size());
    return Shortened(Encode(stem, true, false), name, rules.longestEncoding) + std::string(name.substr(stem.size()));
  }
  return Shortened(Encode(name, false, rules.ignoresCase), name, rules.longestEncoding) + std::string(kOtherNameSuffix);
}

std::optional<std::string> TableNameOfFile(const std::string& fileName, const FileNameRules& rules) {
  const std::string_view file = fileName;
  std::optional<std::string> name;
  if (EndsWith(file, kOtherNameSuffix)) {
    name = Decode(file.substr(0, file.size() - kOtherNameSuffix.size()));
  } else if (IsDbName(file)) {
    const std::string_view suffix = file.substr(file.size() - kDbSuffix.size());
    name = Decode(file.substr(0, file.size() - kDbSuffix.size()));
    if (name) *name += suffix;
  }
  // Only the canonical spelling counts, so each table has exactly one file name.
  if (!name || name->empty() || TableFileName(*name, rules) != fileName) return std::nullopt;
  return name;
}

}  // namespace orvel
