#include "tables/TableFileName.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <ostream>
#include <random>
#include <set>
#include <string>

#include "tables/EDatabaseError.h"

namespace orvel {
namespace {

struct NameCase {
  std::string table;
  std::string file;
  friend void PrintTo(const NameCase& c, std::ostream* out) { *out << '"' << c.table << "\" -> " << c.file; }
};

class TableFileNameCases : public ::testing::TestWithParam<NameCase> {};

// The file names of a file system that keeps case, as Linux has them.
TEST_P(TableFileNameCases, MapsToItsOwnFileAndBack) {
  EXPECT_EQ(TableFileName(GetParam().table, kCaseKeepingFileNames), GetParam().file);
  EXPECT_EQ(TableNameOfFile(GetParam().file, kCaseKeepingFileNames), GetParam().table);
}

INSTANTIATE_TEST_SUITE_P(
    Names, TableFileNameCases,
    ::testing::Values(NameCase{"IDGroup.db", "IDGroup.db"}, NameCase{"x", "x.tbl.db"}, NameCase{"x.db", "x.db"},
                      NameCase{"x.DB", "x.DB"}, NameCase{"x.tbl.db", "x%2Etbl.db"}, NameCase{"a.b", "a.b.tbl.db"},
                      NameCase{".db", "%2Edb.tbl.db"}, NameCase{"../../x", "%2E.%2F..%2Fx.tbl.db"},
                      NameCase{"..", "%2E%2E.tbl.db"}, NameCase{"a/b", "a%2Fb.tbl.db"},
                      NameCase{"C:\\x", "C%3A%5Cx.tbl.db"}, NameCase{"*?\"<>|", "%2A%3F%22%3C%3E%7C.tbl.db"},
                      NameCase{"con", "%63on.tbl.db"}, NameCase{"CON.db", "%43ON.db"},
                      NameCase{"Com1.txt", "%43om1.txt.tbl.db"}, NameCase{"nul .x", "%6Eul .x.tbl.db"},
                      NameCase{"console", "console.tbl.db"}, NameCase{"lpt", "lpt.tbl.db"},
                      NameCase{"x ", "x%20.tbl.db"}, NameCase{"x.", "x%2E.tbl.db"}, NameCase{".x", "%2Ex.tbl.db"},
                      NameCase{"%", "%25.tbl.db"}, NameCase{"%41", "%2541.tbl.db"},
                      NameCase{"\x01\x1f\x7f", "%01%1F%7F.tbl.db"}, NameCase{"\xE9t\xE9", "%E9t%E9.tbl.db"},
                      NameCase{"Fleet A 12-7-2026 9_05_03 AM by ", "Fleet A 12-7-2026 9_05_03 AM by%20.tbl.db"}));

TEST(TableFileName, EmptyNameIsRefused) {
  try {
    TableFileName("");
    FAIL() << "the empty name was accepted";
  } catch (const EDatabaseError& error) {
    EXPECT_STREQ(error.what(), "No table name");
  }
}

TEST(TableFileName, LongNamesAreShortenedWithoutSplittingAnEscapeAndStayApart) {
  const std::string eightBit(150, '\xE9');
  const std::string file = TableFileName(eightBit, kCaseKeepingFileNames);
  // 66 escapes fit in 200 bytes; then '~', 16 hex digits of the hash and the suffix.
  std::string escapes;
  for (int i = 0; i < 66; ++i) escapes += "%E9";
  ASSERT_EQ(file.size(), 198u + 1 + 16 + 7);
  EXPECT_EQ(file.substr(0, 198), escapes);
  EXPECT_EQ(file[198], '~');
  EXPECT_EQ(file.substr(199, 16).find_first_not_of("0123456789ABCDEF"), std::string::npos);
  EXPECT_EQ(file.substr(215), ".tbl.db");
  EXPECT_EQ(TableNameOfFile(file, kCaseKeepingFileNames), std::nullopt);

  std::string otherEnding = eightBit;
  otherEnding.back() = '\xEA';
  EXPECT_NE(TableFileName(otherEnding, kCaseKeepingFileNames), file);

  EXPECT_EQ(TableFileName(std::string(200, 'a'), kCaseKeepingFileNames), std::string(200, 'a') + ".tbl.db");
  EXPECT_EQ(TableFileName(std::string(199, 'a') + "\xE9", kCaseKeepingFileNames).substr(0, 200),
            std::string(199, 'a') + "~");
  EXPECT_EQ(TableFileName(std::string(198, 'a') + "\xE9"
                                                  "b",
                          kCaseKeepingFileNames)
                .substr(0, 199),
            std::string(198, 'a') + "~");
  EXPECT_EQ(TableFileName(std::string(300, 'a') + ".db", kCaseKeepingFileNames).size(), 200 + 1 + 16 + 3);
}

TEST(TableFileName, HostileNamesGetDistinctPlainFileNames) {
  std::set<std::string> files;
  const std::string names[] = {"x",
                               "x.db",
                               "x.DB",
                               "X",
                               "x ",
                               "x.",
                               ".x",
                               "%",
                               "%25",
                               "a/b",
                               "a%2Fb",
                               "con",
                               "%63on",
                               "\t",
                               "\xFF",
                               std::string(150, '\xE9'),
                               std::string(150, '\xEA')};
  for (const std::string& name : names) {
    const std::string file = TableFileName(name);
    for (const char c : file) {
      EXPECT_TRUE(c >= ' ' && c < 127 && std::string("/\\:*?\"<>|").find(c) == std::string::npos)
          << "file name " << file << " holds character " << int(static_cast<unsigned char>(c));
    }
    EXPECT_NE(file.front(), '.');
    files.insert(file);
  }
  EXPECT_EQ(files.size(), std::size(names));
}

TEST(TableFileName, OnlyCanonicalFileNamesNameATable) {
  for (const std::string file : {"ab%41.tbl.db", "x.txt", "x..db", "%zz.tbl.db", "%4.tbl.db", ".tbl.db", "x%2e.tbl.db",
                                 "con.tbl.db", "x.TBL.DB"}) {
    EXPECT_EQ(TableNameOfFile(file, kCaseKeepingFileNames), std::nullopt) << file;
  }
}

// Where the file system ignores case, as Windows does, upper-case letters are escaped too:
// names that differ only in case keep files of their own. Names ending in ".db" stay the
// file's own name, so that the start-up search finds the group table in any case.
TEST(TableFileName, WhereCaseIsIgnoredUpperCaseLettersAreEscaped) {
  const std::pair<std::string, std::string> cases[] = {
      {"fleet", "fleet.tbl.db"},
      {"Fleet", "%46leet.tbl.db"},
      {"FLEET", "%46%4C%45%45%54.tbl.db"},
      {"Fleet A 12-7-2026 9_05_03 AM by ", "%46leet %41 12-7-2026 9_05_03 %41%4D by%20.tbl.db"},
      {"IDGroup.db", "IDGroup.db"},
      {"Upper.DB", "Upper.DB"},
      {"Con", "%43on.tbl.db"},
      {"com1", "%63om1.tbl.db"},
      {"a:b", "a%3Ab.tbl.db"}};
  for (const auto& [table, file] : cases) {
    EXPECT_EQ(TableFileName(table, kCaseIgnoringFileNames), file);
    EXPECT_EQ(TableNameOfFile(file, kCaseIgnoringFileNames), table);
  }
  // The spelling of a file system that keeps case is not this one's.
  EXPECT_EQ(TableNameOfFile("Fleet.tbl.db", kCaseIgnoringFileNames), std::nullopt);
  EXPECT_EQ(TableFileName(std::string(180, 'a'), kCaseIgnoringFileNames), std::string(180, 'a') + ".tbl.db");
  EXPECT_EQ(TableFileName(std::string(181, 'a'), kCaseIgnoringFileNames).size(), 180 + 1 + 16 + 7);
  EXPECT_EQ(TableFileName(std::string(150, 'A'), kCaseIgnoringFileNames).size(), 180 + 1 + 16 + 7);
}

std::string FoldedCase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

// Random names over the characters that matter (both cases, the escape sign, dots,
// blanks, device names, reserved and 8-bit characters): no two names share a file, even
// where case is ignored; every file name is plain and short enough; every name comes back
// from its file name unless it was shortened.
TEST(TableFileName, RandomNamesNeverShareAFileWhereCaseIsIgnored) {
  const std::string pieces[] = {"a",    "A",   "f",   "F",    "z",    "Z",    "0",   "9",   "%",
                                "%4",   ".",   " ",   ":",    "\\",   "/",    "~",   "con", "CON",
                                "Com1", "lpt", "nul", "\xE9", "\xC9", "\x01", ".db", ".DB"};
  std::mt19937 random(20261207);
  std::map<std::string, std::string> nameOfFoldedFile;
  for (int i = 0; i < 20000; ++i) {
    std::string name;
    const int length = 1 + static_cast<int>(random() % (i % 50 == 0 ? 120 : 8));
    for (int piece = 0; piece < length; ++piece) name += pieces[random() % std::size(pieces)];
    const std::string file = TableFileName(name, kCaseIgnoringFileNames);
    const auto [known, added] = nameOfFoldedFile.emplace(FoldedCase(file), name);
    const bool bothEndInDb = known->second.size() >= 3 && name.size() >= 3 &&
                             FoldedCase(known->second.substr(known->second.size() - 3)) == ".db" &&
                             FoldedCase(name.substr(name.size() - 3)) == ".db";
    if (!added && known->second != name) {
      // Only names ending in ".db" that differ in nothing but case may share a file.
      EXPECT_TRUE(bothEndInDb && FoldedCase(known->second) == FoldedCase(name))
          << "'" << known->second << "' and '" << name << "' share " << file;
    }
    EXPECT_LE(file.size(), 180u + 17 + 7) << name;
    EXPECT_NE(file.front(), '.') << name;
    for (const char c : file) {
      EXPECT_TRUE(c >= ' ' && c < 127 && std::string("/\\:*?\"<>|").find(c) == std::string::npos) << file;
    }
    const bool shortened = file.size() > 180 + 7;
    if (!shortened) {
      EXPECT_EQ(TableNameOfFile(file, kCaseIgnoringFileNames), name) << file;
    }
  }
}

}  // namespace
}  // namespace orvel
