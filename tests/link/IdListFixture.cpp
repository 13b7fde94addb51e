#include "IdListFixture.h"

#include <cstdio>

namespace orvel::test {
namespace {

std::string Numbered(const char* lead, std::size_t number) {
  char text[24];
  std::snprintf(text, sizeof text, "%s%02zu", lead, number);
  return text;
}

}  // namespace

std::string Id16(const std::string& text) { return text + std::string(16 - text.size(), ' '); }

IdListTransferTest::IdListTransferTest() {
  PlaceTester(3);
  AcknowledgeWrites();
  for (std::size_t slot = 0; slot < 32; ++slot) {
    port.Answer(ReadLine(TrailerAddressOf(slot)), ShortFrame(TesterTrailer(slot)));
    port.Answer(ReadLine(VehicleAddressOf(slot)), ShortFrame(TesterVehicle(slot)));
  }
}

// Slot 9 holds blank IDs: a blank answer comes back as 16 blanks like any other.
std::string TesterTrailer(std::size_t slot) { return slot == 9 ? "" : Numbered("TRAILER ", slot + 1); }

std::string TesterVehicle(std::size_t slot) { return slot == 9 ? "" : Numbered("VEH  ", slot + 1); }

IdPairs OldRows(std::size_t rows) {
  IdPairs pairs;
  for (std::size_t row = 1; row <= rows; ++row) pairs.push_back({Numbered("OLD T", row), Numbered("OLD V", row)});
  return pairs;
}

}  // namespace orvel::test
