#include "cli/PairComparison.h"

#include "link/TesterAddresses.h"
#include "link/WireText.h"

namespace orvel::cli {

std::string WithoutTrailingBlanks(std::string text) {
  text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

IdPairs AsTesterHolds(const IdPairs& rows) {
  IdPairs held(SlotCount);
  for (std::size_t slot = 0; slot < SlotCount && slot < rows.size(); ++slot) held[slot] = rows[slot];
  for (IdPair& pair : held) {
    PadTo16(pair.trailer);
    PadTo16(pair.vehicle);
  }
  return held;
}

std::vector<IdDifference> DifferentIds(const IdPairs& left, const IdPairs& right) {
  const IdPairs leftHeld = AsTesterHolds(left);
  const IdPairs rightHeld = AsTesterHolds(right);
  std::vector<IdDifference> differences;
  for (std::size_t slot = 0; slot < SlotCount; ++slot) {
    if (leftHeld[slot].trailer != rightHeld[slot].trailer) {
      differences.push_back({slot + 1, "Trailer ID", WithoutTrailingBlanks(leftHeld[slot].trailer),
                             WithoutTrailingBlanks(rightHeld[slot].trailer)});
    }
    if (leftHeld[slot].vehicle != rightHeld[slot].vehicle) {
      differences.push_back({slot + 1, "Vehicle ID", WithoutTrailingBlanks(leftHeld[slot].vehicle),
                             WithoutTrailingBlanks(rightHeld[slot].vehicle)});
    }
  }
  return differences;
}

}  // namespace orvel::cli
