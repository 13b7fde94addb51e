#pragma once

#include <cstdint>
#include <exception>
#include <set>
#include <string>

#include "link/TesterAddresses.h"

namespace orvel {

class LinkPort;
class LinkSessionHost;

enum class WaitOutcome { Reply, NoReply, Cancelled };

// One operator-started exchange with the tester: find the port on which the tester
// answers, identify it, run the transfer's requests one after another, end.
//
// Everything runs on the window's thread. A request line goes out once, then again at
// every 11th poll tick (100 ms each) while no valid answer has come; after the third
// re-send the wait gives up. When the answer came only after a re-send, the answer to
// that re-send may still be on its way, so the wait drains the line, without re-sending,
// for as long as the first send was ahead of the last re-send before the next request
// can go out; after the follow-up request that ends the identification,
// which the tester may or may not answer, it waits a moment for that answer. The wait
// handles the window's events itself, so the poll
// and the Cancel button work while a transfer handler waits.
class LinkSession {
 public:
  // The text before " No:" in the identity line.
  static constexpr const char* kIdentityLead = "Tester";

  LinkSession(LinkPort& port, LinkSessionHost& host);

  // Session state, kept between sessions as the window keeps it.
  std::uint8_t PortNumber = 1;
  std::uint8_t RetryCount = 0;
  std::uint8_t TickCount = 0;
  bool Aborted = true;
  bool ReplyOk = false;
  bool Identified = false;
  std::string ReplyData;
  std::string InstrumentData;
  std::string LastRequest;
  std::string PayloadText;

  // Returns once the tester was found and identified, or the operator cancelled
  // (Aborted true), after which the caller only ends the session.
  void StartLinkSession();
  void EndLinkSession();
  void SendRequest(RequestCode code, TesterAddress address);
  WaitOutcome WaitForReply();
  // The poll: the handler of the window's 100 ms timer.
  void Timer1Timer();
  // The Cancel button's effect; the running wait sees it and returns.
  void Cancel();

  // Starts the session; when the operator cancelled the search, ends it again and
  // returns false, and the transfer does nothing more.
  bool Begin();
  // The 16 answer characters of the last short reply frame, trailing blanks included.
  std::string AnswerText() const;

  // The ends every transfer shares. Succeed shows the success text, clears the identity
  // line and ends the session; Fail shows the failure message and stops polling, leaving
  // the session in its failed state for Cancel or the next session to clear;
  // EndCancelled clears the identity line and ends the session.
  void Succeed(const std::string& statusText);
  void Fail(const std::string& message);
  void EndCancelled();

  // Runs a transfer. An error it does not handle ends the session before going on to the
  // caller, so no session is left polling, beeping and holding the port after an error.
  template <typename Transfer>
  void Run(Transfer&& transfer) {
    try {
      transfer();
    } catch (...) {
      EndAfterError();
      throw;
    }
  }

  LinkPort& Port() const { return port_; }
  LinkSessionHost& Host() const { return host_; }

 private:
  void FindInstrument();
  // A round of the search in which no port could be asked (every port absent, refused
  // or busy) would otherwise start the next at once and keep the processor busy: it
  // waits for the poll's next re-send tick, at most 1.1 s, first.
  void RestUntilNextResendTick();
  void IdentifyInstrument();
  // Handles events for as many poll ticks, until a frame is taken (when stopOnFrame),
  // the operator cancels or the poll fails. A reply frame carries nothing that ties it to
  // its request, so an answer still on its way when the next request goes out would be
  // taken as that request's answer: these pauses let such answers arrive first.
  void Settle(std::uint64_t ticks, bool stopOnFrame);
  void EndAfterError() noexcept;

  LinkPort& port_;
  LinkSessionHost& host_;
  std::uint64_t framesTaken_ = 0;
  // Poll ticks since the session object was made, and the ticks of the last request's
  // first send and of its latest re-send.
  std::uint64_t pollTicks_ = 0;
  std::uint64_t firstSendTick_ = 0;
  std::uint64_t lastSendTick_ = 0;
  // A failure of the poll's re-send, handed to the waiting handler to report once.
  std::exception_ptr pollFailure_;
  // Devices the operator was already told about in this session.
  std::set<std::string> refusedDevicesTold_;
};

}  // namespace orvel
