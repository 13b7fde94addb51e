#pragma once

#include <optional>
#include <string>
#include <string_view>

// Reading text that comes from outside the program (files, command-line arguments) as
// characters, so that each can be checked before it becomes the program's 8-bit text.

namespace orvel {

enum class TextEncoding {
  Utf8,         // strict: malformed, overlong, surrogate and cut-short sequences have no reading
  Windows1252,  // the Western European code page; bytes 0x81, 0x8D, 0x8F, 0x90 and 0x9D have no reading
};

// The characters read up to the first byte that has no reading, and whether every byte
// had one. A fault lies at character characters.size() + 1.
struct DecodedText {
  std::u32string characters;
  bool complete = true;
};

DecodedText DecodeText(std::string_view bytes, TextEncoding encoding);

// The characters of UTF-16 text that follows its byte order mark. A lone surrogate or a
// last byte without its pair has no reading.
DecodedText DecodeUtf16(std::string_view bytes, bool bigEndian);

// The characters of UTF-8 text; nothing when the bytes are not well-formed UTF-8.
std::optional<std::u32string> DecodeUtf8(std::string_view bytes);

}  // namespace orvel
