#include "store/IdListCsv.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "store/CsvLines.h"
#include "store/StoreSchema.h"
#include "store/TextDecoding.h"
#include "tables/FieldText.h"
#include "tables/TesterText.h"

namespace orvel {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LittleEndianMark = "\xFF\xFE";
constexpr std::string_view kUtf16BigEndianMark = "\xFE\xFF";
constexpr const char* kSlotField = "Slot";
constexpr const char* kExcelTextOpening = "=\"";

std::string Hex(unsigned value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*X", digits, value);
  return text;
}

// Says where in the file a fault lies and why, and stops the import.
class Refusal {
 public:
  explicit Refusal(const std::string& fileName) : fileName_(VisibleText(fileName)) {}

  void NameColumns(std::vector<std::string> names) { columnNames_ = std::move(names); }

  // Column and character count from 1; 0 leaves them out.
  [[noreturn]] void At(int line, int column, int character, const std::string& rule) const {
    Whole(Place(line, column, character) + ": " + rule);
  }

  [[noreturn]] void HeaderInDoubt(int line, const std::string& rule) const {
    throw ECsvHeaderInDoubt(Message(Place(line, 0, 0) + ": " + rule));
  }

  [[noreturn]] void Whole(const std::string& rule) const { throw ECsvRefused(Message(rule)); }

 private:
  std::string Place(int line, int column, int character) const {
    std::string place = "line " + std::to_string(line);
    if (column > 0) {
      place += ", column " + std::to_string(column);
      if (static_cast<std::size_t>(column) <= columnNames_.size()) place += " (" + columnNames_[column - 1] + ")";
    }
    if (character > 0) place += ", character " + std::to_string(character);
    return place;
  }

  std::string Message(const std::string& rule) const {
    return "Cannot import '" + fileName_ + "': " + rule + " Nothing was imported.";
  }

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

std::string SeparatorName(char separator) {
  return separator == ';' ? "semicolons" : separator == '\t' ? "tabs" : "commas";
}

std::string FieldCount(std::size_t count) { return std::to_string(count) + (count == 1 ? " field" : " fields"); }

// Where each column of every line stands, as the header or the first line's field count
// gives it.
struct Layout {
  std::optional<std::size_t> slot;
  std::size_t trailer = 0;
  std::size_t vehicle = 1;
  std::vector<std::string> names;
};

std::optional<Layout> LayoutFor(std::size_t fieldCount) {
  if (fieldCount == 2) return Layout{std::nullopt, 0, 1, {kTrailerIdField, kVehicleIdField}};
  if (fieldCount == 3) return Layout{0, 1, 2, {kSlotField, kTrailerIdField, kVehicleIdField}};
  return std::nullopt;
}

Layout LayoutOf(const CsvLine& line, const Refusal& refusal) {
  if (std::optional<Layout> layout = LayoutFor(line.fields.size())) return *layout;
  refusal.At(line.number, 0, 0,
             "the line has " + FieldCount(line.fields.size()) +
                 "; a line holds two (Trailer ID, Vehicle ID) or three (Slot, Trailer ID, Vehicle ID), separated by "
                 "commas, semicolons or tabs.");
}

std::u32string Trimmed(const std::u32string& text) {
  const std::size_t first = text.find_first_not_of(U" \t");
  if (first == std::u32string::npos) return {};
  return text.substr(first, text.find_last_not_of(U" \t") - first + 1);
}

enum class Column { Slot, Trailer, Vehicle };

// The column a header field names, in any case and with any blanks, hyphens or other
// signs between the words: "Trailer ID", "trailer-id", "Trailer", "Slot No".
std::optional<Column> ColumnNamed(const std::u32string& field) {
  static const std::map<std::string, Column> names{
      {"slot", Column::Slot},          {"slotno", Column::Slot},           {"slotnr", Column::Slot},
      {"slotnumber", Column::Slot},    {"trailer", Column::Trailer},       {"trailerid", Column::Trailer},
      {"trailerno", Column::Trailer},  {"trailernumber", Column::Trailer}, {"vehicle", Column::Vehicle},
      {"vehicleid", Column::Vehicle},  {"vehicleno", Column::Vehicle},    {"vehiclenumber", Column::Vehicle},
  };
  std::string words;
  for (const char32_t c : field) {
    if (c >= 0x80) return std::nullopt;
    if (std::isalnum(static_cast<int>(c))) words += static_cast<char>(std::tolower(static_cast<int>(c)));
  }
  const auto named = names.find(words);
  return named == names.end() ? std::nullopt : std::optional<Column>(named->second);
}

// The layout a header gives: each field names a column, Trailer ID and Vehicle ID both,
// none twice.
std::optional<Layout> HeaderLayout(const std::vector<std::u32string>& fields) {
  if (fields.size() != 2 && fields.size() != 3) return std::nullopt;
  std::map<Column, std::size_t> positions;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const std::optional<Column> column = ColumnNamed(fields[i]);
    if (!column || !positions.emplace(*column, i).second) return std::nullopt;
  }
  if (!positions.contains(Column::Trailer) || !positions.contains(Column::Vehicle)) return std::nullopt;
  Layout layout{std::nullopt, positions[Column::Trailer], positions[Column::Vehicle],
                std::vector<std::string>(fields.size())};
  layout.names[layout.trailer] = kTrailerIdField;
  layout.names[layout.vehicle] = kVehicleIdField;
  if (const auto slot = positions.find(Column::Slot); slot != positions.end()) {
    layout.slot = slot->second;
    layout.names[slot->second] = kSlotField;
  }
  return layout;
}

bool NamesAColumn(const std::vector<std::u32string>& fields) {
  return std::any_of(fields.begin(), fields.end(), [](const std::u32string& field) { return ColumnNamed(field); });
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

// The text of a cell in Excel's text form ="..." (quote marks inside written twice), which
// keeps a spreadsheet from reading it as a number or a formula; other cells as they stand.
std::u32string CellText(const std::u32string& field) {
  if (field.size() < 3 || !field.starts_with(U"=\"") || !field.ends_with(U"\"")) return field;
  std::u32string text;
  for (std::size_t i = 2; i + 1 < field.size(); ++i) {
    if (field[i] == '"' && (i + 2 >= field.size() || field[++i] != '"')) return field;
    text += field[i];
  }
  return text;
}

int SlotNumber(const std::u32string& field, int line, int column, const Refusal& refusal) {
  const std::u32string digits = Trimmed(CellText(field));
  const bool number = !digits.empty() && digits.size() <= 9 &&
                      std::all_of(digits.begin(), digits.end(), [](char32_t c) { return c >= '0' && c <= '9'; });
  int slot = 0;
  if (number) {
    for (const char32_t digit : digits) slot = slot * 10 + static_cast<int>(digit - '0');
  }
  if (!number || slot < 1 || slot > kMostCsvRows) {
    std::string utf8;
    for (const char32_t c : field) AppendUtf8(utf8, c);
    const std::string shown = VisibleText(utf8);
    const std::string range = "a slot number is a whole number from 1 to " + std::to_string(kMostCsvRows) +
                              " (the tester holds slots 1 to " + std::to_string(kTesterSlots) +
                              "; a group may hold more rows).";
    refusal.At(line, column, 0, "'" + shown + "' is not a slot number; " + range);
  }
  return slot;
}

// The ID as the store holds it, checked by the tester's rule.
std::string IdText(const std::u32string& field, int line, int column, const Refusal& refusal) {
  const std::u32string text = CellText(field);
  if (text.size() > kTesterTextWidth) {
    refusal.At(line, column, static_cast<int>(kTesterTextWidth) + 1,
               "an ID holds at most " + std::to_string(kTesterTextWidth) + " characters, and this one has " +
                   std::to_string(text.size()) + ".");
  }
  if (const std::optional<UnfitCharacter> unfit = FirstUnfitCharacter(text)) {
    refusal.At(line, column, unfit->position,
               "an ID cannot hold " + CharacterName(unfit->code) + ": " + UnfitCharacterRule(unfit->code) + ".");
  }
  return EightBitText(text);
}

// A UTF-16 file as UTF-8 text, which the rest of the reading takes.
std::string Utf16AsUtf8(std::string_view bytes, bool bigEndian, const Refusal& refusal) {
  const DecodedText decoded = DecodeUtf16(bytes, bigEndian);
  std::string utf8;
  for (const char32_t c : decoded.characters) AppendUtf8(utf8, c);
  if (!decoded.complete) {
    refusal.At(LineOfOffset(utf8, utf8.size()), 0, 0,
               "the UTF-16 text breaks off after character " + std::to_string(decoded.characters.size()) +
                   " (a lone surrogate or a last byte without its pair). Save the file again and import it again.");
  }
  return utf8;
}

std::string CsvCell(const std::string& id, CsvCells cells) {
  const std::string utf8 = Latin1ToUtf8(id.substr(0, id.find_last_not_of(' ') + 1));
  const bool textForm = !utf8.empty() && (cells == CsvCells::ExcelText || utf8.starts_with(kExcelTextOpening));
  std::string cell = utf8;
  if (textForm) {
    cell = kExcelTextOpening;
    for (const char c : utf8) cell += c == '"' ? std::string("\"\"") : std::string(1, c);
    cell += '"';
    // Excel reads the text form unquoted; quoted, only where a separator or line break needs it.
    if (utf8.find_first_of(",;\r\n") == std::string::npos) return cell;
  } else if (utf8.find_first_of(",;\"\r\n") == std::string::npos) {
    return cell;
  }
  std::string quoted = "\"";
  for (const char c : cell) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

}  // namespace

IdPairs ParseIdListCsv(std::string_view bytes, const std::string& fileName, CsvHeader header) {
  Refusal refusal(fileName);
  std::string fromUtf16;
  bool marked = bytes.starts_with(kUtf8Mark);
  if (marked) {
    bytes.remove_prefix(kUtf8Mark.size());
  } else if (bytes.starts_with(kUtf16LittleEndianMark) || bytes.starts_with(kUtf16BigEndianMark)) {
    fromUtf16 = Utf16AsUtf8(bytes.substr(2), bytes.starts_with(kUtf16BigEndianMark), refusal);
    bytes = fromUtf16;
    marked = true;
  }
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
      if (const std::optional<Layout> guessed = LayoutFor(line.fields.size())) refusal.NameColumns(guessed->names);
      const std::vector<std::u32string> fields = reader.Read(line);
      layout = header == CsvHeader::Absent ? std::nullopt : HeaderLayout(fields);
      const bool named = layout.has_value();
      if (!named) layout = LayoutOf(line, refusal);
      refusal.NameColumns(layout->names);
      if (!named && header == CsvHeader::Detect && NamesAColumn(fields)) {
        refusal.HeaderInDoubt(line.number,
                              "the line names a column, yet it is no header: a header names the columns Trailer "
                              "ID and Vehicle ID, and Slot if the file has it, each once. Correct the header, or "
                              "remove the line if it is not one.");
      }
      if (named || header == CsvHeader::Present) {
        headerLine = line.number;
        emptyLineBeforeRow = 0;
        continue;
      }
    }
    if (line.fields.size() != layout->names.size()) {
      refusal.At(line.number, 0, 0,
                 "the line has " + FieldCount(line.fields.size()) + ", but the first line has " +
                     std::to_string(layout->names.size()) + "; every line holds the same fields, separated by " +
                     SeparatorName(lines.Separator()) + ".");
    }
    if (emptyLineBeforeRow != 0 && !layout->slot) {
      refusal.At(emptyLineBeforeRow, 0, 0,
                 std::string("the line is empty, but more rows follow; rows fill the slots in order, so it would "
                             "move every later row up a slot. Write an empty pair as a separator alone ('") +
                     (lines.Separator() == '\t' ? std::string("a tab") : std::string(1, lines.Separator())) +
                     "') or remove the line.");
    }
    emptyLineBeforeRow = 0;
    if (!layout->slot && rows == kMostCsvRows) {
      refusal.At(line.number, 0, 0, "the file holds more than " + std::to_string(kMostCsvRows) + " rows of IDs.");
    }
    const std::vector<std::u32string> fields = reader.Read(line);
    int slot = rows + 1;
    if (layout->slot) {
      const int column = static_cast<int>(*layout->slot) + 1;
      slot = SlotNumber(fields[*layout->slot], line.number, column, refusal);
      if (const auto taken = lineOfSlot.find(slot); taken != lineOfSlot.end()) {
        refusal.At(line.number, column, 0,
                   "slot " + std::to_string(slot) + " is given twice, on line " + std::to_string(taken->second) +
                       " and here; each slot may be given once.");
      }
      lineOfSlot[slot] = line.number;
    }
    if (static_cast<std::size_t>(slot) > pairs.size()) pairs.resize(slot);
    pairs[slot - 1] = {IdText(fields[layout->trailer], line.number, static_cast<int>(layout->trailer) + 1, refusal),
                       IdText(fields[layout->vehicle], line.number, static_cast<int>(layout->vehicle) + 1, refusal)};
    ++rows;
  }
  if (!layout) refusal.Whole("the file is empty; it holds no rows of IDs.");
  if (rows == 0) refusal.At(headerLine, 0, 0, "the file holds only this header and no rows of IDs.");
  return pairs;
}

std::string IdListCsvText(const IdPairs& pairs, CsvCells cells) {
  std::string text = std::string(kSlotField) + "," + kTrailerIdField + "," + kVehicleIdField + "\r\n";
  for (std::size_t slot = 0; slot < pairs.size(); ++slot) {
    text += std::to_string(slot + 1) + "," + CsvCell(pairs[slot].trailer, cells) + "," +
            CsvCell(pairs[slot].vehicle, cells) + "\r\n";
  }
  return text;
}

}  // namespace orvel
