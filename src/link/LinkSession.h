#pragma once

#include <chrono>
#include <cstdint>
#include <exception>
#include <set>
#include <string>

#include "link/LinkPort.h"
#include "link/PortLost.h"
#include "link/TesterAddresses.h"
#include "serial/PortErrors.h"

namespace orvel {

class LinkSessionHost;

enum class WaitOutcome { Reply, NoReply, Cancelled };

// How the last session ended: not yet, or never started (a transfer refused before it);
// with the transfer's success text; with its failure message; or cancelled.
enum class SessionEnd { None, Succeeded, Failed, Cancelled };

// One operator-started exchange with the tester: find the port on which the tester
// answers, identify it, run the transfer's requests one after another, end.
//
// Everything runs on the window's thread. A request line goes out once, then again at
// every 11th poll tick (100 ms each) while no valid answer has come; after the third
// re-send the wait gives up. The wait handles the window's events itself, so the poll
// and the Cancel button work while a transfer handler waits.
//
// A reply frame carries nothing that ties it to its request, so the session keeps this
// invariant: when a request line goes out, no earlier line can still be answered. It
// rests on the tester answering each line at most once, in the order the lines reached
// it, and within the give-up horizon of the line reaching it: three answer windows (33
// poll periods, 3.3 s), after which the wait itself treats a line as unanswered. An
// answer may well come later than one answer window: held back by the tester, queued
// behind its slow writes, or delayed by the scheduling of either side. So before a
// request goes out on a port, the session waits, by the clock and without re-sending,
// until every line sent there before has either had its answer taken (a line sent once
// whose frame passed) or went out at least one give-up horizon ago: after re-sends,
// after the follow-up request that the tester answers late or never, after a failed or
// cancelled wait, also across sessions. Then it discards input until the line has been
// quiet for a moment, so that a frame still arriving is not taken for the answer. Any
// frame taken after the request went out is then the answer to that request, or to a
// re-send of the same line.
//
// Asking a request twice and taking only the second answer would not spare that wait:
// the first send's answer may come after the second send, and then the second send's
// answer is still due when the next request goes out.
class LinkSession {
 public:
  // The text before " No:" in the identity line.
  static constexpr const char* kIdentityLead = "Tester";

  LinkSession(LinkPort& port, LinkSessionHost& host);

  // Session state, kept between sessions as the window keeps it.
  std::uint8_t PortNumber = 1;
  // The port each search starts at. The window starts at port 1; a front end that was
  // given one port starts there, so that no absent port before it holds the search up.
  std::uint8_t FirstPortNumber = 1;
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
  SessionEnd LastEnd() const { return lastEnd_; }

  // The ends every transfer shares. Succeed shows the success text, clears the identity
  // line and ends the session; Fail shows the failure message and stops polling, leaving
  // the session in its failed state for Cancel or the next session to clear;
  // EndCancelled clears the identity line and ends the session.
  void Succeed(const std::string& statusText);
  void Fail(const std::string& message);
  void EndCancelled();

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

  LinkPort& Port() const { return port_; }
  LinkSessionHost& Host() const { return host_; }

 private:
  void FindInstrument();
  // A round of the search in which no port could be asked (every port absent, refused
  // or busy) would otherwise start the next at once and keep the processor busy: it
  // waits for the poll's next re-send tick, at most 1.1 s, first.
  void RestUntilNextResendTick();
  void IdentifyInstrument();
  // Handles events, without re-sending, until no line sent on the open port before can
  // still be answered, or the operator cancels.
  void AwaitClearLine();
  std::chrono::milliseconds AnswerWindow() const;
  std::chrono::milliseconds GiveUpHorizon() const;
  void EndAfterError() noexcept;
  // "COM3 (/dev/ttyUSB0)": the port in use as the operator and the system name it.
  std::string PortName() const;

  LinkPort& port_;
  LinkSessionHost& host_;
  // Until when a line sent on port lineClearPort_ may still be answered.
  std::chrono::steady_clock::time_point lineClearAt_{};
  std::uint16_t lineClearPort_ = 0;
  // The device of the port last opened.
  std::string portDevice_;
  // While the line clears before a request, the poll takes frames only to drop them.
  bool clearingLine_ = false;
  // A failure of the poll's re-send, handed to the waiting handler to report once.
  std::exception_ptr pollFailure_;
  SessionEnd lastEnd_ = SessionEnd::None;
  // Devices the operator was already told about in this session.
  std::set<std::string> refusedDevicesTold_;
};

}  // namespace orvel
