#include "tables/TableFileName.h"

#include <gtest/gtest.h>

#include <ostream>
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

TEST_P(TableFileNameCases, MapsToItsOwnFileAndBack) {
  EXPECT_EQ(TableFileName(GetParam().table), GetParam().file);
  EXPECT_EQ(TableNameOfFile(GetParam().file), GetParam().table);
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
  const std::string file = TableFileName(eightBit);
  // 66 escapes fit in 200 bytes; then '~', 16 hex digits of the hash and the suffix.
  std::string escapes;
  for (int i = 0; i < 66; ++i) escapes += "%E9";
  ASSERT_EQ(file.size(), 198u + 1 + 16 + 7);
  EXPECT_EQ(file.substr(0, 198), escapes);
  EXPECT_EQ(file[198], '~');
  EXPECT_EQ(file.substr(199, 16).find_first_not_of("0123456789ABCDEF"), std::string::npos);
  EXPECT_EQ(file.substr(215), ".tbl.db");
  EXPECT_EQ(TableNameOfFile(file), std::nullopt);

  std::string otherEnding = eightBit;
  otherEnding.back() = '\xEA';
  EXPECT_NE(TableFileName(otherEnding), file);

  EXPECT_EQ(TableFileName(std::string(200, 'a')), std::string(200, 'a') + ".tbl.db");
  EXPECT_EQ(TableFileName(std::string(199, 'a') + "\xE9").substr(0, 200), std::string(199, 'a') + "~");
  EXPECT_EQ(TableFileName(std::string(198, 'a') + "\xE9"
                                                  "b")
                .substr(0, 199),
            std::string(198, 'a') + "~");
  EXPECT_EQ(TableFileName(std::string(300, 'a') + ".db").size(), 200 + 1 + 16 + 3);
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
    EXPECT_EQ(TableNameOfFile(file), std::nullopt) << file;
  }
}

}  // namespace
}  // namespace orvel
