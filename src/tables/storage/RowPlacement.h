#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "tables/storage/StoredRow.h"

namespace orvel {

// Rows have no key: their order is rowid order. A new row that must stand between two
// rows gets a free rowid between them, or the rows after it move up by one to make room.
struct RowPlacement {
  std::int64_t rowid = 0;
  // Rowids of the rows that move up by one, highest first, so that no row moves onto one
  // that has not moved yet.
  std::vector<std::int64_t> shiftedDescending;
};

// Where a new row goes so that it lands at position (0 to rows.size()) among rows, which
// are in rowid order. Nothing when no rowid is left for it.
std::optional<RowPlacement> PlaceRow(const std::vector<StoredRow>& rows, std::size_t position);

}  // namespace orvel
