#include "simulator/TesterSimulator.h"

#include "simulator/ReplyPlan.h"
#include "simulator/SystemError.h"
#include "simulator/TesterRequest.h"

#include <poll.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <utility>

namespace orvel::sim {
namespace {

using Clock = std::chrono::steady_clock;

RequestKind KindOf(const TesterRequest& request) {
  if (request.code == WriteCode) {
    return RequestKind::Write;
  }
  if (request.code == ReadCode) {
    return RequestKind::Read;
  }
  return request.address == FollowUpAddress ? RequestKind::FollowUp : RequestKind::Identify;
}

// A poll timeout that wakes no earlier than `due`; none when nothing is due.
int MillisecondsUntil(const std::optional<Clock::time_point>& due) {
  if (!due) {
    return -1;
  }
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(*due - Clock::now());
  return static_cast<int>(std::max<long long>(left.count(), 0));
}

struct Request {
  std::size_t lineNumber;
  Clock::time_point at;
  bool heard;  // it reached the tester
  bool aside;  // answered at its own time, holding up nothing
};

// An answer held back goes out ahead of the next answer to a request the tester heard.
void ScheduleAnswer(OutputSchedule& output, const ReplyPlan& plan, const Request& request) {
  if (plan.hangUp) {
    output.InTurn({.lineNumber = request.lineNumber, .hangUp = true}, request.at, {});
  } else if (plan.heldForNext) {
    output.Hold(plan.Bytes());
  } else if (request.heard) {
    Outgoing answer{.lineNumber = request.lineNumber,
                    .bytes = plan.Bytes(),
                    .pieces = plan.pieces,
                    .gap = plan.gap,
                    .copyAfter = plan.copyAfter};
    if (request.aside) {
      output.InTurn({.lineNumber = request.lineNumber, .bytes = output.Release()}, request.at, {});
      output.Aside(std::move(answer), request.at + plan.delay);
    } else {
      answer.bytes.insert(0, output.Release());
      output.InTurn(std::move(answer), request.at, plan.delay);
    }
  }
}

}  // namespace

TesterSimulator::TesterSimulator() = default;

TesterSimulator::~TesterSimulator() { Stop(); }

void TesterSimulator::Start() {
  if (m_thread.joinable()) {
    return;
  }
  if (m_hungUp) {
    throw ESimulator("Tester simulator: the line was hung up; create a new simulator.");
  }
  m_serving = true;
  m_thread = std::thread([this] { Run(); });
}

void TesterSimulator::Stop() noexcept {
  if (!m_thread.joinable()) {
    return;
  }
  m_stop.Raise();
  m_thread.join();
  m_stop.Reset();
}

std::string TesterSimulator::Failure() const {
  const std::lock_guard lock(m_mutex);
  return m_failure;
}

void TesterSimulator::SetTrailerId(std::size_t slot, std::string_view text) {
  const std::lock_guard lock(m_mutex);
  m_memory.SetTrailerId(slot, text);
}

void TesterSimulator::SetVehicleId(std::size_t slot, std::string_view text) {
  const std::lock_guard lock(m_mutex);
  m_memory.SetVehicleId(slot, text);
}

void TesterSimulator::SetCompanyName(std::string_view text) {
  const std::lock_guard lock(m_mutex);
  m_memory.SetCompanyName(text);
}

void TesterSimulator::SetIdentity(const TesterIdentity& identity) {
  const std::lock_guard lock(m_mutex);
  m_memory.SetIdentity(identity);
}

void TesterSimulator::SetAnswersFollowUp(bool answers) {
  const std::lock_guard lock(m_mutex);
  m_memory.SetAnswersFollowUp(answers);
}

void TesterSimulator::SetFollowUpFrame(FollowUpFrame frame) {
  const std::lock_guard lock(m_mutex);
  m_memory.SetFollowUpFrame(frame);
}

void TesterSimulator::SetFollowUpAnsweredAfter(std::optional<std::chrono::milliseconds> after) {
  if (after && after->count() < 0) {
    throw ESimulator("Tester simulator: the follow-up cannot be answered before it is asked.");
  }
  const std::lock_guard lock(m_mutex);
  m_followUpAfter = after;
}

void TesterSimulator::SetEchoesAddress(bool echoes) {
  const std::lock_guard lock(m_mutex);
  m_memory.SetEchoesAddress(echoes);
}

void TesterSimulator::SetPacing(Pacing pacing) {
  const std::lock_guard lock(m_mutex);
  m_pacing = pacing;
}

void TesterSimulator::SetAnswerTiming(const AnswerTiming& timing) {
  AnswerClock clock(timing);
  const std::lock_guard lock(m_mutex);
  m_answerClock = clock;
}

void TesterSimulator::SetTrafficObserver(TrafficObserver observer) {
  const std::lock_guard lock(m_mutex);
  m_observer = std::move(observer);
}

std::string TesterSimulator::TrailerId(std::size_t slot) const {
  const std::lock_guard lock(m_mutex);
  return m_memory.TrailerId(slot);
}

std::string TesterSimulator::VehicleId(std::size_t slot) const {
  const std::lock_guard lock(m_mutex);
  return m_memory.VehicleId(slot);
}

std::string TesterSimulator::CompanyName() const {
  const std::lock_guard lock(m_mutex);
  return m_memory.CompanyName();
}

void TesterSimulator::AddFaultRule(const FaultRule& rule) {
  const std::lock_guard lock(m_mutex);
  m_planner.AddRule(rule);
}

void TesterSimulator::SetRandomFaults(const RandomFaults& random) {
  const std::lock_guard lock(m_mutex);
  m_planner.SetRandomFaults(random);
}

void TesterSimulator::ClearFaults() {
  const std::lock_guard lock(m_mutex);
  m_planner.Clear();
}

std::vector<ReceivedLine> TesterSimulator::RequestLog() const {
  const std::lock_guard lock(m_mutex);
  return m_log;
}

std::size_t TesterSimulator::RequestCount() const {
  const std::lock_guard lock(m_mutex);
  return m_log.size();
}

std::vector<FaultRecord> TesterSimulator::InjectedFaults() const {
  const std::lock_guard lock(m_mutex);
  return m_faults;
}

void TesterSimulator::Run() noexcept {
  try {
    Serve();
  } catch (const std::exception& error) {
    const std::lock_guard lock(m_mutex);
    m_failure = error.what();
  }
  m_serving = false;
}

// Waits for whichever comes first: a request, the next output due, or a stop.
void TesterSimulator::Serve() {
  LineAssembler assembler;
  OutputSchedule output;
  for (;;) {
    pollfd watched[2] = {{m_line.Master(), POLLIN, 0}, {m_stop.Fd(), POLLIN, 0}};
    if (::poll(watched, 2, MillisecondsUntil(output.NextDue())) < 0) {
      const int error = errno;
      if (error == EINTR) {
        continue;
      }
      throw SystemFailure("waiting for a request", error);
    }
    if (watched[1].revents != 0) {
      return;
    }
    if (watched[0].revents != 0) {
      for (std::string& line : ReadLines(assembler)) {
        ServeLine(std::move(line), output);
      }
    }
    while (const std::optional<Outgoing> due = output.TakeDue(Clock::now())) {
      if (!Put(*due, output)) {
        return;
      }
    }
  }
}

std::vector<std::string> TesterSimulator::ReadLines(LineAssembler& assembler) {
  char received[256];
  const ssize_t count = ::read(m_line.Master(), received, sizeof received);
  if (count < 0) {
    const int error = errno;
    if (error == EAGAIN || error == EINTR) {
      return {};
    }
    throw SystemFailure("reading from the pseudo-terminal", error);
  }
  if (count == 0) {
    throw ESimulator("Tester simulator: the pseudo-terminal closed unexpectedly.");
  }
  return assembler.Feed(std::string_view(received, static_cast<std::size_t>(count)));
}

void TesterSimulator::ServeLine(std::string line, OutputSchedule& output) {
  const Clock::time_point at = Clock::now();
  const std::optional<TesterRequest> request = ParseRequestLine(line);

  std::unique_lock lock(m_mutex);
  m_log.push_back({at, line, request.has_value()});
  const std::size_t lineNumber = m_log.size();
  std::vector<TrafficEvent> events{{TrafficKind::LineReceived, lineNumber, line, std::nullopt, at}};

  ReplyPlan plan;
  bool heard = false;
  bool aside = false;
  if (request) {
    const std::vector<ChosenFault> faults = m_planner.Choose(lineNumber, request->address, line);
    heard = std::none_of(faults.begin(), faults.end(),
                         [](const ChosenFault& fault) { return KeepsRequestFromTester(fault.kind); });
    if (heard) {
      plan.frame = m_memory.Answer(*request);
    }
    const RequestKind kind = KindOf(*request);
    aside = kind == RequestKind::FollowUp && m_followUpAfter.has_value();
    plan.delay = aside ? *m_followUpAfter : m_answerClock.DelayFor(kind);
    for (const ChosenFault& fault : faults) {
      ApplyFault(plan, fault, m_planner.Random());
      m_faults.push_back({fault.kind, lineNumber, line, at});
      events.push_back({TrafficKind::FaultInjected, lineNumber, {}, fault.kind, at});
    }
  }
  lock.unlock();

  for (const TrafficEvent& event : events) {
    Notify(event);
  }
  ScheduleAnswer(output, plan, {lineNumber, at, heard, aside});
}

bool TesterSimulator::Put(const Outgoing& outgoing, OutputSchedule& output) {
  if (outgoing.hangUp) {
    m_line.HangUp();
    m_hungUp = true;
    Notify({TrafficKind::HungUp, outgoing.lineNumber, {}, std::nullopt, Clock::now()});
    return false;
  }
  Pacing pacing = Pacing::Immediate;
  {
    const std::lock_guard lock(m_mutex);
    pacing = m_pacing;
  }
  if (ReplyWriter(m_line.Master(), m_stop).Send(outgoing, pacing) != WriteOutcome::Sent) {
    return false;
  }
  const Clock::time_point finished = Clock::now();
  output.Sent(outgoing, finished);
  Notify({TrafficKind::ReplySent, outgoing.lineNumber, outgoing.bytes, std::nullopt, finished});
  return true;
}

void TesterSimulator::Notify(const TrafficEvent& event) const {
  TrafficObserver observer;
  {
    const std::lock_guard lock(m_mutex);
    observer = m_observer;
  }
  if (observer) {
    observer(event);
  }
}

}  // namespace orvel::sim
