#include "link/LinkSession.h"

#include <chrono>
#include <utility>

#include "link/LinkPort.h"
#include "link/LinkSessionHost.h"
#include "link/RequestLine.h"
#include "link/TakeReply.h"
#include "link/WireText.h"
#include "serial/PortErrors.h"

namespace orvel {
namespace {

// The answer proper starts at the data field's 5th character.
constexpr std::size_t kAnswerOffset = 4;
constexpr std::size_t kInstrumentDataLength = 64;
constexpr std::uint8_t kTicksPerAnswerWindow = 10;
constexpr std::uint8_t kResendsBeforeGivingUp = 2;
constexpr std::uint8_t kLastPortNumber = 254;
// The line counts as quiet after a fifth of a poll period without a byte: 20 ms, longer
// than the pauses inside a frame that a USB serial adapter's latency makes.
constexpr int kQuietParts = 5;

std::string AnswerPart(const std::string& dataField, std::size_t length) {
  return dataField.size() > kAnswerOffset ? dataField.substr(kAnswerOffset, length) : std::string();
}

}  // namespace

LinkSession::LinkSession(LinkPort& port, LinkSessionHost& host) : port_(port), host_(host) {}

void LinkSession::StartLinkSession() {
  host_.ShowStatusPage();
  host_.ShowSessionRunning();
  host_.SetStatusText("");
  host_.SetIdentityText("");
  Identified = false;
  lastEnd_ = SessionEnd::None;
  Aborted = false;
  ReplyOk = false;
  TickCount = 0;
  PortNumber = FirstPortNumber;
  pollFailure_ = nullptr;
  refusedDevicesTold_.clear();
  host_.SetPollTimerEnabled(true);
  PayloadText.clear();
  FindInstrument();
  IdentifyInstrument();
}

void LinkSession::FindInstrument() {
  --PortNumber;
  bool requestSentThisRound = false;
  for (;;) {
    port_.Close();
    if (PortNumber == kLastPortNumber) {
      if (!requestSentThisRound) RestUntilNextResendTick();
      requestSentThisRound = false;
      PortNumber = 1;
    } else {
      ++PortNumber;
    }
    const PortProbe probe = port_.Probe(PortNumber);
    const bool refused = probe.availability == PortAvailability::PermissionDenied;
    if (refused || probe.availability == PortAvailability::Available || probe.availability == PortAvailability::Busy) {
      // A refused port is shown too, so the operator sees where the search stands.
      host_.SetStatusText("Looking for instrument on Com" + std::to_string(PortNumber) + "...");
    }
    if (probe.availability == PortAvailability::Available || probe.availability == PortAvailability::Busy) {
      try {
        port_.Open(PortNumber);
        portDevice_ = probe.devicePath;
        SendRequest(RequestCode::Identify, IdentificationAddress);
        requestSentThisRound = true;
      } catch (const EOpenComm&) {
        host_.Beep();
      }
    } else if (refused && refusedDevicesTold_.insert(probe.devicePath).second) {
      host_.NotifyPortRefused(PermissionAdvice(probe.devicePath));
    }
    if (WaitForReply() == WaitOutcome::Cancelled) return;
    if (ReplyOk) {
      InstrumentData = AnswerPart(ReplyData, kInstrumentDataLength);
      return;
    }
  }
}

void LinkSession::RestUntilNextResendTick() {
  const std::uint8_t retries = RetryCount;
  while (!Aborted && !pollFailure_ && RetryCount == retries) host_.ProcessEvents();
}

void LinkSession::IdentifyInstrument() {
  // Its answer, which may come late or never, is waited for by the next request.
  SendRequest(RequestCode::Identify, FollowUpAddress);
  const std::string serial = DecodeHexWords(InstrumentData.substr(0, 8));
  host_.SetIdentityText(std::string(kIdentityLead) + " No:" + serial + " on COM" + std::to_string(PortNumber));
  Identified = true;
}

std::chrono::milliseconds LinkSession::AnswerWindow() const { return host_.PollPeriod() * (kTicksPerAnswerWindow + 1); }

std::chrono::milliseconds LinkSession::GiveUpHorizon() const { return AnswerWindow() * (kResendsBeforeGivingUp + 1); }

void LinkSession::AwaitClearLine() {
  if (lineClearPort_ != port_.ComNumber()) return;
  clearingLine_ = true;
  try {
    while (!Aborted && host_.Now() < lineClearAt_) host_.ProcessEvents();
  } catch (...) {
    clearingLine_ = false;
    throw;
  }
  clearingLine_ = false;
}

void LinkSession::SendRequest(RequestCode code, TesterAddress address) {
  InstrumentData = AnswerPart(ReplyData, kInstrumentDataLength);
  if (port_.IsOpen() && !Aborted) AwaitClearLine();
  if (port_.IsOpen() && !Aborted) {
    port_.DiscardInput();
    port_.DiscardOutput();
    LastRequest = BuildRequestLine(code, address, code == RequestCode::Write ? PayloadText : std::string());
    port_.AwaitQuietInput(host_.PollPeriod() / kQuietParts, AnswerWindow());
    port_.WriteText(LastRequest);
    lineClearPort_ = port_.ComNumber();
    lineClearAt_ = host_.Now() + GiveUpHorizon();
  }
  TickCount = 0;
  RetryCount = 0;
  ReplyOk = false;
}

void LinkSession::Timer1Timer() {
  // Once an answer is accepted the wait only lets late copies of it pass; a re-send
  // would just bring another copy.
  const bool answered = ReplyOk;
  const TakenReply taken = Identified ? TakeShortReply(port_) : TakeLongReply(port_);
  if (taken.outcome == ReplyOutcome::TakenAndPassed && RetryCount == 0) {
    // The answer to a line sent once: nothing more can come for it.
    lineClearAt_ = host_.Now();
  }
  if (clearingLine_) return;
  if (taken.outcome != ReplyOutcome::NothingTaken) {
    ReplyData = taken.dataField;
    if (taken.outcome == ReplyOutcome::TakenAndPassed) ReplyOk = true;
  }
  if (++TickCount <= kTicksPerAnswerWindow) return;
  TickCount = 0;
  if (answered) return;
  try {
    if (port_.IsOpen()) {
      port_.DiscardInput();
      port_.WriteText(LastRequest);
      lineClearAt_ = host_.Now() + GiveUpHorizon();
    }
  } catch (...) {
    // Raised here it would reach the operator on every 11th tick; the wait reports it once.
    if (!pollFailure_) pollFailure_ = std::current_exception();
  }
  ++RetryCount;
  host_.Beep();
}

WaitOutcome LinkSession::WaitForReply() {
  // Only when no outcome is decided does the wait block for the next event: a wait that
  // is over at once (an absent port after a wait that gave up) passes without a tick.
  host_.ProcessPendingEvents();
  for (;;) {
    if (pollFailure_) std::rethrow_exception(std::exchange(pollFailure_, nullptr));
    // An accepted answer counts even when Cancel came in the same round: a write the
    // tester acknowledged is written. Cancel then stops the next request.
    if (ReplyOk && RetryCount <= kResendsBeforeGivingUp) return WaitOutcome::Reply;
    if (Aborted) return WaitOutcome::Cancelled;
    if (RetryCount > kResendsBeforeGivingUp) return WaitOutcome::NoReply;
    host_.ProcessEvents();
  }
}

void LinkSession::Cancel() {
  Aborted = true;
  host_.SetStatusText("Communications aborted");
  host_.ShowSessionCancelled();
}

void LinkSession::EndLinkSession() {
  // A port that fails to close (its device pulled out) still leaves the session ended.
  std::exception_ptr closeFailure;
  if (port_.IsOpen()) {
    try {
      port_.Close();
    } catch (...) {
      closeFailure = std::current_exception();
    }
  }
  Aborted = true;
  host_.SetPollTimerEnabled(false);
  host_.ShowSessionEnded();
  host_.StartPageReturnTimer();
  if (closeFailure) std::rethrow_exception(closeFailure);
}

bool LinkSession::Begin() {
  StartLinkSession();
  if (!Aborted) return true;
  lastEnd_ = SessionEnd::Cancelled;
  EndLinkSession();
  return false;
}

std::string LinkSession::AnswerText() const { return AnswerPart(ReplyData, IdTextLength); }

void LinkSession::Succeed(const std::string& statusText) {
  lastEnd_ = SessionEnd::Succeeded;
  host_.SetStatusText(statusText);
  host_.SetIdentityText("");
  EndLinkSession();
}

void LinkSession::Fail(const std::string& message) {
  lastEnd_ = SessionEnd::Failed;
  // Polling stops before the box opens, so no re-send or beep goes on behind it.
  host_.SetPollTimerEnabled(false);
  host_.ShowInformation(message);
}

void LinkSession::EndCancelled() {
  lastEnd_ = SessionEnd::Cancelled;
  host_.SetIdentityText("");
  EndLinkSession();
}

std::string LinkSession::PortName() const {
  const std::string name = "COM" + std::to_string(port_.ComNumber());
  return portDevice_.empty() ? name : name + " (" + portDevice_ + ")";
}

void LinkSession::EndAfterError() noexcept {
  try {
    EndLinkSession();
  } catch (...) {
    // The error that brought us here is the one to report.
  }
}

}  // namespace orvel
