#include "link/LinkSession.h"

#include <chrono>
#include <thread>
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
// How long an answer to the follow-up request is waited for: the tester answers a
// request within a poll tick or two when it answers at all.
constexpr std::uint8_t kFollowUpAnswerTicks = 3;

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
  Aborted = false;
  ReplyOk = false;
  TickCount = 0;
  PortNumber = 1;
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
    if (probe.availability == PortAvailability::Available || probe.availability == PortAvailability::Busy) {
      host_.SetStatusText("Looking for instrument on Com" + std::to_string(PortNumber) + "...");
      try {
        port_.Open(PortNumber);
        SendRequest(RequestCode::Identify, IdentificationAddress);
        requestSentThisRound = true;
      } catch (const EOpenComm&) {
        host_.Beep();
      }
    } else if (probe.availability == PortAvailability::PermissionDenied &&
               refusedDevicesTold_.insert(probe.devicePath).second) {
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
  SendRequest(RequestCode::Identify, FollowUpAddress);
  const std::string serial = DecodeHexWords(InstrumentData.substr(0, 8));
  host_.SetIdentityText(std::string(kIdentityLead) + " No:" + serial + " on COM" + std::to_string(PortNumber));
  Identified = true;
  if (!Aborted) Settle(kFollowUpAnswerTicks, true);
}

void LinkSession::Settle(std::uint64_t ticks, bool stopOnFrame) {
  const std::uint64_t framesBefore = framesTaken_;
  const std::uint64_t ticksBefore = pollTicks_;
  while (!Aborted && !pollFailure_ && pollTicks_ - ticksBefore < ticks &&
         !(stopOnFrame && framesTaken_ != framesBefore)) {
    host_.ProcessEvents();
  }
}

void LinkSession::SendRequest(RequestCode code, TesterAddress address) {
  InstrumentData = AnswerPart(ReplyData, kInstrumentDataLength);
  if (port_.IsOpen() && !Aborted) {
    port_.DiscardInput();
    port_.DiscardOutput();
    LastRequest = BuildRequestLine(code, address, code == RequestCode::Write ? PayloadText : std::string());
    // A moment for the line to settle after the discards before the next request.
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    port_.WriteText(LastRequest);
  }
  TickCount = 0;
  RetryCount = 0;
  ReplyOk = false;
  firstSendTick_ = lastSendTick_ = pollTicks_;
}

void LinkSession::Timer1Timer() {
  ++pollTicks_;
  // Once an answer is accepted the wait only drains late copies of it; a re-send would
  // just bring another copy for the next request to take as its own answer.
  const bool answered = ReplyOk;
  const TakenReply taken = Identified ? TakeShortReply(port_) : TakeLongReply(port_);
  if (taken.outcome != ReplyOutcome::NothingTaken) {
    ++framesTaken_;
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
    }
  } catch (...) {
    // Raised here it would reach the operator on every 11th tick; the wait reports it once.
    if (!pollFailure_) pollFailure_ = std::current_exception();
  }
  ++RetryCount;
  lastSendTick_ = pollTicks_;
  host_.Beep();
}

WaitOutcome LinkSession::WaitForReply() {
  // Only when no outcome is decided does the wait block for the next event: a wait that
  // is over at once (an absent port after a wait that gave up) passes without a tick.
  host_.ProcessPendingEvents();
  for (;;) {
    if (pollFailure_) std::rethrow_exception(std::exchange(pollFailure_, nullptr));
    if (Aborted) return WaitOutcome::Cancelled;
    if (RetryCount > kResendsBeforeGivingUp) return WaitOutcome::NoReply;
    if (ReplyOk) break;
    host_.ProcessEvents();
  }
  if (RetryCount > 0) {
    // The answer may have been to the first send, so the tester may take as long again to
    // answer the last re-send: the line is drained for that long before the next request
    // can go out. Frames taken meanwhile are drained, not answers: a spoilt copy must not
    // replace the answer already accepted.
    std::string accepted = ReplyData;
    Settle(lastSendTick_ - firstSendTick_, false);
    ReplyData = std::move(accepted);
    if (pollFailure_) std::rethrow_exception(std::exchange(pollFailure_, nullptr));
    if (Aborted) return WaitOutcome::Cancelled;
  }
  return WaitOutcome::Reply;
}

void LinkSession::Cancel() {
  Aborted = true;
  host_.SetStatusText("Communications aborted");
  host_.ShowSessionCancelled();
}

void LinkSession::EndLinkSession() {
  if (port_.IsOpen()) port_.Close();
  Aborted = true;
  host_.SetPollTimerEnabled(false);
  host_.ShowSessionEnded();
  host_.StartPageReturnTimer();
}

bool LinkSession::Begin() {
  StartLinkSession();
  if (!Aborted) return true;
  EndLinkSession();
  return false;
}

std::string LinkSession::AnswerText() const { return AnswerPart(ReplyData, IdTextLength); }

void LinkSession::Succeed(const std::string& statusText) {
  host_.SetStatusText(statusText);
  host_.SetIdentityText("");
  EndLinkSession();
}

void LinkSession::Fail(const std::string& message) {
  // Polling stops before the box opens, so no re-send or beep goes on behind it.
  host_.SetPollTimerEnabled(false);
  host_.ShowInformation(message);
}

void LinkSession::EndCancelled() {
  host_.SetIdentityText("");
  EndLinkSession();
}

void LinkSession::EndAfterError() noexcept {
  try {
    EndLinkSession();
  } catch (...) {
    // The error that brought us here is the one to report.
  }
}

}  // namespace orvel
