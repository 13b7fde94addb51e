#include "link/CompanyNameTransfer.h"

#include "link/LinkSession.h"
#include "link/LinkSessionHost.h"
#include "link/WireText.h"

namespace orvel {
namespace {

// The single exchange of a company name transfer, once the session has started.
template <typename OnReply>
void ExchangeCompanyName(LinkSession& session, RequestCode code, const std::string& failureMessage, OnReply&& onReply) {
  session.SendRequest(code, CompanyNameAddress);
  switch (session.WaitForReply()) {
    case WaitOutcome::Reply:
      onReply();
      return;
    case WaitOutcome::NoReply:
      session.Fail(failureMessage);
      return;
    case WaitOutcome::Cancelled:
      session.EndCancelled();
      return;
  }
}

}  // namespace

void SendCompanyName(LinkSession& session, const std::string& companyName) {
  if (const auto reason = UnsendableTextReason(companyName)) {
    session.Host().ShowInformation("The company name cannot be sent: it " + *reason + ". Correct it, then send again.");
    return;
  }
  session.Run([&] {
    if (!session.Begin()) return;
    session.PayloadText = companyName;
    PadTo16(session.PayloadText);
    ExchangeCompanyName(session, RequestCode::Write, "Unable to send data",
                        [&] { session.Succeed("Company ID successfully sent"); });
  });
}

void ReadCompanyName(LinkSession& session, const std::function<void(const std::string&)>& show) {
  session.Run([&] {
    if (!session.Begin()) return;
    ExchangeCompanyName(session, RequestCode::Read, "Unable to read data", [&] {
      show(session.AnswerText());
      session.Succeed("Company ID successfully acquired");
    });
  });
}

}  // namespace orvel
