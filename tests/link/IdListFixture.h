#pragma once

#include <string>
#include <utility>
#include <vector>

#include "LinkSessionFixture.h"
#include "TempFolder.h"
#include "TesterFrames.h"
#include "link/IdListTransfer.h"
#include "tables/TTable.h"

namespace orvel::test {

using IdPair = std::pair<std::string, std::string>;

// A group's ID list table in a temporary folder, and a tester on port 3 (ports 1 and 2
// hold nothing) that holds its own 32 pairs and acknowledges every write.
class IdListTransferTest : public LinkSessionTest {
 protected:
  IdListTransferTest();

  // Creates the group's table with `rows` rows of old pairs and opens it.
  void MakeIdList(int rows);
  // The table's rows as stored on disk, read through a table object of their own.
  std::vector<IdPair> StoredRows() const;

  orvel::testing::TempFolder folder;
  TTable idList;
  const IdListFields fields{"Trailer ID", "Vehicle ID"};
};

// text padded with blanks to the 16 characters of an ID.
std::string Id16(const std::string& text);

// The pairs the tester holds, by slot from 0, and the pairs a table starts with, by row
// from 1.
std::string TesterTrailer(std::size_t slot);
std::string TesterVehicle(std::size_t slot);
std::string OldTrailer(std::size_t row);
std::string OldVehicle(std::size_t row);

}  // namespace orvel::test
