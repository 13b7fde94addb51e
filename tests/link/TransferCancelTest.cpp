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
  CancelledTransfer() { MakeIdList(32); }

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

  void RunTransfer() {
    switch (Which()) {
      case Transfer::SendCompanyName:
        SendCompanyName(session, "ACME");
        return;
      case Transfer::ReadCompanyName:
        ReadCompanyName(session, [this](const std::string&) { nameHandedOver = true; });
        return;
      case Transfer::ReadIds:
        host.AnswerConfirm(true);
        ReadIdList(session, idList, fields);
        return;
      case Transfer::SendIds:
        SendIdList(session, idList, fields);
        return;
    }
  }

  bool nameHandedOver = false;
};

TEST_P(CancelledTransfer, EndsTheSessionWithCommunicationsAbortedAndChangesNothing) {
  const std::vector<IdPair> rowsBefore = StoredRows();
  const bool inSearch = std::get<1>(GetParam()) == CancelMoment::DuringTheSearch;
  if (inSearch) {
    host.CancelAtTick(5);
  } else {
    port.Answer(FirstRequest(), "");
    CancelTicksAfterFirstWrite(FirstRequest(), 5);
  }

  RunTransfer();

  if (inSearch) {
    EXPECT_TRUE(port.Writes().empty());
    // The identity line is written from the instrument data held, without a request.
    EXPECT_EQ(host.IdentityText(), "Tester No: on COM1");
  } else {
    EXPECT_EQ(WritesFrom(FirstRequest()).size(), 1u);
    EXPECT_EQ(host.IdentityText(), "");
  }
  ExpectEndedAfterCancel();
  EXPECT_FALSE(nameHandedOver);
  EXPECT_EQ(StoredRows(), rowsBefore);
  EXPECT_FALSE(idList.ControlsDisabled());
}

INSTANTIATE_TEST_SUITE_P(LinkSession, CancelledTransfer,
                         ::testing::Combine(::testing::Values(Transfer::SendCompanyName, Transfer::ReadCompanyName,
                                                              Transfer::ReadIds, Transfer::SendIds),
                                            ::testing::Values(CancelMoment::DuringTheSearch,
                                                              CancelMoment::WhileWaitingForTheFirstAnswer)));

}  // namespace
}  // namespace orvel::test
