#include "simulator/TesterSimulator.h"

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

void TesterSimulator::Serve() {
  LineAssembler assembler;
  char received[256];
  for (;;) {
    pollfd watched[2] = {{m_line.Master(), POLLIN, 0}, {m_stop.Fd(), POLLIN, 0}};
    if (::poll(watched, 2, -1) < 0) {
      const int error = errno;
      if (error == EINTR) {
        continue;
      }
      throw SystemFailure("waiting for a request", error);
    }
    if (watched[1].revents != 0) {
      return;
    }
    const ssize_t count = ::read(m_line.Master(), received, sizeof received);
    if (count < 0) {
      const int error = errno;
      if (error == EAGAIN || error == EINTR) {
        continue;
      }
      throw SystemFailure("reading from the pseudo-terminal", error);
    }
    if (count == 0) {
      throw ESimulator("Tester simulator: the pseudo-terminal closed unexpectedly.");
    }
    for (std::string& line : assembler.Feed(std::string_view(received, static_cast<std::size_t>(count)))) {
      if (!ServeLine(std::move(line))) {
        return;
      }
    }
  }
}

// Returns false when the simulator must stop serving: a stop request, or a dead line.
bool TesterSimulator::ServeLine(std::string line) {
  const Clock::time_point at = Clock::now();
  const std::optional<TesterRequest> request = ParseRequestLine(line);

  std::unique_lock lock(m_mutex);
  m_log.push_back({at, line, request.has_value()});
  const std::size_t lineNumber = m_log.size();
  std::vector<TrafficEvent> events{{TrafficKind::LineReceived, lineNumber, line, std::nullopt, at}};

  ReplyPlan plan;
  if (request) {
    const std::vector<ChosenFault> faults = m_planner.Choose(lineNumber, request->address, line);
    const bool heard = std::none_of(faults.begin(), faults.end(),
                                    [](const ChosenFault& fault) { return KeepsRequestFromTester(fault.kind); });
    if (heard) {
      plan.frame = m_memory.Answer(*request);
    }
    plan.delay = m_answerClock.DelayFor(KindOf(*request));
    for (const ChosenFault& fault : faults) {
      ApplyFault(plan, fault, m_planner.Random());
      m_faults.push_back({fault.kind, lineNumber, line, at});
      events.push_back({TrafficKind::FaultInjected, lineNumber, {}, fault.kind, at});
    }
  }
  const Pacing pacing = m_pacing;
  lock.unlock();

  for (const TrafficEvent& event : events) {
    Notify(event);
  }
  if (plan.hangUp) {
    m_line.HangUp();
    m_hungUp = true;
    Notify({TrafficKind::HungUp, lineNumber, {}, std::nullopt, Clock::now()});
    return false;
  }
  const std::string bytes = plan.Bytes();
  const WriteOutcome outcome = ReplyWriter(m_line.Master(), m_stop).Send(plan, pacing);
  if (outcome == WriteOutcome::Sent && !bytes.empty()) {
    Notify({TrafficKind::ReplySent, lineNumber, bytes, std::nullopt, Clock::now()});
  }
  return outcome == WriteOutcome::Sent;
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
