#include "store/IdListCsv.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "store/CsvLines.h"
#include "store/IdCharacters.h"
#include "store/StoreSchema.h"
#include "store/TextDecoding.h"
#include "tables/FieldText.h"

namespace orvel {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr const char* kSlotField = "Slot";
constexpr const char* kHeaderAdvice = "'Slot,Trailer ID,Vehicle ID' or 'Trailer ID,Vehicle ID', in this order";

std::string Hex(unsigned value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*X", digits, value);
  return text;
}

std::string CharacterNote(char32_t character) {
  const std::string code = "U+" + Hex(static_cast<unsigned>(character), 4);
  if (character == '\t') return "a tab (" + code + ")";
  if (character < 0x20 || (character >= 0x7F && character <= 0x9F)) return "a control character (" + code + ")";
  std::string glyph;
  AppendUtf8(glyph, character);
  return "'" + glyph + "' (" + code + ")";
}

// Says where in the file a fault lies and why, and stops the import.
class Refusal {
 public:
  explicit Refusal(std::string fileName) : fileName_(std::move(fileName)) {}

  void NameColumns(std::vector<std::string> names) { columnNames_ = std::move(names); }

  // Column and character count from 1; 0 leaves them out.
  [[noreturn]] void At(int line, int column, int character, const std::string& rule) const {
    std::string place = "line " + std::to_string(line);
    if (column > 0) {
      place += ", column " + std::to_string(column);
      if (static_cast<std::size_t>(column) <= columnNames_.size()) place += " (" + columnNames_[column - 1] + ")";
    }
    if (character > 0) place += ", character " + std::to_string(character);
    Whole(place + ": " + rule);
  }

  [[noreturn]] void Whole(const std::string& rule) const {
    throw ECsvRefused("Cannot import '" + fileName_ + "': " + rule + " Nothing was imported.");
  }

 private:
  std::string fileName_;
  std::vector<std::string> columnNames_;
};

int LineOfOffset(std::string_view text, std::size_t offset) {
  int line = 1;
  for (std::size_t i = 0; i < offset; ++i) line += text[i] == '\n' ? 1 : 0;
  return line;
}

// Decides how the file's bytes are read: as UTF-8 when they are UTF-8 throughout (or
// the file says so with its mark), else as Windows-1252. A file that is UTF-8 in part
// is neither: read either way, some of its characters would come out as others.
TextEncoding EncodingOf(std::string_view text, bool marked, const Refusal& refusal) {
  if (marked) return TextEncoding::Utf8;
  std::optional<std::size_t> firstMultibyte;
  for (std::size_t offset = 0; offset < text.size();) {
    const Utf8Character character = DecodeUtf8Character(text.substr(offset));
    if (character.length == 0) {
      if (firstMultibyte) {
        refusal.At(LineOfOffset(text, offset), 0, 0,
                   "byte 0x" + Hex(static_cast<unsigned char>(text[offset]), 2) + " is not UTF-8, yet line " +
                       std::to_string(LineOfOffset(text, *firstMultibyte)) +
                       " holds UTF-8 text. The file mixes two encodings, so its characters cannot be read with "
                       "certainty; save it again as UTF-8 and import it again.");
      }
      return TextEncoding::Windows1252;
    }
    if (character.length > 1 && !firstMultibyte) firstMultibyte = offset;
    offset += character.length;
  }
  return TextEncoding::Utf8;
}

std::string SeparatorName(char separator) { return separator == ';' ? "semicolons" : "commas"; }

// The columns of every line, as the first line that holds anything gives them.
struct Layout {
  bool hasSlot = false;
  std::vector<std::string> names;
};

std::optional<Layout> LayoutFor(std::size_t fieldCount) {
  if (fieldCount == 2) return Layout{false, {kTrailerIdField, kVehicleIdField}};
  if (fieldCount == 3) return Layout{true, {kSlotField, kTrailerIdField, kVehicleIdField}};
  return std::nullopt;
}

Layout LayoutOf(const CsvLine& line, const Refusal& refusal) {
  if (std::optional<Layout> layout = LayoutFor(line.fields.size())) return *layout;
  refusal.At(line.number, 0, 0,
             "the line has " + std::to_string(line.fields.size()) + (line.fields.size() == 1 ? " field" : " fields") +
                 "; a line holds two (Trailer ID, Vehicle ID) or three (Slot, Trailer ID, Vehicle ID), separated by "
                 "commas or by semicolons.");
}

std::u32string Trimmed(const std::u32string& text) {
  const std::size_t first = text.find_first_not_of(U" \t");
  if (first == std::u32string::npos) return {};
  return text.substr(first, text.find_last_not_of(U" \t") - first + 1);
}

bool NamesColumn(const std::u32string& field, const std::string& name) {
  const std::u32string trimmed = Trimmed(field);
  return trimmed.size() == name.size() && EqualIgnoringAsciiCase(std::string(trimmed.begin(), trimmed.end()), name) &&
         std::all_of(trimmed.begin(), trimmed.end(), [](char32_t c) { return c < 0x80; });
}

// Whether the line is the header. A line that names a column without being the header
// (columns swapped, one missing) is refused: read as IDs, it would fill a slot with
// column names and leave every row's IDs in doubt.
bool IsHeader(const CsvLine& line, const std::vector<std::u32string>& fields, const Layout& layout,
              const Refusal& refusal) {
  bool all = true;
  bool any = false;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    all = all && NamesColumn(fields[i], layout.names[i]);
    for (const char* name : {kSlotField, kTrailerIdField, kVehicleIdField}) any = any || NamesColumn(fields[i], name);
  }
  if (any && !all) {
    refusal.At(line.number, 0, 0, std::string("the line looks like a header, but a header is ") + kHeaderAdvice + ".");
  }
  return all;
}

// Reads every field of a line as characters, in the file's encoding.
class FieldReader {
 public:
  FieldReader(TextEncoding encoding, bool marked, const Refusal& refusal)
      : encoding_(encoding), marked_(marked), refusal_(refusal) {}

  std::vector<std::u32string> Read(const CsvLine& line) const {
    std::vector<std::u32string> fields;
    for (std::size_t i = 0; i < line.fields.size(); ++i) {
      const std::string& bytes = line.fields[i];
      DecodedText decoded = DecodeText(bytes, encoding_);
      if (!decoded.complete) Refuse(line.number, static_cast<int>(i) + 1, bytes, decoded.characters);
      fields.push_back(std::move(decoded.characters));
    }
    return fields;
  }

 private:
  [[noreturn]] void Refuse(int line, int column, const std::string& bytes, const std::u32string& before) const {
    std::string readBytes;
    for (const char32_t c : before) {
      if (encoding_ == TextEncoding::Utf8) {
        AppendUtf8(readBytes, c);
      } else {
        readBytes += '?';
      }
    }
    const std::string byte = "byte 0x" + Hex(static_cast<unsigned char>(bytes[readBytes.size()]), 2);
    const int character = static_cast<int>(before.size()) + 1;
    if (marked_) {
      refusal_.At(line, column, character,
                  byte +
                      " is not UTF-8, though the file begins with the UTF-8 byte order mark. Save the file "
                      "again as UTF-8 and import it again.");
    }
    refusal_.At(line, column, character,
                byte + " is neither UTF-8 nor Windows-1252 text. Save the file again as UTF-8 and import it again.");
  }

  TextEncoding encoding_;
  bool marked_;
  const Refusal& refusal_;
};

int SlotNumber(const std::u32string& field, int line, int column, const Refusal& refusal) {
  const std::u32string digits = Trimmed(field);
  const bool number = !digits.empty() && digits.size() <= 9 &&
                      std::all_of(digits.begin(), digits.end(), [](char32_t c) { return c >= '0' && c <= '9'; });
  int slot = 0;
  if (number) {
    for (const char32_t digit : digits) slot = slot * 10 + static_cast<int>(digit - '0');
  }
  if (!number || slot < 1 || slot > kTesterSlots) {
    std::string shown;
    for (const char32_t c : field) AppendUtf8(shown, c);
    refusal.At(line, column, 0,
               "'" + shown + "' is not a slot number; a slot number is a whole number from 1 to " +
                   std::to_string(kTesterSlots) + ".");
  }
  return slot;
}

// The ID as the store holds it, checked by the grid's rules.
std::string IdText(const std::u32string& field, int line, int column, const Refusal& refusal) {
  std::string id;
  for (std::size_t i = 0; i < field.size(); ++i) {
    const int character = static_cast<int>(i) + 1;
    if (i == static_cast<std::size_t>(kIdWidth)) {
      refusal.At(line, column, character,
                 "an ID holds at most " + std::to_string(kIdWidth) + " characters, and this one has " +
                     std::to_string(field.size()) + ".");
    }
    if (const char* rule = IdCharacterRefusal(field[i])) {
      refusal.At(line, column, character, "an ID cannot hold " + CharacterNote(field[i]) + ". " + rule + ".");
    }
    id += static_cast<char>(field[i]);
  }
  return id;
}

}  // namespace

IdPairs ParseIdListCsv(std::string_view bytes, const std::string& fileName) {
  Refusal refusal(fileName);
  const bool marked = bytes.starts_with(kUtf8Mark);
  if (marked) bytes.remove_prefix(kUtf8Mark.size());
  const TextEncoding encoding = EncodingOf(bytes, marked, refusal);
  const FieldReader reader(encoding, marked, refusal);
  CsvLines lines(bytes, CsvSeparatorOf(bytes), encoding);

  IdPairs pairs(kTesterSlots);
  std::optional<Layout> layout;
  int headerLine = 0;
  int rows = 0;
  int emptyLineBeforeRow = 0;
  std::map<int, int> lineOfSlot;
  CsvLine line;
  while (lines.Next(line)) {
    if (line.empty) {
      if (emptyLineBeforeRow == 0) emptyLineBeforeRow = line.number;
      continue;
    }
    if (line.fault) {
      const std::optional<Layout> guessed = layout ? layout : LayoutFor(line.fields.size());
      if (guessed) refusal.NameColumns(guessed->names);
      refusal.At(line.number, line.fault->column, line.fault->character, line.fault->rule);
    }
    if (!layout) {
      layout = LayoutOf(line, refusal);
      refusal.NameColumns(layout->names);
      if (IsHeader(line, reader.Read(line), *layout, refusal)) {
        headerLine = line.number;
        emptyLineBeforeRow = 0;
        continue;
      }
    }
    if (line.fields.size() != layout->names.size()) {
      refusal.At(line.number, 0, 0,
                 "the line has " + std::to_string(line.fields.size()) + " fields, but the first line has " +
                     std::to_string(layout->names.size()) + "; every line holds the same fields, separated by " +
                     SeparatorName(lines.Separator()) + ".");
    }
    if (emptyLineBeforeRow != 0 && !layout->hasSlot) {
      refusal.At(emptyLineBeforeRow, 0, 0,
                 std::string("the line is empty, but more rows follow; rows fill the slots in order, so it would "
                             "move every later row up a slot. Write an empty pair as a separator alone ('") +
                     lines.Separator() + "') or remove the line.");
    }
    emptyLineBeforeRow = 0;
    if (!layout->hasSlot && rows == kTesterSlots) {
      refusal.At(line.number, 0, 0,
                 "the file holds more than " + std::to_string(kTesterSlots) + " rows of IDs, and the tester has " +
                     std::to_string(kTesterSlots) + " slots.");
    }
    const std::vector<std::u32string> fields = reader.Read(line);
    const int idColumn = layout->hasSlot ? 1 : 0;
    int slot = rows + 1;
    if (layout->hasSlot) {
      slot = SlotNumber(fields[0], line.number, 1, refusal);
      if (const auto taken = lineOfSlot.find(slot); taken != lineOfSlot.end()) {
        refusal.At(line.number, 1, 0,
                   "slot " + std::to_string(slot) + " is given twice, on line " + std::to_string(taken->second) +
                       " and here; each slot may be given once.");
      }
      lineOfSlot[slot] = line.number;
    }
    pairs[slot - 1] = {IdText(fields[idColumn], line.number, idColumn + 1, refusal),
                       IdText(fields[idColumn + 1], line.number, idColumn + 2, refusal)};
    ++rows;
  }
  if (!layout) refusal.Whole("the file is empty; it holds no rows of IDs.");
  if (rows == 0) refusal.At(headerLine, 0, 0, "the file holds only this header and no rows of IDs.");
  return pairs;
}

std::string IdListCsvText(const IdPairs& pairs) {
  const auto field = [](const std::string& id) {
    const std::string utf8 = Latin1ToUtf8(id.substr(0, id.find_last_not_of(' ') + 1));
    if (utf8.find_first_of(",;\"\r\n") == std::string::npos) return utf8;
    std::string quoted = "\"";
    for (const char c : utf8) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
  };
  std::string text = std::string(kSlotField) + "," + kTrailerIdField + "," + kVehicleIdField + "\r\n";
  for (std::size_t slot = 0; slot < pairs.size(); ++slot) {
    text += std::to_string(slot + 1) + "," + field(pairs[slot].trailer) + "," + field(pairs[slot].vehicle) + "\r\n";
  }
  return text;
}

}  // namespace orvel
