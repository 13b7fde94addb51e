#pragma once

#include "simulator/AnswerTiming.h"
#include "simulator/FaultPlanner.h"
#include "simulator/Faults.h"
#include "simulator/OutputSchedule.h"
#include "simulator/PseudoTerminal.h"
#include "simulator/ReplyWriter.h"
#include "simulator/StopSignal.h"
#include "simulator/SystemError.h"
#include "simulator/TesterMemory.h"
#include "simulator/TesterRequest.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace orvel::sim {

struct ReceivedLine {
  std::chrono::steady_clock::time_point at;
  std::string text;  // as received, carriage return included
  bool wellFormed = false;
};

enum class TrafficKind {
  LineReceived,
  ReplySent,
  FaultInjected,
  HungUp,
};

struct TrafficEvent {
  TrafficKind kind = TrafficKind::LineReceived;
  std::size_t lineNumber = 0;  // the request line this event belongs to
  std::string bytes;           // the line received or the bytes sent
  std::optional<FaultKind> fault;
  std::chrono::steady_clock::time_point at;
};

// A brake tester on the far end of a pseudo-terminal. The program opens DevicePath() as
// its serial device; the simulator answers its request lines on a thread of its own, as
// the tester would, and injects faults on demand. Every accessor may be called from any
// thread while it runs.
class TesterSimulator {
 public:
  using TrafficObserver = std::function<void(const TrafficEvent&)>;

  TesterSimulator();
  ~TesterSimulator();
  TesterSimulator(const TesterSimulator&) = delete;
  TesterSimulator& operator=(const TesterSimulator&) = delete;

  const std::string& DevicePath() const noexcept { return m_line.SlavePath(); }

  void Start();
  // Ends the simulator's thread within a few milliseconds, whatever it was doing.
  void Stop() noexcept;
  // False before Start, after Stop, and once a hang-up or a system failure ended the thread.
  bool Running() const noexcept { return m_serving; }
  // The line was pulled by a HangUp fault; the simulator cannot be started again.
  bool HungUp() const noexcept { return m_hungUp; }
  // A system failure that ended the simulator's thread, or empty.
  std::string Failure() const;

  void SetTrailerId(std::size_t slot, std::string_view text);
  void SetVehicleId(std::size_t slot, std::string_view text);
  void SetCompanyName(std::string_view text);
  void SetIdentity(const TesterIdentity& identity);
  void SetAnswersFollowUp(bool answers);
  void SetFollowUpFrame(FollowUpFrame frame);
  // The follow-up answered this long after its request, on its own: the answers to later
  // requests go out meanwhile. Nothing (the default): answered in turn like any other
  // request, after AnswerTiming::followUp, holding up the answers behind it.
  void SetFollowUpAnsweredAfter(std::optional<std::chrono::milliseconds> after);
  // On by default: answers carry the request's address ahead of their text.
  void SetEchoesAddress(bool echoes);
  void SetPacing(Pacing pacing);
  // How long the tester takes to answer each kind of request; answers at once by default.
  void SetAnswerTiming(const AnswerTiming& timing);
  void SetTrafficObserver(TrafficObserver observer);

  std::string TrailerId(std::size_t slot) const;
  std::string VehicleId(std::size_t slot) const;
  std::string CompanyName() const;

  void AddFaultRule(const FaultRule& rule);
  void SetRandomFaults(const RandomFaults& random);
  void ClearFaults();

  std::vector<ReceivedLine> RequestLog() const;
  std::size_t RequestCount() const;
  std::vector<FaultRecord> InjectedFaults() const;

 private:
  void Run() noexcept;
  void Serve();
  std::vector<std::string> ReadLines(LineAssembler& assembler);
  void ServeLine(std::string line, OutputSchedule& output);
  // Returns false when the simulator must stop serving: a stop request, or a dead line.
  bool Put(const Outgoing& outgoing, OutputSchedule& output);
  void Notify(const TrafficEvent& event) const;

  PseudoTerminal m_line;
  StopSignal m_stop;
  std::thread m_thread;
  std::atomic<bool> m_serving{false};
  std::atomic<bool> m_hungUp{false};

  mutable std::mutex m_mutex;
  TesterMemory m_memory;
  FaultPlanner m_planner;
  Pacing m_pacing = Pacing::Immediate;
  std::optional<std::chrono::milliseconds> m_followUpAfter;
  AnswerClock m_answerClock;
  TrafficObserver m_observer;
  std::vector<ReceivedLine> m_log;
  std::vector<FaultRecord> m_faults;
  std::string m_failure;
};

}  // namespace orvel::sim
