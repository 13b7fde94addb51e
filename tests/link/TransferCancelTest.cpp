#include <string>
#include <tuple>
#include <vector>

#include "IdListFixture.h"
#include "link/CompanyNameTransfer.h"

namespace orvel::test {
namespace {

enum class Transfer { SendCompanyName, ReadCompanyName, ReadIds, SendIds };
enum class CancelMoment { DuringTheSearch, WhileWaitingForTheFirstAnswer };

class CancelledTransfer : public IdListTransferTest,
                          public ::testing::WithParamInterface<std::tuple<Transfer, CancelMoment>> {
 protected:
  Transfer Which() const { return std::get<0>(GetParam()); }

  std::string FirstRequest() const {
    switch (Which()) {
      case Transfer::SendCompanyName:
        return "!0000201C2";
      case Transfer::ReadCompanyName:
        return "!0000301C2";
      case Transfer::ReadIds:
        return "!00003FF00";
      case Transfer::SendIds:
        return "!00002FF00";
    }
    return {};
  }

  // Runs the transfer; true when it reported success or handed something over.
  bool RunTransfer() {
    switch (Which()) {
      case Transfer::SendCompanyName:
        return SendCompanyName(session, "ACME");
      case Transfer::ReadCompanyName:
        return ReadCompanyName(session).has_value();
      case Transfer::ReadIds:
        return ReadIdList(session).has_value();
      case Transfer::SendIds:
        return SendIdList(session, OldRows(32));
    }
    return true;
  }
};

// A Read says the group was not changed; a Send says, after the session ended, that the
// tester still holds its old IDs.
TEST_P(CancelledTransfer, EndsTheSessionWithCommunicationsAbortedAndSaysWhatItLeft) {
  const bool inSearch = std::get<1>(GetParam()) == CancelMoment::DuringTheSearch;
  if (inSearch) {
    host.CancelAtTick(5);
  } else {
    port.Answer(FirstRequest(), "");
    CancelTicksAfterFirstWrite(FirstRequest(), 5);
  }

  EXPECT_FALSE(RunTransfer());

  std::vector<std::string> boxes;
  if (inSearch) {
    EXPECT_TRUE(port.Writes().empty());
    // The identity line is written from the instrument data held, without a request.
    EXPECT_EQ(host.IdentityText(), "Tester No: on COM1");
  } else {
    EXPECT_EQ(WritesFrom(FirstRequest()).size(), 1u);
    EXPECT_EQ(host.IdentityText(), Which() == Transfer::ReadIds ? "The group was not changed." : "");
    if (Which() == Transfer::SendIds) boxes.push_back(TesterAfterPartialSend(0, true));
  }
  ExpectEndedAfterCancel();
  EXPECT_EQ(timeline.Texts("information "), boxes);
  EXPECT_GT(timeline.FirstIndex("information ").value_or(timeline.Events().size()), timeline.FirstIndex("ended"));
}

INSTANTIATE_TEST_SUITE_P(LinkSession, CancelledTransfer,
                         ::testing::Combine(::testing::Values(Transfer::SendCompanyName, Transfer::ReadCompanyName,
                                                              Transfer::ReadIds, Transfer::SendIds),
                                            ::testing::Values(CancelMoment::DuringTheSearch,
                                                              CancelMoment::WhileWaitingForTheFirstAnswer)));

struct CancelAfterAnswerCase {
  std::string name;
  int answeredSend;
  int cancelTicksAfterFirstSend;
};

class CancelAfterTheFirstAcknowledgement : public IdListTransferTest,
                                           public ::testing::WithParamInterface<CancelAfterAnswerCase> {};

// A write the tester acknowledged counts, also when Cancel comes in the tick of its
// acknowledgement or in the wait before the next request: the box after the cancel end
// names it, and no further write goes out.
TEST_P(CancelAfterTheFirstAcknowledgement, CountsTheWriteAndSendsNoMore) {
  const IdPairs rows = OldRows(32);
  const std::string first = WriteLine(TrailerAddressOf(0), Id16(rows[0].trailer));
  port.Answer(first, "");
  port.Answer(first, ShortFrame(""), GetParam().answeredSend);
  CancelTicksAfterFirstWrite(first, GetParam().cancelTicksAfterFirstSend);

  EXPECT_FALSE(SendIdList(session, rows));

  EXPECT_EQ(WritesFrom("!00002"), std::vector<std::string>(static_cast<std::size_t>(GetParam().answeredSend), first));
  EXPECT_EQ(timeline.Texts("information "), std::vector<std::string>{TesterAfterPartialSend(1, false)});
  ExpectEndedAfterCancel();
}

INSTANTIATE_TEST_SUITE_P(LinkSession, CancelAfterTheFirstAcknowledgement,
                         ::testing::Values(CancelAfterAnswerCase{"InItsTick", 1, 1},
                                           CancelAfterAnswerCase{"AfterAReSentLine", 2, 14}),
                         CaseName());

}  // namespace
}  // namespace orvel::test
