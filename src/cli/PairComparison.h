#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "store/IdPairs.h"

namespace orvel::cli {

// The text without the blanks the tester pads it with.
std::string WithoutTrailingBlanks(std::string text);

// The 32 pairs a list puts into the tester: its first 32 rows, blank pairs after them,
// each ID padded with blanks to 16 characters, as the tester holds them.
IdPairs AsTesterHolds(const IdPairs& rows);

// One ID that two lists hold differently, trailing blanks left out.
struct IdDifference {
  std::size_t slot;    // from 1
  std::string column;  // "Trailer ID" or "Vehicle ID"
  std::string left;
  std::string right;
};

// Every ID of the tester's 32 slots that the two lists, taken as the tester would hold
// them, hold differently, in slot order.
std::vector<IdDifference> DifferentIds(const IdPairs& left, const IdPairs& right);

}  // namespace orvel::cli
