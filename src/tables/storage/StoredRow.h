#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvel {

// A row as stored: its rowid, which gives its place in the table, and its field values
// as 8-bit text, in field order.
struct StoredRow {
  std::int64_t rowid = 0;
  std::vector<std::string> values;
};

}  // namespace orvel
