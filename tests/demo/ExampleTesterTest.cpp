#include <gtest/gtest.h>

#include <string>

#include "demo/ExampleTester.h"
#include "tables/TesterText.h"
#include "store/StoreSchema.h"

namespace orvel::demo {
namespace {

// Someone trying the demo may retype any example ID in the grid: it must fit a cell and
// pass the grid's character rule, or the demo would teach a rule it then breaks.
void ExpectTypeableId(const std::string& id) {
  EXPECT_FALSE(id.empty());
  EXPECT_LE(id.size(), static_cast<std::size_t>(kIdWidth)) << id;
  for (const char character : id) {
    EXPECT_FALSE(IsRefusedTypedCharacter(static_cast<unsigned char>(character))) << id << " holds '" << character << "'";
  }
}

TEST(ExampleTesterTest, EveryExampleIdCouldBeTypedIntoTheGrid) {
  ASSERT_LE(ExamplePairs().size(), static_cast<std::size_t>(kTesterSlots));
  for (const ExamplePair& pair : ExamplePairs()) {
    ExpectTypeableId(pair.trailerId);
    ExpectTypeableId(pair.vehicleId);
  }
  ExpectTypeableId(kExampleCompanyName);
}

}  // namespace
}  // namespace orvel::demo
