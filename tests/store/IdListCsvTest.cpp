#include "store/IdListCsv.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "TempFolder.h"
#include "tables/TesterText.h"

namespace orvel {
namespace {

namespace fs = std::filesystem;

std::string Refusal(std::string_view bytes) {
  try {
    ParseIdListCsv(bytes, "list.csv");
  } catch (const ECsvRefused& refused) {
    return refused.what();
  }
  return "no refusal";
}

// As spreadsheets save "Unicode text": little-endian, with the byte order mark.
std::string Utf16(std::u16string_view text) {
  std::string bytes = "\xFF\xFE";
  for (const char16_t unit : text) bytes += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
  return bytes;
}

std::string Repeated(const std::string& line, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += line;
  return text;
}

TEST(IdListCsv, RefusesEveryFaultNamingWhereItLiesAndTheRuleItBreaks) {
  const struct {
    std::string bytes;
    std::string place;  // as the message has it, up to the rule
    std::string rule;
  } cases[] = {
      {"", "", "the file is empty"},
      {"\r\n\r\n", "", "the file is empty"},
      {"Slot,Trailer ID,Vehicle ID\r\n", "line 1", "holds only this header"},
      {Repeated("A,B\n", 100001), "line 100001", "more than 100000 rows of IDs"},
      {"Slot,Trailer ID,Vehicle ID\n1,ABCDEFGHIJKLMNOPQ,X\n", "line 2, column 2 (Trailer ID), character 17",
       "at most 16 characters, and this one has 17"},
      {"A\tB,C\n", "line 1, column 1 (Trailer ID), character 2",
       "an ID cannot hold a tab (U+0009): control characters cannot be stored."},
      {"A,B\x01\n", "line 1, column 2 (Vehicle ID), character 2", "a control character (U+0001)"},
      {"A,B\nC,D\xC2\x9B\n", "line 2, column 2 (Vehicle ID), character 2", "a control character (U+009B)"},
      {"A,B\nC\n", "line 2", "the line has 1 field, but the first line has 2"},
      {Utf16(u"A,B\r\n") + std::string("\x00\xD8", 2), "line 2", "the UTF-16 text breaks off after character 5"},
      {"Trailer,Number plate\nA,B\n", "line 1", "names a column, yet it is no header"},
      {std::string("\xFE\xFF\xD8\x3D\xDE\x9A\0,\0X", 10), "line 1, column 1 (Trailer ID), character 1", "U+1F69A"},
      {"A,\xE2\x82\xAC\n", "line 1, column 2 (Vehicle ID), character 1",
       "cannot hold the character U+20AC: the tester's character set has no such character"},
      {"A,B\nC\x81,D\n", "line 2, column 1 (Trailer ID), character 2",
       "byte 0x81 is neither UTF-8 nor Windows-1252 text"},
      {"\xEF\xBB\xBF"
       "A,B\xFC\n",
       "line 1, column 2 (Vehicle ID), character 2",
       "not UTF-8, though the file begins with the UTF-8 byte order mark"},
      {"M\xC3\xBCller,B\nX\xFC,C\n", "line 2", "byte 0xFC is not UTF-8, yet line 1 holds UTF-8 text"},
      {"A,\"B\r\nC\"\n", "line 1, column 2 (Vehicle ID), character 2", "quoted field holds a line break"},
      {"1,A,B\r\n2,\"B\nC\",D\n", "line 2, column 2 (Trailer ID), character 2", "quoted field holds a line break"},
      {"A,\"B", "line 1, column 2 (Vehicle ID)", "has no closing quote mark"},
      {"\"A\"x,B\n", "line 1, column 1 (Trailer ID), character 2", "text follows the closing quote mark"},
      {"A,B\nC,D,E\n", "line 2", "has 3 fields, but the first line has 2"},
      {"A;B;C;D\n", "line 1", "has 4 fields; a line holds two"},
      {"A,B\n\nC,D\n", "line 2", "is empty, but more rows follow"},
      {"\nA,B\n", "line 1", "is empty, but more rows follow"},
      {"1,A,B\n2,C,D\n01,E,F\n", "line 3, column 1 (Slot)", "slot 1 is given twice, on line 1 and here"},
      {"Slot,Trailer ID,Vehicle ID\n0,A,B\n", "line 2, column 1 (Slot)", "'0' is not a slot number"},
      {"Slot,Trailer ID,Vehicle ID\n\x1B]0;x\x07,A,B\n", "line 2, column 1 (Slot)", "'\\x1B]0;x\\x07' is not"},
      {"Slot,Trailer ID,Vehicle ID\n,A,B\n", "line 2, column 1 (Slot)", "'' is not a slot number"},
  };
  for (const auto& c : cases) {
    const std::string message = Refusal(c.bytes);
    const std::string lead = "Cannot import 'list.csv': " + c.place + (c.place.empty() ? "" : ": ");
    EXPECT_EQ(message.rfind(lead, 0), 0u) << message;
    EXPECT_NE(message.find(c.rule), std::string::npos) << message;
    EXPECT_TRUE(message.ends_with(" Nothing was imported.")) << message;
  }
}

TEST(IdListCsv, ReadsEveryFormSpreadsheetsWriteIntoTheRightSlots) {
  const auto pairs = [](std::initializer_list<std::pair<int, IdPair>> filled, std::size_t rows = 32) {
    IdPairs expected(rows);
    for (const auto& [slot, pair] : filled) expected[slot - 1] = pair;
    return expected;
  };
  const struct {
    std::string bytes;
    IdPairs expected;
    CsvHeader header = CsvHeader::Detect;
  } cases[] = {
      {"A1,B1\nA2,B2", pairs({{1, {"A1", "B1"}}, {2, {"A2", "B2"}}})},
      {"\xEF\xBB\xBF trailer id ;VEHICLE ID\r\nA1;B1\r\n;\r\nA3;B3\r\n\r\n\r\n",
       pairs({{1, {"A1", "B1"}}, {3, {"A3", "B3"}}})},
      // A sorted sheet: every row keeps the slot it names; blank lines carry nothing.
      {"Slot;Trailer ID;Vehicle ID\n32;LAST;z\n\n 5 ;E;\n2;;b\n",
       pairs({{2, {"", "b"}}, {5, {"E", ""}}, {32, {"LAST", "z"}}})},
      {"7,G,g\n", pairs({{7, {"G", "g"}}})},
      {"M\xFCller,\xC9TAT-1\n", pairs({{1, {"M\xFCller", "\xC9TAT-1"}}})},
      {"M\xC3\xBCller,\xC3\x89TAT-1\n", pairs({{1, {"M\xFCller", "\xC9TAT-1"}}})},
      {"\"A 1\",\"\"\n A ,B \n", pairs({{1, {"A 1", ""}}, {2, {" A ", "B "}}})},
      // Headers in other words, columns in any order; tabs as "text" files have them.
      {"Trailer-ID , vehicle_id\nA1,B1\n", pairs({{1, {"A1", "B1"}}})},
      {"Vehicle\tTRAILER\r\nV1\tT1\r\n", pairs({{1, {"T1", "V1"}}})},
      {"Trailer,Vehicle\nA,B\n", pairs({{1, {"Trailer", "Vehicle"}}, {2, {"A", "B"}}}), CsvHeader::Absent},
      {"T,V\nA,B\n", pairs({{1, {"A", "B"}}}), CsvHeader::Present},
      {Utf16(u"Slot No;Trailer ID;Vehicle ID\r\n2;M\u00FCller;AB.12/3#\r\n"), pairs({{2, {"M\xFCller", "AB.12/3#"}}})},
      // Excel's text form, and formula-like IDs taken as they stand.
      {"=\"00123\",\"=\"\"A,B\"\"\"\n=1+1,@SUM(1)\n", pairs({{1, {"00123", "A,B"}}, {2, {"=1+1", "@SUM(1)"}}})},
      // A group may hold more rows than the tester has slots.
      {Repeated("A,B\n", 33), IdPairs(33, {"A", "B"})},
      {"40,A,B\n", pairs({{40, {"A", "B"}}}, 40)},
  };
  for (const auto& c : cases) {
    try {
      EXPECT_EQ(ParseIdListCsv(c.bytes, "list.csv", c.header), c.expected) << c.bytes;
    } catch (const ECsvRefused& refused) {
      ADD_FAILURE() << c.bytes << ": " << refused.what();
    }
  }
}

TEST(IdListCsv, WrittenTextIsReadBackAsTheSamePairs) {
  EXPECT_EQ(IdListCsvText({{"AB  ", "x\"y"}, {"M\xFC", "=\"1\""}}),
            "Slot,Trailer ID,Vehicle ID\r\n1,AB,\"x\"\"y\"\r\n2,M\xC3\xBC,=\"=\"\"1\"\"\"\r\n");
  EXPECT_EQ(IdListCsvText({{"00123", ""}, {"A,B", "x\"y"}}, CsvCells::ExcelText),
            "Slot,Trailer ID,Vehicle ID\r\n1,=\"00123\",\r\n2,\"=\"\"A,B\"\"\",=\"x\"\"y\"\r\n");

  // IDs of every character the tester can hold, from a fixed seed, in groups of up to 40 rows.
  std::string allowed;
  for (int code = 0; code < 256; ++code) {
    if (IsTesterCharacter(static_cast<char32_t>(code))) allowed += static_cast<char>(code);
  }
  std::mt19937 random(20261207);
  const auto id = [&] {
    std::string text(random() % 17, ' ');
    for (char& c : text) c = allowed[random() % allowed.size()];
    return text;
  };
  for (int run = 0; run < 200; ++run) {
    IdPairs pairs(random() % 40 + 1);
    for (IdPair& pair : pairs) pair = {id(), id()};
    IdPairs expected = pairs;
    expected.resize(std::max<std::size_t>(32, pairs.size()));
    for (IdPair& pair : expected) {
      for (std::string* text : {&pair.trailer, &pair.vehicle}) text->erase(text->find_last_not_of(' ') + 1);
    }
    for (const CsvCells cells : {CsvCells::Plain, CsvCells::ExcelText}) {
      const std::string text = IdListCsvText(pairs, cells);
      ASSERT_EQ(ParseIdListCsv(text, "list.csv"), expected) << text;
    }
  }
}

class IdListCsvFile : public ::testing::Test {
 protected:
  static std::string Content(const fs::path& file) {
    std::ostringstream text;
    text << std::ifstream(file, std::ios::binary).rdbuf();
    return text.str();
  }
  std::vector<std::string> Listing() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(temp.Path())) names.push_back(entry.path().filename().string());
    return names;
  }

  testing::TempFolder temp;
  const IdPairs pairs{{"A1", "B1"}};
};

TEST_F(IdListCsvFile, WritingKeepsAnExistingFileUnlessToldAndLeavesNoTemporaryFile) {
  const fs::path file = temp / "list.csv";
  WriteIdListCsvFile(file, pairs, false);
  EXPECT_EQ(Content(file), IdListCsvText(pairs));
  try {
    WriteIdListCsvFile(file, {{"OTHER", ""}}, false);
    ADD_FAILURE() << "an existing file was replaced";
  } catch (const EFileExists& exists) {
    EXPECT_EQ(std::string(exists.what()), "'" + file.string() + "' already exists; it was left as it is.");
  }
  EXPECT_EQ(Content(file), IdListCsvText(pairs));
  WriteIdListCsvFile(file, {{"OTHER", ""}}, true);
  EXPECT_EQ(ReadIdListCsvFile(file)[0], (IdPair{"OTHER", ""}));
  EXPECT_EQ(Listing(), std::vector<std::string>{"list.csv"});

  // A folder in the file's place cannot be replaced: the rename fails after the text was written.
  fs::remove(file);
  fs::create_directories(file / "inside");
  EXPECT_THROW(WriteIdListCsvFile(file, pairs, true), std::runtime_error);
  EXPECT_EQ(Listing(), std::vector<std::string>{"list.csv"});
  EXPECT_TRUE(fs::is_directory(file / "inside"));
}

TEST_F(IdListCsvFile, ReadingRefusesWhatIsNoListFileWithTheReason) {
  const auto refusal = [](const fs::path& file) {
    try {
      ReadIdListCsvFile(file);
    } catch (const ECsvRefused& refused) {
      return std::string(refused.what());
    }
    return std::string("no refusal");
  };
  EXPECT_EQ(refusal(temp.Path()),
            "Cannot import '" + temp.Path().string() + "': it is a folder, not a file. Nothing was imported.");
  EXPECT_EQ(refusal(temp / "missing.csv"), "Cannot import '" + (temp / "missing.csv").string() +
                                               "': No such file or directory. Nothing was imported.");
  std::ofstream(temp / "large.csv", std::ios::binary) << "A,B\n";
  fs::resize_file(temp / "large.csv", 16 * 1024 * 1024 + 1);
  EXPECT_NE(refusal(temp / "large.csv")
                .find("holds 16777217 bytes, but an ID list of at most 100000 rows is never larger than 16 MiB"),
            std::string::npos);
  std::ofstream(temp / "bad.csv", std::ios::binary) << "A,B\nC,D\x01\n";
  EXPECT_EQ(refusal(temp / "bad.csv").rfind("Cannot import '" + (temp / "bad.csv").string() + "': line 2, column 2", 0),
            0u);
}

}  // namespace
}  // namespace orvel
