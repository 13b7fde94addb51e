#include "link/TransferEnds.h"

#include <stdexcept>

#include "link/LinkSessionHost.h"
#include "tables/TesterText.h"

namespace orvel {

void StopTransfer(LinkSession& session, ExchangeOutcome outcome, const TransferStops& stops) {
  switch (outcome) {
    case ExchangeOutcome::NoReply:
      session.Fail(stops.noReply);
      return;
    case ExchangeOutcome::OutOfStep:
      session.Fail(stops.outOfStep);
      return;
    case ExchangeOutcome::Cancelled:
      session.EndCancelled(stops.cancelNote);
      if (!stops.cancelMessage.empty()) session.Host().ShowInformation(stops.cancelMessage);
      return;
    case ExchangeOutcome::Answered:
      break;
  }
  throw std::logic_error("StopTransfer: an answered exchange does not stop a transfer");
}

bool ConcludeTransfer(LinkSession& session, const std::string& successText, const TransferStops& stops) {
  const ExchangeOutcome outcome = session.ConfirmInStep();
  if (outcome != ExchangeOutcome::Answered) {
    StopTransfer(session, outcome, stops);
    return false;
  }
  session.Succeed(successText);
  return true;
}

bool FailureExplainsItself(const std::string& message) {
  return message.starts_with(kOutOfStep) || message.starts_with(kUnstorableAnswer);
}

bool FailUnstorableAnswer(LinkSession& session, const std::string& answer, const std::string& what,
                          const std::string& kept) {
  const std::optional<std::string> fault = TesterTextFault(answer);
  if (!fault) return false;
  session.Fail(std::string(kUnstorableAnswer) + ": " + what + " " + *fault + ". " +
               (kept.empty() ? std::string() : kept + " ") + "Correct it on the tester, then read again.");
  return true;
}

}  // namespace orvel
