#include <optional>
#include <string>
#include <vector>

#include "IdListFixture.h"

namespace orvel::test {
namespace {

using ReadIds = IdListTransferTest;

std::vector<std::string> AllReadLines() {
  std::vector<std::string> lines;
  for (std::size_t slot = 0; slot < 32; ++slot) lines.push_back(ReadLine(TrailerAddressOf(slot)));
  for (std::size_t slot = 0; slot < 32; ++slot) lines.push_back(ReadLine(VehicleAddressOf(slot)));
  return lines;
}

IdPairs TesterPairs() {
  IdPairs pairs;
  for (std::size_t slot = 0; slot < 32; ++slot) pairs.push_back({Id16(TesterTrailer(slot)), Id16(TesterVehicle(slot))});
  return pairs;
}

TEST_F(ReadIds, AsksAllTrailerIdsThenAllVehicleIdsAndReturnsThemWithTheirBlanks) {
  const std::optional<IdPairs> read = ReadIdList(session);

  EXPECT_EQ(read, TesterPairs());
  EXPECT_EQ(WritesFrom("!00003"), AllReadLines());
  EXPECT_EQ(timeline.Texts("status "),
            (std::vector<std::string>{"", "Looking for instrument on Com3...", "Receiving IDs on Com 3",
                                      "IDs successfully acquired"}));
  ExpectEndedWith("IDs successfully acquired");
}

TEST_F(ReadIds, FailureAtTheFifthVehicleIdReturnsNothing) {
  port.Answer(ReadLine(VehicleAddressOf(4)), "");

  EXPECT_EQ(ReadIdList(session), std::nullopt);

  EXPECT_EQ(WriteCount(ReadLine(VehicleAddressOf(4))), 4);
  EXPECT_EQ(port.Writes().back(), ReadLine(VehicleAddressOf(4)));
  ExpectFailedState("Unable to read data. The group was not changed.");
}

// A control character would be stored where nobody sees it, and no file could carry the
// group back in: the Read fails at that ID, naming it.
TEST_F(ReadIds, AnIdHoldingAControlCharacterFailsTheReadThere) {
  port.Answer(ReadLine(TrailerAddressOf(2)), ShortFrame("TR\a3"));

  EXPECT_EQ(ReadIdList(session), std::nullopt);

  EXPECT_EQ(port.Writes().back(), ReadLine(TrailerAddressOf(2)));
  ExpectFailedState("The tester sent text that cannot be stored as an ID: the Trailer ID of slot 3 holds a "
                    "control character (U+0007) at character 3. The group was not changed. Correct it on the "
                    "tester, then read again.");
}

// The first ID is answered only after a re-send; Cancel comes before the next request.
// No further request goes out, and the part read is not handed over.
TEST_F(ReadIds, CancelAfterAnAcceptedAnswerStopsBeforeTheNextRequest) {
  const std::string first = ReadLine(TrailerAddressOf(0));
  port.Answer(first, "", 1);
  port.Answer(first, ShortFrame(TesterTrailer(0)), 2);
  CancelTicksAfterFirstWrite(first, 15);

  EXPECT_EQ(ReadIdList(session), std::nullopt);

  EXPECT_EQ(WriteCount(ReadLine(TrailerAddressOf(1))), 0);
  EXPECT_EQ(host.IdentityText(), "The group was not changed.");
  ExpectEndedAfterCancel();
}

// The answer to the first request comes late, after its re-send, and the answer to the
// re-send follows it; the tester is slower with the next one. Taken as the next answer,
// the second copy would put slot 1's ID into slot 2.
TEST_F(ReadIds, TheAnswerToAReSendIsNeverTakenAsTheNextId) {
  const std::string first = ReadLine(TrailerAddressOf(0));
  port.Answer(first, ShortFrame(TesterTrailer(0)), 1, 12);
  port.Answer(first, ShortFrame(TesterTrailer(0)), 2, 2);
  port.Answer(ReadLine(TrailerAddressOf(1)), ShortFrame(TesterTrailer(1)), 0, 2);

  EXPECT_EQ(ReadIdList(session), TesterPairs());

  EXPECT_EQ(WriteCount(ReadLine(TrailerAddressOf(1))), 1);
  EXPECT_EQ(WriteCount(ReadLine(TrailerAddressOf(2))), 1);
  ExpectEndedWith("IDs successfully acquired");
}

}  // namespace
}  // namespace orvel::test
