#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "ProcessResources.h"
#include "simulator/AnswerTiming.h"
#include "simulator/Faults.h"
#include "simulator/TesterMemory.h"

namespace orvel::testing {

enum class TransferKind { ReadIds, SendIds, ReadCompanyName, SendCompanyName };
inline constexpr std::size_t kTransferKinds = 4;

// How a simulated tester times its answers, given for the window's 100 ms poll and
// scaled to the soak's poll period.
struct TimingProfile {
  std::string name;
  sim::AnswerTiming timing;
  sim::FollowUpFrame followUpFrame = sim::FollowUpFrame::Short;
  // The follow-up answered this long after its request without holding up later answers
  // (scaled like the timing); when not given, in turn after timing.followUp.
  std::optional<std::chrono::milliseconds> followUpAfter;
  // Whether the tester puts the request's address in its answers. Without it, a request
  // whose answer is lost beside a request answered twice cannot be told from two clean
  // exchanges, so such a tester meets no random faults: one fault at a time is what can
  // be answered for (FaultModelTest).
  bool echoesAddress = true;
};

// Prompt answers; the follow-up answered after 330-600 ms and everything else after
// 40-100 ms; the follow-up never answered; slow writes beside fast reads; the follow-up
// answered with a long frame, and after several later requests; and a tester that does
// not put the address in its answers.
std::vector<TimingProfile> StandardTimings();

struct SoakPlan {
  std::size_t transfers = 50;
  // Drives the choice of transfers, the texts and, through the simulated testers, the faults.
  std::uint64_t seed = 20260607;
  // The chance that a request line meets a fault.
  double faultProbability = 0.15;
  // The kinds of fault drawn from; every kind but a hang-up when empty.
  std::vector<sim::FaultKind> faultKinds;
  // The poll period stands in for the window's 100 ms; fault delays scale with it.
  std::chrono::milliseconds pollPeriod{5};
  // A fresh simulated tester, on a fresh pseudo-terminal, after this many transfers. The
  // first round warms up caches; later rounds must give back all they took.
  std::size_t transfersPerTester = 25;
  // Each simulated tester answers with the next of these, in turn.
  std::vector<TimingProfile> timings = StandardTimings();
  // The kinds of transfer drawn from; all when empty.
  std::vector<TransferKind> kinds;
  // Takes the kinds in turn instead of drawing them.
  bool kindsInTurn = false;
  // Injects the faults into a tester without the address in its answers too: for plans
  // whose faults are all of one kind.
  bool faultsWithoutAddress = false;
};

struct SoakReport {
  std::array<std::size_t, kTransferKinds> succeeded{};
  std::array<std::size_t, kTransferKinds> failed{};
  std::size_t faultsInjected = 0;
  std::size_t requestLines = 0;
  // The invariant, counted over the run: an ID in a slot or row it does not belong to
  // (a success must match exactly, a failure leave each ID old or new), a company name
  // shown or stored that is not the one sent or held, and a transfer reported as a
  // success whose data says otherwise. All three must stay 0.
  std::size_t idsInAWrongSlot = 0;
  std::size_t wrongCompanyNames = 0;
  std::size_t failuresReportedAsSuccess = 0;
  // Every broken promise: a wrong ID stored or sent as a success, a failure without its
  // message or without a fault behind it, a hang, an error that escaped, a leak.
  std::vector<std::string> violations;
  ProcessResources atStart;
  ProcessResources afterWarmUp;
  ProcessResources atEnd;

  std::size_t Transfers() const;
};

// Runs plan.transfers link sessions against simulated testers with random faults,
// checking each one's outcome against the tester's and the table's contents. Progress
// lines go to progress when it is given.
SoakReport RunSoak(const SoakPlan& plan, std::ostream* progress = nullptr);

std::string_view TransferKindName(TransferKind kind);
void PrintSoakReport(std::ostream& out, const SoakReport& report);

}  // namespace orvel::testing
