#pragma once

#include <string>
#include <vector>

namespace orvel {

// One row of an ID list: the pair of IDs of one tester slot, as the store holds them
// (8-bit text).
struct IdPair {
  std::string trailer;
  std::string vehicle;
  bool operator==(const IdPair&) const = default;
};

// The pairs of an ID list in row order: the n-th pair belongs to the tester's n-th slot.
using IdPairs = std::vector<IdPair>;

}  // namespace orvel
