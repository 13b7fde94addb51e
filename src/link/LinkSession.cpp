#include "link/LinkSession.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "link/LinkPort.h"
#include "link/LinkSessionHost.h"
#include "link/ReplyFrame.h"
#include "link/RequestLine.h"
#include "link/TakeReply.h"
#include "link/WireText.h"
#include "serial/PortDeviceMap.h"
#include "serial/PortErrors.h"

namespace orvel {
namespace {

// The answer proper starts at the data field's 5th character; the four before it carry
// the request's address, where the tester puts it there.
constexpr std::size_t kAnswerOffset = 4;
constexpr std::size_t kInstrumentDataLength = 64;
constexpr std::uint8_t kTicksPerAnswerWindow = 10;
constexpr std::uint8_t kResendsBeforeGivingUp = 2;
// The line counts as quiet after a fifth of a poll period without a byte: 20 ms, longer
// than the pauses inside a frame that a USB serial adapter's latency makes.
constexpr int kQuietParts = 5;

std::string AnswerPart(const std::string& dataField, std::size_t length) {
  return dataField.size() > kAnswerOffset ? dataField.substr(kAnswerOffset, length) : std::string();
}

std::string AddressText(TesterAddress address) {
  char text[5];
  std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(address));
  return text;
}

// The address a frame's data field names, where the tester puts it there.
std::string AddressTie(const std::string& dataField) { return dataField.substr(0, kAnswerOffset); }

}  // namespace

LinkSession::LinkSession(LinkPort& port, LinkSessionHost& host, std::uint8_t firstPortNumber)
    : port_(port), host_(host), firstPortNumber_(firstPortNumber), portNumber_(firstPortNumber) {}

bool LinkSession::Begin() {
  StartLinkSession();
  if (!aborted_) return true;
  lastEnd_ = SessionEnd::Cancelled;
  EndLinkSession();
  return false;
}

void LinkSession::StartLinkSession() {
  host_.ShowStatusPage();
  host_.ShowSessionRunning();
  host_.SetStatusText("");
  host_.SetIdentityText("");
  identified_ = false;
  lastEnd_ = SessionEnd::None;
  aborted_ = false;
  replyOk_ = false;
  tickCount_ = 0;
  portNumber_ = firstPortNumber_;
  phase_ = Phase::Searching;
  echoesAddress_ = false;
  followUpOwed_ = false;
  extraAnswersOwed_ = 0;
  strays_ = false;
  waitingAfterLastTick_ = 0;
  answers_.clear();
  lastReadAddress_.reset();
  slowestAnswer_ = std::chrono::milliseconds(0);
  pollFailure_ = nullptr;
  skippedDevicesTold_.clear();
  host_.SetPollTimerEnabled(true);
  FindInstrument();
  IdentifyInstrument();
}

void LinkSession::FindInstrument() {
  --portNumber_;
  bool requestSentThisRound = false;
  for (;;) {
    port_.Close();
    if (portNumber_ == kLastPortNumber) {
      if (!requestSentThisRound) RestUntilNextResendTick();
      requestSentThisRound = false;
      portNumber_ = 1;
    } else {
      ++portNumber_;
    }
    const PortProbe probe = port_.Probe(portNumber_);
    const bool refused = probe.availability == PortAvailability::PermissionDenied;
    const bool usable =
        probe.availability == PortAvailability::Available || probe.availability == PortAvailability::Busy;
    // A refused port is shown too, so the operator sees where the search stands.
    if (refused || usable) host_.SetStatusText("Looking for instrument on Com" + std::to_string(portNumber_) + "...");
    if (usable) {
      try {
        port_.Open(portNumber_);
        portDevice_ = probe.devicePath;
        SendRequest(RequestCode::Identify, IdentificationAddress, {});
        requestSentThisRound = true;
      } catch (const EOpenComm&) {
        host_.Beep();
      } catch (const EInOutError& refusal) {
        // A port that opens but refuses the line settings (a Bluetooth or virtual COM port,
        // say) cannot be the tester's: the search passes it as it passes a missing one.
        host_.Beep();
        if (skippedDevicesTold_.insert(probe.devicePath).second) {
          host_.NotifyPortSkipped("COM" + std::to_string(portNumber_) + " (" + probe.devicePath +
                                  ") cannot be set up for the tester: " + refusal.what() +
                                  ". The search goes on with the other ports.");
        }
      }
    } else if (refused && skippedDevicesTold_.insert(probe.devicePath).second) {
      host_.NotifyPortSkipped(PermissionAdvice(probe.devicePath));
    }
    if (WaitForReply() == WaitOutcome::Cancelled) return;
    if (replyOk_) {
      instrumentData_ = AnswerPart(replyData_, kInstrumentDataLength);
      echoesAddress_ = AddressTie(replyData_) == AddressText(IdentificationAddress);
      return;
    }
  }
}

void LinkSession::RestUntilNextResendTick() {
  const std::uint8_t retries = retryCount_;
  while (!aborted_ && !pollFailure_ && retryCount_ == retries) host_.ProcessEvents();
}

void LinkSession::IdentifyInstrument() {
  const bool writes = port_.IsOpen() && !aborted_;
  SendRequest(RequestCode::Identify, FollowUpAddress, {});
  const std::string serial = DecodeHexWords(instrumentData_.substr(0, 8));
  host_.SetIdentityText(std::string(kIdentityLead) + " No:" + serial + " on COM" + std::to_string(portNumber_));
  identified_ = true;
  phase_ = Phase::Between;
  if (!writes) return;
  // The follow-up's answer is not awaited: a tester may answer it late or never. One that
  // puts the address in its answers has it dropped wherever it lands; the next request
  // lets an answer already arriving pass before it goes out.
  followUpOwed_ = true;
  if (echoesAddress_) return;
  // Without the address, an answer that comes at once is taken here, within the poll
  // period its bytes need, so that it does not meet the first transfer answer on the line.
  WaitUntil(lastSentAt_ + host_.PollPeriod() / 2, [] { return false; });
  WaitUntil(lastSentAt_ + AnswerWindow(), [this] { return !followUpOwed_ || port_.InputCount() == 0; });
  // One that comes later would be taken for the first request's answer, and every answer
  // after it for the request before: such a tester has until the give-up horizon.
  WaitUntil(lastSentAt_ + GiveUpHorizon(), [this] { return !followUpOwed_; });
}

std::chrono::milliseconds LinkSession::AnswerWindow() const { return host_.PollPeriod() * (kTicksPerAnswerWindow + 1); }

std::chrono::milliseconds LinkSession::GiveUpHorizon() const { return AnswerWindow() * (kResendsBeforeGivingUp + 1); }

template <typename Done>
void LinkSession::WaitUntil(Clock::time_point until, Done&& done) {
  while (!aborted_ && !done() && host_.Now() < until) {
    if (pollFailure_) std::rethrow_exception(std::exchange(pollFailure_, nullptr));
    host_.ProcessEvents();
  }
}

void LinkSession::SendRequest(RequestCode code, TesterAddress address, std::string_view payload) {
  instrumentData_ = AnswerPart(replyData_, kInstrumentDataLength);
  if (port_.IsOpen() && !aborted_) {
    // A frame still arriving is let pass, so that it is not taken for this line's answer.
    const bool bytesArrived = port_.AwaitQuietInput(host_.PollPeriod() / kQuietParts, AnswerWindow());
    if (bytesArrived && identified_ && !echoesAddress_ && !followUpOwed_) strays_ = true;
    port_.DiscardInput();
    // The follow-up line, written just before the first transfer request without waiting
    // for its answer, may still be on its way out: it must reach the tester, not be cut off.
    if (!followUpOwed_) port_.DiscardOutput();
    std::string padded(payload);
    if (code == RequestCode::Write) PadTo16(padded);
    lastRequest_ = BuildRequestLine(code, address, padded);
    port_.WriteText(lastRequest_);
    lastSentAt_ = host_.Now();
  }
  // Once a transfer request is out, a frame without the address can no longer be told
  // from its answer.
  if (identified_) followUpOwed_ = false;
  awaitedAddress_ = address;
  tickCount_ = 0;
  retryCount_ = 0;
  replyOk_ = false;
}

bool LinkSession::LineInStepBeforeRequest() {
  // Each answer is checked against its request's address: only a conflicting answer matters.
  if (echoesAddress_) return !strays_;
  WaitUntil(extraAnswersBy_, [this] { return extraAnswersOwed_ == 0 || strays_; });
  extraAnswersOwed_ = 0;
  TakeFrames();
  // Bytes of a frame still arriving may be the follow-up's answer; anything else is more
  // than the requests account for.
  if (port_.InputCount() > 0 && !followUpOwed_) strays_ = true;
  return !strays_;
}

ExchangeResult LinkSession::Exchange(RequestCode code, TesterAddress address, std::string_view payload) {
  if (!aborted_ && !LineInStepBeforeRequest()) return {ExchangeOutcome::OutOfStep, {}, false};
  const bool writes = port_.IsOpen() && !aborted_;
  SendRequest(code, address, payload);
  if (code == RequestCode::Read) lastReadAddress_ = address;
  if (strays_) return {ExchangeOutcome::OutOfStep, {}, writes};
  phase_ = Phase::Awaiting;
  const WaitOutcome outcome = WaitForReply();
  phase_ = Phase::Between;
  switch (outcome) {
    case WaitOutcome::Reply:
      if (retryCount_ > 0) {
        // Every sending of the line may be answered; the answer taken was one of them.
        extraAnswersOwed_ += retryCount_;
        extraAnswersBy_ = lastSentAt_ + GiveUpHorizon();
      }
      return {ExchangeOutcome::Answered, AnswerPart(replyData_, IdTextLength), writes};
    case WaitOutcome::NoReply:
      return {ExchangeOutcome::NoReply, {}, writes};
    case WaitOutcome::Cancelled:
      break;
  }
  return {ExchangeOutcome::Cancelled, {}, writes};
}

ExchangeOutcome LinkSession::ConfirmInStep() {
  if (echoesAddress_) {
    // A stale answer taken for the last read leaves the right one to come after it, and a
    // tester answers in turn: once it has answered the last read asked again, the right
    // answer has come too, and contradicts a stale one. However late the tester's answers
    // come, the transfer waits no longer than for them.
    if (lastReadAddress_) {
      const ExchangeResult again = Exchange(RequestCode::Read, *lastReadAddress_);
      if (again.outcome != ExchangeOutcome::Answered) return again.outcome;
    }
    if (aborted_) return ExchangeOutcome::Cancelled;
    TakeFrames();
    return strays_ ? ExchangeOutcome::OutOfStep : ExchangeOutcome::Answered;
  }
  WaitUntil(extraAnswersBy_, [this] { return extraAnswersOwed_ == 0 || strays_; });
  // A frame taken for the wrong request leaves the right one to come after the last
  // answer, as late as answers come on this line.
  const std::chrono::milliseconds quiet = std::max(slowestAnswer_, host_.PollPeriod()) + host_.PollPeriod();
  WaitUntil(lastAnsweredAt_ + quiet, [this] { return strays_; });
  if (aborted_) return ExchangeOutcome::Cancelled;
  TakeFrames();
  if (port_.InputCount() > 0) strays_ = true;
  return strays_ ? ExchangeOutcome::OutOfStep : ExchangeOutcome::Answered;
}

void LinkSession::Tick() {
  // Once an answer is accepted the wait only lets late copies of it pass; a re-send
  // would just bring another copy.
  const bool answered = replyOk_;
  const Phase phase = phase_;
  if (phase == Phase::Searching) {
    const TakenReply taken = TakeLongReply(port_);
    if (taken.outcome != ReplyOutcome::NothingTaken) replyData_ = taken.dataField;
    if (taken.outcome == ReplyOutcome::TakenAndPassed) replyOk_ = true;
  } else {
    // Bytes that have not changed since the last tick: the line stopped a poll ago.
    TakeFrames(port_.InputCount() == waitingAfterLastTick_);
    waitingAfterLastTick_ = port_.InputCount();
  }
  // An answer taken in this tick still lets the tick count, as a timer's would.
  if (phase == Phase::Between) return;
  if (++tickCount_ <= kTicksPerAnswerWindow) return;
  tickCount_ = 0;
  if (answered) return;
  try {
    if (port_.IsOpen()) {
      port_.DiscardInput();
      port_.WriteText(lastRequest_);
      lastSentAt_ = host_.Now();
    }
  } catch (...) {
    // Raised here it would reach the operator on every 11th tick; the wait reports it once.
    if (!pollFailure_) pollFailure_ = std::current_exception();
  }
  ++retryCount_;
  host_.Beep();
}

void LinkSession::TakeFrames(bool lineStopped) {
  const std::uint16_t waiting = port_.InputCount();
  if (waiting == LongReplyLength) {
    // A long frame answers only the identification or the follow-up request.
    TakeLongReply(port_);
    followUpOwed_ = false;
    return;
  }
  if (echoesAddress_ && waiting > ShortReplyLength && waiting % ShortReplyLength == 0) {
    // Answers that met on the line: each names the address it answers, so each is taken
    // on its own rather than all of them dropped for a re-send.
    std::string frames(waiting, '\0');
    port_.ReadBlock(std::span<char>(frames));
    for (std::size_t at = 0; at < frames.size(); at += ShortReplyLength) {
      const TakenReply taken = JudgeTakenFrame(std::string_view(frames).substr(at, ShortReplyLength));
      if (taken.outcome == ReplyOutcome::TakenAndPassed) RouteShortFrame(taken.dataField);
    }
    return;
  }
  if (echoesAddress_ && lineStopped && waiting > ShortReplyLength && waiting % ShortReplyLength != 0) {
    TakeFramesAfterACutOne(waiting);
    return;
  }
  if (waiting != ShortReplyLength) return;
  const TakenReply taken = TakeShortReply(port_);
  if (taken.outcome == ReplyOutcome::TakenAndPassed) {
    RouteShortFrame(taken.dataField);
  } else if (phase_ == Phase::Between && !echoesAddress_) {
    // A spoilt frame where none is owed is still more than the requests account for.
    RouteShortFrame(std::string());
  }
}

void LinkSession::TakeFramesAfterACutOne(std::uint16_t waiting) {
  // A discard that fell in the middle of a frame leaves that frame's tail ahead of the
  // whole frames after it; once the line has stopped for a poll, the last whole frame ends
  // where the bytes end. Each frame names its address, so the whole ones are taken, counted
  // back from the end; the cut one fails its check and is dropped.
  std::string bytes(waiting, '\0');
  port_.ReadBlock(std::span<char>(bytes));
  std::vector<std::string> dataFields;
  for (std::size_t end = bytes.size(); end >= ShortReplyLength;) {
    if (end >= LongReplyLength && JudgeTakenFrame(std::string_view(bytes).substr(end - LongReplyLength, LongReplyLength))
                                          .outcome == ReplyOutcome::TakenAndPassed) {
      end -= LongReplyLength;  // the follow-up's long answer
      continue;
    }
    const TakenReply taken = JudgeTakenFrame(std::string_view(bytes).substr(end - ShortReplyLength, ShortReplyLength));
    if (taken.outcome != ReplyOutcome::TakenAndPassed) break;
    dataFields.insert(dataFields.begin(), taken.dataField);
    end -= ShortReplyLength;
  }
  for (const std::string& dataField : dataFields) RouteShortFrame(dataField);
}

void LinkSession::RouteShortFrame(const std::string& dataField) {
  const bool awaited =
      phase_ == Phase::Awaiting && (!echoesAddress_ || AddressTie(dataField) == AddressText(awaitedAddress_));
  if (awaited) {
    replyData_ = dataField;
    replyOk_ = true;
    const auto [taken, first] = answers_.try_emplace(awaitedAddress_, dataField);
    if (!first && taken->second != dataField) strays_ = true;
    lastAnsweredAt_ = host_.Now();
    slowestAnswer_ =
        std::max(slowestAnswer_, std::chrono::duration_cast<std::chrono::milliseconds>(lastAnsweredAt_ - lastSentAt_));
    phase_ = Phase::Between;
    return;
  }
  if (echoesAddress_) {
    // A doubled or stale answer, or the follow-up's: dropped wherever it lands, unless it
    // contradicts the answer taken for its address.
    const std::string tie = AddressTie(dataField);
    if (tie == AddressText(FollowUpAddress)) followUpOwed_ = false;
    for (const auto& [address, taken] : answers_) {
      if (tie == AddressText(address) && taken != dataField) strays_ = true;
    }
    return;
  }
  if (followUpOwed_) {
    followUpOwed_ = false;
  } else if (extraAnswersOwed_ > 0) {
    --extraAnswersOwed_;
  } else {
    strays_ = true;
  }
}

LinkSession::WaitOutcome LinkSession::WaitForReply() {
  // Only when no outcome is decided does the wait block for the next event: a wait that
  // is over at once (an absent port after a wait that gave up) passes without a tick.
  host_.ProcessPendingEvents();
  for (;;) {
    if (pollFailure_) std::rethrow_exception(std::exchange(pollFailure_, nullptr));
    // An accepted answer counts even when Cancel came in the same round: a write the
    // tester acknowledged is written. Cancel then stops the next request.
    if (replyOk_ && retryCount_ <= kResendsBeforeGivingUp) return WaitOutcome::Reply;
    if (aborted_) return WaitOutcome::Cancelled;
    if (retryCount_ > kResendsBeforeGivingUp) return WaitOutcome::NoReply;
    host_.ProcessEvents();
  }
}

void LinkSession::Cancel() {
  aborted_ = true;
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
  aborted_ = true;
  phase_ = Phase::Between;
  host_.SetPollTimerEnabled(false);
  host_.ShowSessionEnded();
  host_.StartPageReturnTimer();
  if (closeFailure) std::rethrow_exception(closeFailure);
}

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

void LinkSession::EndCancelled(const std::string& identityText) {
  lastEnd_ = SessionEnd::Cancelled;
  host_.SetIdentityText(identityText);
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
