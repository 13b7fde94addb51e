#include "tables/storage/RowPlacement.h"

#include <limits>

namespace orvel {

std::optional<RowPlacement> PlaceRow(const std::vector<StoredRow>& rows, std::size_t position) {
  constexpr std::int64_t kLargestRowid = std::numeric_limits<std::int64_t>::max();
  if (rows.empty()) return RowPlacement{1, {}};
  if (position >= rows.size()) {
    const std::int64_t last = rows.back().rowid;
    if (last == kLargestRowid) return std::nullopt;
    return RowPlacement{last + 1, {}};
  }

  const std::int64_t current = rows[position].rowid;
  const bool freeBefore = position == 0 ? current > 1 : rows[position - 1].rowid + 1 < current;
  if (freeBefore) return RowPlacement{current - 1, {}};

  std::size_t runEnd = position;
  while (runEnd + 1 < rows.size() && rows[runEnd + 1].rowid - 1 == rows[runEnd].rowid) ++runEnd;
  if (rows[runEnd].rowid == kLargestRowid) return std::nullopt;

  RowPlacement placement{current, {}};
  for (std::size_t i = runEnd + 1; i-- > position;) placement.shiftedDescending.push_back(rows[i].rowid);
  return placement;
}

}  // namespace orvel
