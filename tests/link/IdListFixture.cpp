#include "IdListFixture.h"

#include <cstdio>

namespace orvel::test {
namespace {

const std::string GroupTable = "Group 1";

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

void IdListTransferTest::MakeIdList(int rows) {
  idList.SetDatabaseName(folder.Path().string());
  idList.SetTableName(GroupTable);
  idList.FieldDefs().Add(fields.trailer, 16);
  idList.FieldDefs().Add(fields.vehicle, 16);
  idList.CreateTable();
  idList.Open();
  for (std::size_t row = 1; row <= static_cast<std::size_t>(rows); ++row) {
    idList.Append();
    idList.FieldByName(fields.trailer).SetAsString(OldTrailer(row));
    idList.FieldByName(fields.vehicle).SetAsString(OldVehicle(row));
    idList.Post();
  }
  idList.First();
}

std::vector<IdPair> IdListTransferTest::StoredRows() const {
  TTable stored;
  stored.SetDatabaseName(folder.Path().string());
  stored.SetTableName(GroupTable);
  stored.Open();
  std::vector<IdPair> rows;
  for (stored.First(); !stored.Eof(); stored.Next()) {
    rows.emplace_back(stored.FieldByName(fields.trailer).AsString(), stored.FieldByName(fields.vehicle).AsString());
  }
  return rows;
}

// Slot 9 holds blank IDs: a blank answer is stored as 16 blanks like any other.
std::string TesterTrailer(std::size_t slot) { return slot == 9 ? "" : Numbered("TRAILER ", slot + 1); }

std::string TesterVehicle(std::size_t slot) { return slot == 9 ? "" : Numbered("VEH  ", slot + 1); }

std::string OldTrailer(std::size_t row) { return Numbered("OLD T", row); }

std::string OldVehicle(std::size_t row) { return Numbered("OLD V", row); }

}  // namespace orvel::test
