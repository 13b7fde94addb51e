#pragma once

#include <string>

#include "link/LinkSession.h"

namespace orvel {

// What a transfer tells the operator when it ends other than with success.
struct TransferStops {
  // The box when the tester stopped answering, and when its answers came out of step.
  std::string noReply;
  std::string outOfStep;
  // The identity line after a Cancel, and a box after it, saying what the Cancel left
  // behind; each only when not empty.
  std::string cancelNote;
  std::string cancelMessage;
};

// Ends the transfer as an exchange ended without its answer: the failed state with its
// message, or the cancel end.
void StopTransfer(LinkSession& session, ExchangeOutcome outcome, const TransferStops& stops);

// After the transfer's last answer: succeeds with the status text when the line stayed in
// step, else stops as StopTransfer does. True on success.
bool ConcludeTransfer(LinkSession& session, const std::string& successText, const TransferStops& stops);

// The start of every out-of-step message.
inline constexpr const char* kOutOfStep =
    "The tester's answers came out of step with the requests (an answer came twice, or came late), so they cannot "
    "be trusted.";

// The start of the message of a Read whose answer holds what no ID may hold.
inline constexpr const char* kUnstorableAnswer = "The tester sent text that cannot be stored as an ID";

// A failure message that says itself what happened and what to do, rather than that the
// tester stopped answering.
bool FailureExplainsItself(const std::string& message);

// Fails the Read when an answer holds what no ID may hold (a control character, say),
// naming it, rather than storing it where no one can see it. `what` names the answer as
// "the Trailer ID of slot 3"; `kept` says what the failure left as it was. True when it
// failed.
bool FailUnstorableAnswer(LinkSession& session, const std::string& answer, const std::string& what,
                          const std::string& kept);

}  // namespace orvel
