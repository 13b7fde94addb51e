#include "link/CompanyNameTransfer.h"

#include "link/LinkSession.h"
#include "link/LinkSessionHost.h"
#include "link/TransferEnds.h"
#include "tables/TesterText.h"

namespace orvel {
namespace {

// The single exchange of a company name transfer: its answer when the transfer succeeded.
std::optional<std::string> ExchangeCompanyName(LinkSession& session, RequestCode code, const std::string& payload,
                                               const std::string& successText, const TransferStops& stops) {
  std::optional<std::string> answer;
  session.Run([&] {
    if (!session.Begin()) return;
    const ExchangeResult result = session.Exchange(code, CompanyNameAddress, payload);
    if (result.outcome != ExchangeOutcome::Answered) return StopTransfer(session, result.outcome, stops);
    if (code == RequestCode::Read && FailUnstorableAnswer(session, result.answer, "the company name", "")) return;
    if (ConcludeTransfer(session, successText, stops)) answer = result.answer;
  });
  return answer;
}

}  // namespace

bool SendCompanyName(LinkSession& session, const std::string& companyName) {
  if (const auto reason = TesterTextFault(companyName)) {
    session.Host().ShowInformation("The company name cannot be sent: it " + *reason + ". Correct it, then send again.");
    return false;
  }
  const TransferStops stops{"Unable to send data",
                            std::string(kOutOfStep) + " The tester may still hold its old company name. Send again.",
                            {},
                            {}};
  return ExchangeCompanyName(session, RequestCode::Write, companyName, "Company ID successfully sent", stops)
      .has_value();
}

std::optional<std::string> ReadCompanyName(LinkSession& session) {
  const TransferStops stops{"Unable to read data", std::string(kOutOfStep) + " Read again.", {}, {}};
  return ExchangeCompanyName(session, RequestCode::Read, {}, "Company ID successfully acquired", stops);
}

}  // namespace orvel
