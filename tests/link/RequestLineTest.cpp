#include "link/ProtocolError.h"
#include "link/RequestLine.h"
#include "link/TesterAddresses.h"

#include <gtest/gtest.h>

#include <string>

namespace orvel {
namespace {

struct RequestLineCase {
  RequestCode code;
  TesterAddress address;
  std::string payload;
  std::string expected;
};

class RequestLineExamples : public ::testing::TestWithParam<RequestLineCase> {};

TEST_P(RequestLineExamples, HasTheTestersLayout) {
  const RequestLineCase& example = GetParam();
  EXPECT_EQ(BuildRequestLine(example.code, example.address, example.payload), example.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Protocol, RequestLineExamples,
    ::testing::Values(RequestLineCase{RequestCode::Identify, 400, "", "!000010190\r"},
                      RequestLineCase{RequestCode::Read, 0xFE08, "", "!00003FE08\r"},
                      RequestLineCase{RequestCode::Write, 450, "ABCD            ", "!0000201C2ABCD            \r"},
                      RequestLineCase{RequestCode::Write, FirstTrailerAddress, "0123456789abcdef",
                                      "!00002FF000123456789abcdef\r"},
                      RequestLineCase{RequestCode::Identify, 0x0007, "", "!000010007\r"},
                      RequestLineCase{RequestCode::Write, 0x01C2, std::string("\xE9t\xE9      \x00\xFF     ", 16),
                                      std::string("!0000201C2\xE9t\xE9      \x00\xFF     \r", 27)}));

TEST(RequestLine, LengthsAreElevenWithoutAndTwentySevenWithPayload) {
  EXPECT_EQ(BuildRequestLine(RequestCode::Read, CompanyNameAddress).size(), 11U);
  EXPECT_EQ(BuildRequestLine(RequestCode::Write, CompanyNameAddress, std::string(16, ' ')).size(), 27U);
}

TEST(RequestLine, RefusesPayloadsThatWouldBreakTheLine) {
  EXPECT_THROW(BuildRequestLine(RequestCode::Write, 0xFF00, "short"), EProtocol);
  EXPECT_THROW(BuildRequestLine(RequestCode::Write, 0xFF00, std::string(17, 'x')), EProtocol);
  EXPECT_THROW(BuildRequestLine(RequestCode::Read, 0xFF00, std::string(16, 'x')), EProtocol);
  EXPECT_THROW(BuildRequestLine(RequestCode::Write, 0xFF00, "ABC\rDEF         "), EProtocol);
}

TEST(TesterAddresses, SlotSeriesRunInStepsOfEight) {
  EXPECT_EQ(TrailerAddress(0), 0xFF00);
  EXPECT_EQ(TrailerAddress(1), 0xFF08);
  EXPECT_EQ(TrailerAddress(31), 0xFFF8);
  EXPECT_EQ(VehicleAddress(0), 0xFE00);
  EXPECT_EQ(VehicleAddress(31), 0xFEF8);
}

TEST(TesterAddresses, RefusesSlotsPastTheLast) {
  EXPECT_THROW(TrailerAddress(32), EProtocol);
  EXPECT_THROW(VehicleAddress(32), EProtocol);
}

}  // namespace
}  // namespace orvel
