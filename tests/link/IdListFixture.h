#pragma once

#include <cstddef>
#include <string>

#include "LinkSessionFixture.h"
#include "TesterFrames.h"
#include "link/IdListTransfer.h"
#include "store/IdPairs.h"

namespace orvel::test {

// A tester on port 3 (ports 1 and 2 hold nothing) that holds its own 32 pairs and
// acknowledges every write.
class IdListTransferTest : public LinkSessionTest {
 protected:
  IdListTransferTest();
};

// text padded with blanks to the 16 characters of an ID.
std::string Id16(const std::string& text);

// The pairs the tester holds, by slot from 0.
std::string TesterTrailer(std::size_t slot);
std::string TesterVehicle(std::size_t slot);
// A group's first `rows` rows, unlike anything the tester holds.
IdPairs OldRows(std::size_t rows);

}  // namespace orvel::test
