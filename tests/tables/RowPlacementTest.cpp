#include "tables/storage/RowPlacement.h"

#include <gtest/gtest.h>

#include <limits>

namespace orvel {
namespace {

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();

std::vector<StoredRow> RowsWithIds(std::vector<std::int64_t> rowids) {
  std::vector<StoredRow> rows;
  for (const std::int64_t rowid : rowids) rows.push_back({rowid, {}});
  return rows;
}

TEST(RowPlacement, NewRowLandsAtItsPositionInRowidOrder) {
  const struct {
    std::vector<std::int64_t> rowids;
    std::size_t position;
    std::int64_t rowid;
    std::vector<std::int64_t> shifted;
  } cases[] = {
      {{}, 0, 1, {}},                // first row of an empty table
      {{1, 2, 3}, 3, 4, {}},         // appended
      {{1, 2, 3}, 0, 1, {3, 2, 1}},  // before the first: everything moves up, highest first
      {{1, 2, 3}, 1, 2, {3, 2}},     // in the middle
      {{1, 5, 6}, 1, 4, {}},         // a free rowid before the current row
      {{3, 4}, 0, 2, {}},            // a free rowid before the first row
      {{1, 2, 5, 6}, 1, 2, {2}},     // only the rows up to the next gap move
  };
  for (const auto& c : cases) {
    const std::optional<RowPlacement> placement = PlaceRow(RowsWithIds(c.rowids), c.position);
    ASSERT_TRUE(placement.has_value());
    EXPECT_EQ(placement->rowid, c.rowid);
    EXPECT_EQ(placement->shiftedDescending, c.shifted);
  }
}

TEST(RowPlacement, NoRowidLeftGivesNothing) {
  EXPECT_EQ(PlaceRow(RowsWithIds({1, kMax}), 2), std::nullopt);
  EXPECT_EQ(PlaceRow(RowsWithIds({kMax - 2, kMax - 1, kMax}), 1), std::nullopt);
  EXPECT_EQ(PlaceRow(RowsWithIds({1, kMax}), 1)->rowid, kMax - 1);
}

}  // namespace
}  // namespace orvel
