#pragma once

#include <chrono>
#include <cstdint>
#include <exception>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "link/LinkPort.h"
#include "link/PortLost.h"
#include "link/TesterAddresses.h"
#include "serial/PortErrors.h"

namespace orvel {

class LinkSessionHost;

// How one exchange ended: its answer came; no answer came after the re-sends; the
// operator cancelled; or bytes came that cannot be tied to the requests, so that no
// answer of the transfer can be trusted to belong to the request it was taken for.
enum class ExchangeOutcome { Answered, NoReply, Cancelled, OutOfStep };

struct ExchangeResult {
  ExchangeOutcome outcome = ExchangeOutcome::NoReply;
  // The 16 answer characters, trailing blanks included, when the answer came.
  std::string answer;
  // The request went out, so a write may have reached the tester whatever the outcome.
  bool requestWritten = false;
};

// How the last session ended: not yet, or never started (a transfer refused before it);
// with the transfer's success text; with its failure message; or cancelled.
enum class SessionEnd { None, Succeeded, Failed, Cancelled };

// One operator-started exchange with the tester: find the port on which the tester
// answers, identify it, run the transfer's exchanges one after another, end.
//
// Everything runs on the window's thread. A request line goes out once, then again at
// every 11th poll tick (100 ms each) while no valid answer has come; after the third
// re-send the exchange gives up. The waits handle the window's events themselves, so the
// poll and the Cancel button work while a transfer waits.
//
// A reply frame need not say which request it answers, yet answers may come twice, late,
// or for a line that was never awaited (the follow-up request after identification). The
// session never takes an answer it cannot tie to its request:
// - A tester that puts the request's address in the data field's first four characters
//   (its identification answer starts with "0190") has each answer checked against the
//   awaited address; anything else on the line is dropped, wherever it lands, also when
//   several answers meet in one poll. Only a second answer for an address already answered
//   in this session that says something else counts: one of the two was stale (a copy from
//   an earlier session, say), so the line is out of step. A transfer that read anything
//   asks its last read again at the end: the tester answers in turn, so the right answer
//   to a read that took a stale one comes before the repeat's answer, and contradicts it.
// - For a tester that does not, the bytes on the line must add up: one frame per request,
//   the follow-up's answer (of either length) before the first transfer request, the
//   extra answers of a re-sent line before the next request. Anything more, found before
//   a request goes out or in the quiet after the transfer's last answer, makes the
//   exchange out of step: the transfer reports it instead of trusting its answers.
// - A long frame is never the answer to a transfer request.
// The follow-up request is not awaited from a tester that puts the address in its answers;
// from one that does not, up to the give-up horizon, since its late answer could not be
// told from the first transfer answer.
class LinkSession {
 public:
  // The text before " No:" in the identity line.
  static constexpr const char* kIdentityLead = "Tester";

  // firstPortNumber is where each search starts: the window starts at port 1; a front
  // end that was given one port starts there, so no absent port before it holds it up.
  LinkSession(LinkPort& port, LinkSessionHost& host, std::uint8_t firstPortNumber = 1);

  // Starts the session: the Status page, the search and the identification. Returns
  // false when the operator cancelled the search; the session has then ended.
  bool Begin();
  // Writes one request (the payload only for writes, padded to 16 characters) and waits
  // for its answer.
  ExchangeResult Exchange(RequestCode code, TesterAddress address, std::string_view payload = {});
  // After the transfer's last exchange: makes sure that no answer is still on its way that
  // would show the exchanges out of step (by asking the last read again, or by waiting the
  // time an answer takes). Answered when the line stayed in step.
  ExchangeOutcome ConfirmInStep();

  // The ends every transfer shares. Succeed shows the success text, clears the identity
  // line and ends the session; Fail shows the failure message and stops polling, leaving
  // the session in its failed state for Cancel or the next session to clear; EndCancelled
  // puts the given text in the identity line and ends the session.
  void Succeed(const std::string& statusText);
  void Fail(const std::string& message);
  void EndCancelled(const std::string& identityText = {});
  // Ends the session: closes the port and stops the poll. A front end without a Cancel
  // button ends a failed session with it.
  void EndLinkSession();

  // The poll: the handler of the window's 100 ms timer.
  void Tick();
  // The Cancel button's effect; the running wait sees it and returns.
  void Cancel();

  // True from the start of a session until it ends or the operator cancels: the window's
  // button then means Cancel.
  bool Cancellable() const { return !aborted_; }
  // True while the session looks for the tester.
  bool Searching() const { return !aborted_ && !identified_; }
  SessionEnd LastEnd() const { return lastEnd_; }
  std::uint16_t ComNumber() const { return port_.ComNumber(); }
  bool PortOpen() const { return port_.IsOpen(); }
  // The last request line written, for reports of what failed.
  const std::string& LastRequest() const { return lastRequest_; }
  LinkSessionHost& Host() const { return host_; }

  // Runs a transfer. An error it does not handle ends the session before going on to the
  // caller, so no session is left polling, beeping and holding the port after an error.
  // A system failure of the open port is told as the lost port it almost always is.
  template <typename Transfer>
  void Run(Transfer&& transfer) {
    try {
      transfer();
    } catch (const EInOutError& error) {
      const bool portWasOpen = port_.IsOpen();
      const std::string portName = PortName();
      EndAfterError();
      if (portWasOpen) throw EPortLost(portName, error.what());
      throw;
    } catch (...) {
      EndAfterError();
      throw;
    }
  }

 private:
  using Clock = std::chrono::steady_clock;

  // What the poll is doing with the frames it takes.
  enum class Phase {
    Searching,  // long frames: the identification answer
    Awaiting,   // the answer to the request last written
    Between,    // no request awaited: frames are accounted for, or are strays
  };

  void StartLinkSession();
  void FindInstrument();
  // A round of the search in which no port could be asked (every port absent, refused
  // or busy) would otherwise start the next at once and keep the processor busy: it
  // waits for the poll's next re-send tick, at most 1.1 s, first.
  void RestUntilNextResendTick();
  void IdentifyInstrument();
  // Writes a request line and restarts the retry state.
  void SendRequest(RequestCode code, TesterAddress address, std::string_view payload);
  enum class WaitOutcome { Reply, NoReply, Cancelled };
  WaitOutcome WaitForReply();
  // Handles events until the time or a cancel, or until done says so.
  template <typename Done>
  void WaitUntil(Clock::time_point until, Done&& done);
  // Before a request: lets the answers still owed for earlier lines arrive, and checks
  // that nothing else is on the line. False when the line is out of step.
  bool LineInStepBeforeRequest();
  // lineStopped: no byte has come since the last poll tick.
  void TakeFrames(bool lineStopped = false);
  void TakeFramesAfterACutOne(std::uint16_t waiting);
  void RouteShortFrame(const std::string& dataField);
  std::chrono::milliseconds AnswerWindow() const;
  std::chrono::milliseconds GiveUpHorizon() const;
  void EndAfterError() noexcept;
  // "COM3 (/dev/ttyUSB0)": the port in use as the operator and the system name it.
  std::string PortName() const;

  LinkPort& port_;
  LinkSessionHost& host_;
  const std::uint8_t firstPortNumber_;
  std::uint8_t portNumber_ = 1;
  std::uint8_t retryCount_ = 0;
  std::uint8_t tickCount_ = 0;
  bool aborted_ = true;
  bool identified_ = false;
  bool replyOk_ = false;
  Phase phase_ = Phase::Between;
  std::string replyData_;
  std::string instrumentData_;
  std::string lastRequest_;
  TesterAddress awaitedAddress_ = 0;
  // The tester puts the request's address in its answers.
  bool echoesAddress_ = false;
  // The follow-up request's answer has not come yet, and no transfer request has gone out
  // since, so a frame may still be taken for it.
  bool followUpOwed_ = false;
  // Answers still owed for the re-sends of lines already answered, and until when they
  // may come.
  unsigned extraAnswersOwed_ = 0;
  Clock::time_point extraAnswersBy_{};
  // Bytes came that no request accounts for.
  bool strays_ = false;
  // The bytes left waiting after the last poll tick took its frames.
  std::uint16_t waitingAfterLastTick_ = 0;
  // The data field taken for each address answered in this session, and the address the
  // session last asked the tester to read.
  std::map<TesterAddress, std::string> answers_;
  std::optional<TesterAddress> lastReadAddress_;
  Clock::time_point lastSentAt_{};
  Clock::time_point lastAnsweredAt_{};
  // The longest an answer took in this session, from the line's last sending to its taking.
  std::chrono::milliseconds slowestAnswer_{0};
  // The device of the port last opened.
  std::string portDevice_;
  // A failure of the poll's re-send, handed to the waiting handler to report once.
  std::exception_ptr pollFailure_;
  SessionEnd lastEnd_ = SessionEnd::None;
  // Devices the operator was already told the search passes, in this session.
  std::set<std::string> skippedDevicesTold_;
};

}  // namespace orvel
