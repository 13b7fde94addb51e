#include "SoakRun.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <random>
#include <stdexcept>
#include <string_view>

#include "IdText.h"
#include "PollUntil.h"
#include "SoakHost.h"
#include "TempFolder.h"
#include "link/CompanyNameTransfer.h"
#include "link/IdListTransfer.h"
#include "link/LinkSession.h"
#include "link/SerialLinkPort.h"
#include "link/TransferEnds.h"
#include "serial/PortSettings.h"
#include "serial/TSerialPort.h"
#include "simulator/TesterSimulator.h"
#include "store/IdListRows.h"
#include "tables/TTable.h"

namespace orvel::testing {
namespace {

constexpr std::size_t kSlots = 32;
constexpr int kIdWidth = static_cast<int>(kIdTextWidth);
constexpr const char* kTrailerField = "Trailer ID";
constexpr const char* kVehicleField = "Vehicle ID";
constexpr const char* kIdListName = "Soak pairs";
constexpr std::uint16_t kTesterPort = 1;
// Enough for every request of the longest transfer to use up all its re-sends and then
// wait out the give-up horizon (33 ticks) before the next, and for several rounds of the
// port search besides.
constexpr std::size_t kTickBudgetPerTransfer = 80 * 70;
// The request line itself and its three re-sends.
constexpr std::size_t kSendsOfAFailedRequest = 4;
// Settles the caches of SQLite, the C++ runtime and the allocator before anything is counted.
constexpr std::size_t kHeapSlackBytes = 64 * 1024;

// IDs as operators type them, Latin-1 letters and trailing blanks included.
class TextSource {
 public:
  explicit TextSource(std::mt19937_64& random) : random_(random) {}

  std::string Next() {
    static constexpr std::string_view kAlphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789 -\xC4\xD6\xDC\xE4\xF6\xFC\xE9\xDF";
    std::uniform_int_distribution<std::size_t> length(0, kIdTextWidth);
    std::uniform_int_distribution<std::size_t> pick(0, kAlphabet.size() - 1);
    std::string text(length(random_), ' ');
    for (char& character : text) character = kAlphabet[pick(random_)];
    return text;
  }

 private:
  std::mt19937_64& random_;
};

struct IdPairs {
  std::vector<std::string> trailers;
  std::vector<std::string> vehicles;
};

void CreateIdList(const std::filesystem::path& folder) {
  TTable table;
  table.SetDatabaseName(folder.string());
  table.SetTableName(kIdListName);
  table.FieldDefs().Add(kTrailerField, kIdWidth);
  table.FieldDefs().Add(kVehicleField, kIdWidth);
  table.CreateTable();
  table.Open();
  for (std::size_t slot = 0; slot < kSlots; ++slot) {
    table.Append();
    table.Post();
  }
}

IdPairs TableIds(TTable& table) {
  IdPairs pairs;
  for (int row = 0; row < table.RecordCount(); ++row) {
    pairs.trailers.push_back(table.CellText(row, 0));
    pairs.vehicles.push_back(table.CellText(row, 1));
  }
  return pairs;
}

IdPairs TesterIds(const sim::TesterSimulator& tester) {
  IdPairs pairs;
  for (std::size_t slot = 0; slot < kSlots; ++slot) {
    pairs.trailers.push_back(tester.TrailerId(slot));
    pairs.vehicles.push_back(tester.VehicleId(slot));
  }
  return pairs;
}

// What a transfer's data check found: a problem to report, and how many IDs or company
// names were wrong.
struct CheckResult {
  std::string problem;
  std::size_t wrongIds = 0;
  std::size_t wrongNames = 0;
};

// Where else a wrong ID belongs, which tells which answer it was taken from.
std::string WhereElse(const std::string& text, const IdPairs& wanted, const IdPairs& before) {
  for (const auto& [pairs, whose] : {std::pair{&wanted, "wanted"}, {&before, "earlier"}}) {
    for (std::size_t slot = 0; slot < kSlots; ++slot) {
      if (pairs->trailers[slot] == text)
        return std::string("; it is the ") + whose + " Trailer ID of slot " + std::to_string(slot);
      if (pairs->vehicles[slot] == text)
        return std::string("; it is the ") + whose + " Vehicle ID of slot " + std::to_string(slot);
    }
  }
  return "; it belongs to no slot";
}

// Each ID is either what it was or what the transfer was to make it: a transfer that
// stopped part way leaves a mix of the two, never a third text.
CheckResult MixedIdsProblem(const IdPairs& now, const IdPairs& before, const IdPairs& wanted, const IdPairs& earlier) {
  if (now.trailers.size() != kSlots || now.vehicles.size() != kSlots) {
    return {"holds " + std::to_string(now.trailers.size()) + " pairs instead of 32", kSlots * 2};
  }
  CheckResult result;
  for (std::size_t slot = 0; slot < kSlots; ++slot) {
    for (const auto& [column, name] : {std::pair{&IdPairs::trailers, "Trailer"}, {&IdPairs::vehicles, "Vehicle"}}) {
      const std::string& text = (now.*column)[slot];
      if (text != (before.*column)[slot] && text != (wanted.*column)[slot]) {
        if (result.wrongIds++ == 0) {
          result.problem = std::string(name) + " ID of slot " + std::to_string(slot) + " reads '" + text +
                           "', expected '" + (wanted.*column)[slot] + "' or the earlier '" + (before.*column)[slot] +
                           "'" + WhereElse(text, wanted, earlier);
        }
      }
    }
  }
  if (result.wrongIds > 1) result.problem += " (" + std::to_string(result.wrongIds) + " IDs wrong)";
  return result;
}

CheckResult SameIdsProblem(const IdPairs& now, const IdPairs& wanted, const IdPairs& earlier) {
  return MixedIdsProblem(now, wanted, wanted, earlier);
}

sim::FaultSettings FaultsScaledTo(std::chrono::milliseconds pollPeriod) {
  // The defaults fit the window's 100 ms poll; the same number of ticks here.
  sim::FaultSettings settings;
  settings.delay = pollPeriod * 15;
  settings.gap = std::max(std::chrono::milliseconds(1), pollPeriod * 3 / 2);
  // Past the address at the data field's start, so only the NUL gives the frame away.
  settings.nulPosition = 12;
  return settings;
}

sim::AnswerDelay ScaledDelay(const sim::AnswerDelay& delay, std::chrono::milliseconds pollPeriod) {
  const auto scaled = [pollPeriod](std::chrono::milliseconds at100) { return at100 * pollPeriod.count() / 100; };
  return {scaled(delay.least), scaled(delay.most)};
}

sim::AnswerTiming TimingScaledTo(sim::AnswerTiming timing, std::chrono::milliseconds pollPeriod) {
  for (const sim::RequestKind kind :
       {sim::RequestKind::Identify, sim::RequestKind::FollowUp, sim::RequestKind::Read, sim::RequestKind::Write}) {
    timing.For(kind) = ScaledDelay(timing.For(kind), pollPeriod);
  }
  return timing;
}

// One simulated tester with the program's side of the cable: the serial port object, the
// link session and its host, and the ID list table, all given back when the round ends.
class TesterRound {
 public:
  TesterRound(const SoakPlan& plan, const TimingProfile& profile, const std::filesystem::path& folder,
              std::uint64_t faultSeed)
      : serialPort_(Devices()),
        linkPort_(serialPort_, Devices()),
        host_(plan.pollPeriod, kTickBudgetPerTransfer),
        session_(linkPort_, host_) {
    host_.Attach(session_);
    serialPort_.SetSettings(TesterPortSettings());
    tester_.SetIdentity({"2143", "V2", "Soak tester"});
    const double faultProbability = profile.echoesAddress || plan.faultsWithoutAddress ? plan.faultProbability : 0.0;
    tester_.SetRandomFaults({faultSeed, faultProbability, plan.faultKinds, FaultsScaledTo(plan.pollPeriod)});
    sim::AnswerTiming timing = TimingScaledTo(profile.timing, plan.pollPeriod);
    timing.seed = faultSeed;
    tester_.SetAnswerTiming(timing);
    tester_.SetFollowUpFrame(profile.followUpFrame);
    if (profile.followUpAfter) tester_.SetFollowUpAnsweredAfter(*profile.followUpAfter * plan.pollPeriod.count() / 100);
    tester_.SetEchoesAddress(profile.echoesAddress);
    tester_.Start();
    folder_ = folder;
    echoesAddress_ = profile.echoesAddress;
    idList_.SetDatabaseName(folder.string());
    idList_.SetTableName(kIdListName);
    idList_.Open();
  }

  ~TesterRound() {
    // What the operator's Cancel and closing the window would do after a failed transfer.
    if (session_.PortOpen()) session_.EndLinkSession();
  }

  TesterRound(const TesterRound&) = delete;
  TesterRound& operator=(const TesterRound&) = delete;

  sim::TesterSimulator& Tester() { return tester_; }
  SoakHost& Host() { return host_; }
  LinkSession& Session() { return session_; }
  TTable& IdList() { return idList_; }
  const std::filesystem::path& Folder() const { return folder_; }
  bool EchoesAddress() const { return echoesAddress_; }

 private:
  PortDeviceMap Devices() {
    return [this](std::uint16_t port) -> std::optional<std::string> {
      if (port == kTesterPort) return tester_.DevicePath();
      return std::nullopt;
    };
  }

  sim::TesterSimulator tester_;
  TSerialPort serialPort_;
  SerialLinkPort linkPort_;
  SoakHost host_;
  LinkSession session_;
  TTable idList_;
  std::filesystem::path folder_;
  bool echoesAddress_ = true;
};

struct Expectations {
  std::string successText;
  std::string failureText;
  // Checks the data once the transfer ended; succeeded says how. No problem when all is well.
  std::function<CheckResult(bool succeeded)> check;
};

Expectations PrepareReadIds(TesterRound& round, TextSource& texts, std::function<void()>& run) {
  sim::TesterSimulator& tester = round.Tester();
  for (std::size_t slot = 0; slot < kSlots; ++slot) {
    tester.SetTrailerId(slot, texts.Next());
    tester.SetVehicleId(slot, texts.Next());
  }
  TTable& table = round.IdList();
  run = [&round, &table] {
    // As the window stores a Read: all 32 pairs in one step, or nothing.
    const std::optional<orvel::IdPairs> pairs = ReadIdList(round.Session());
    if (!pairs) return;
    table.Close();
    StoreReadPairs(round.Folder(), kIdListName, {kTrailerField, kVehicleField}, *pairs);
    table.Open();
  };
  return {"IDs successfully acquired", "Unable to read data",
          [&table, before = TableIds(table), wanted = TesterIds(tester)](bool succeeded) {
            const IdPairs now = TableIds(table);
            return succeeded ? SameIdsProblem(now, wanted, before) : SameIdsProblem(now, before, wanted);
          }};
}

Expectations PrepareSendIds(TesterRound& round, TextSource& texts, std::function<void()>& run) {
  IdPairs wanted;
  orvel::IdPairs rows(kSlots);
  for (orvel::IdPair& row : rows) {
    row = {texts.Next(), texts.Next()};
    wanted.trailers.push_back(PaddedId(row.trailer));
    wanted.vehicles.push_back(PaddedId(row.vehicle));
  }
  sim::TesterSimulator& tester = round.Tester();
  run = [&round, rows] { SendIdList(round.Session(), rows); };
  return {"IDs successfully sent", "Unable to send data",
          [&tester, before = TesterIds(tester), wanted](bool succeeded) {
            const IdPairs now = TesterIds(tester);
            return succeeded ? SameIdsProblem(now, wanted, before) : MixedIdsProblem(now, before, wanted, before);
          }};
}

Expectations PrepareReadName(TesterRound& round, TextSource& texts, std::function<void()>& run,
                             std::shared_ptr<std::vector<std::string>> shown) {
  sim::TesterSimulator& tester = round.Tester();
  tester.SetCompanyName(texts.Next());
  run = [&round, shown] {
    if (const auto name = ReadCompanyName(round.Session())) shown->push_back(*name);
  };
  return {"Company ID successfully acquired", "Unable to read data",
          [shown, wanted = tester.CompanyName()](bool succeeded) -> CheckResult {
            const std::vector<std::string> expected = succeeded ? std::vector{wanted} : std::vector<std::string>{};
            if (*shown == expected) return {};
            const auto wrong = static_cast<std::size_t>(std::count_if(
                shown->begin(), shown->end(), [&wanted](const std::string& name) { return name != wanted; }));
            return {"company name shown " + std::to_string(shown->size()) + " times" +
                        (shown->empty() ? std::string() : ", last as '" + shown->back() + "'") + "; tester holds '" +
                        wanted + "'",
                    0, wrong};
          }};
}

Expectations PrepareSendName(TesterRound& round, TextSource& texts, std::function<void()>& run) {
  sim::TesterSimulator& tester = round.Tester();
  const std::string name = texts.Next();
  run = [&round, name] { SendCompanyName(round.Session(), name); };
  return {"Company ID successfully sent", "Unable to send data",
          [&tester, before = tester.CompanyName(), wanted = PaddedId(name)](bool succeeded) -> CheckResult {
            const std::string now = tester.CompanyName();
            if (now == wanted || (!succeeded && now == before)) return {};
            return {"tester holds company name '" + now + "', expected '" + wanted + "'", 0, 1};
          }};
}

std::size_t SendsSince(const sim::TesterSimulator& tester, std::size_t fromLine, const std::string& line) {
  const std::vector<sim::ReceivedLine> log = tester.RequestLog();
  return static_cast<std::size_t>(
      std::count_if(log.begin() + static_cast<std::ptrdiff_t>(fromLine), log.end(),
                    [&](const sim::ReceivedLine& received) { return received.text == line; }));
}

// A fault hit a request line after fromLine.
bool FaultHitLine(const std::vector<sim::FaultRecord>& faults, std::size_t fromLine) {
  return std::any_of(faults.begin(), faults.end(),
                     [&](const sim::FaultRecord& fault) { return fault.lineNumber > fromLine; });
}

// Runs one transfer and returns what went wrong with it, or nothing.
std::optional<std::string> RunTransfer(TesterRound& round, TransferKind kind, TextSource& texts, bool& succeeded,
                                       SoakReport& report) {
  SoakHost& host = round.Host();
  LinkSession& session = round.Session();
  sim::TesterSimulator& tester = round.Tester();

  std::function<void()> run;
  auto shown = std::make_shared<std::vector<std::string>>();
  Expectations expect;
  switch (kind) {
    case TransferKind::ReadIds:
      expect = PrepareReadIds(round, texts, run);
      break;
    case TransferKind::SendIds:
      expect = PrepareSendIds(round, texts, run);
      break;
    case TransferKind::ReadCompanyName:
      expect = PrepareReadName(round, texts, run, shown);
      break;
    case TransferKind::SendCompanyName:
      expect = PrepareSendName(round, texts, run);
      break;
  }

  const std::size_t linesBefore = tester.RequestCount();
  host.BeginTransfer();
  try {
    run();
  } catch (const std::exception& error) {
    return std::string("an error escaped the transfer: ") + error.what();
  }

  if (host.RanOutOfTicks()) return "the transfer did not end within its tick budget: it hung";
  if (!host.RefusalNotices().empty()) return "the search reported a refused port: " + host.RefusalNotices().front();
  if (!tester.Running()) return "the simulated tester stopped: " + tester.Failure();

  const std::vector<std::string>& boxes = host.InformationBoxes();
  succeeded = host.StatusText() == expect.successText && boxes.empty();
  if (succeeded && session.PortOpen()) return "the port was left open after a success";
  if (!succeeded) {
    const bool noReply = boxes.size() == 1 && boxes[0].starts_with(expect.failureText);
    const bool outOfStep = boxes.size() == 1 && boxes[0].starts_with(kOutOfStep);
    if (!noReply && !outOfStep) {
      return "ended neither in success nor with a failure message: status '" + host.StatusText() + "', " +
             std::to_string(boxes.size()) + " boxes" + (boxes.empty() ? std::string() : ", first '" + boxes[0] + "'");
    }
    if (host.PollTimerEnabled()) return "the poll went on after the failure was reported";
    const std::string failedLine = session.LastRequest();
    // The tester answers in turn, so a fault on an earlier request may hold up the answer
    // to a later one past its give-up time. Without the address in the answers a late
    // follow-up answer alone puts the line out of step; with it, only a fault can.
    const bool explained = (outOfStep && !round.EchoesAddress()) || FaultHitLine(tester.InjectedFaults(), linesBefore);
    if (!explained) {
      return "failure reported without a fault in the transfer, last request '" + failedLine.substr(0, 10) + "'";
    }
    // The last re-send goes out as the wait gives up; a write it carries may still be
    // stored by the tester, so the next transfer's expectations are set only after it.
    if (noReply && !PollUntil([&] { return SendsSince(tester, linesBefore, failedLine) >= kSendsOfAFailedRequest; })) {
      return "the failed request '" + failedLine.substr(0, 10) + "' did not reach the tester four times";
    }
    // The operator acknowledges the failed state with Cancel before the next transfer.
    session.Cancel();
  }
  const CheckResult checked = expect.check(succeeded);
  report.idsInAWrongSlot += checked.wrongIds;
  report.wrongCompanyNames += checked.wrongNames;
  if (checked.problem.empty()) return std::nullopt;
  if (succeeded) ++report.failuresReportedAsSuccess;
  std::string faults;
  for (const sim::FaultRecord& fault : tester.InjectedFaults()) {
    if (fault.lineNumber > linesBefore) {
      faults += " " + std::string(sim::FaultKindName(fault.kind)) + "@" +
                std::to_string(fault.lineNumber - linesBefore) + ":" + fault.line.substr(5, 5);
    }
  }
  return (succeeded ? "after a success: " : "after a failure: ") + checked.problem +
         "; faults of the transfer (kind@line:request):" + faults;
}

}  // namespace

std::vector<TimingProfile> StandardTimings() {
  using std::chrono::milliseconds;
  const sim::AnswerDelay prompt{};
  const sim::AnswerDelay usual{milliseconds(40), milliseconds(100)};
  const sim::AnswerDelay lateFollowUp{milliseconds(330), milliseconds(600)};
  using sim::FollowUpFrame;
  const std::optional<milliseconds> inTurn;
  return {
      {"prompt answers", {prompt, prompt, prompt, prompt, 1}, FollowUpFrame::Short, inTurn, true},
      {"follow-up after 330-600 ms, the rest after 40-100 ms",
       {usual, lateFollowUp, usual, usual, 1},
       FollowUpFrame::Short,
       inTurn,
       true},
      {"follow-up never answered, the rest after 40-100 ms",
       {usual, prompt, usual, usual, 1},
       FollowUpFrame::Never,
       inTurn,
       true},
      {"writes after 300-800 ms, reads after 5-30 ms",
       {usual, lateFollowUp, {milliseconds(5), milliseconds(30)}, {milliseconds(300), milliseconds(800)}, 1},
       FollowUpFrame::Short,
       inTurn,
       true},
      {"follow-up answered with a long frame", {usual, prompt, usual, usual, 1}, FollowUpFrame::Long, inTurn, true},
      {"follow-up answered after 1.5 s, past several later answers",
       {usual, prompt, usual, usual, 1},
       FollowUpFrame::Short,
       milliseconds(1500),
       true},
      {"no address in the answers, follow-up after 330-600 ms",
       {usual, lateFollowUp, usual, usual, 1},
       FollowUpFrame::Short,
       inTurn,
       false},
  };
}

std::size_t SoakReport::Transfers() const {
  std::size_t total = 0;
  for (std::size_t kind = 0; kind < kTransferKinds; ++kind) total += succeeded[kind] + failed[kind];
  return total + violations.size();
}

std::string_view TransferKindName(TransferKind kind) {
  switch (kind) {
    case TransferKind::ReadIds:
      return "Read IDs";
    case TransferKind::SendIds:
      return "Send IDs";
    case TransferKind::ReadCompanyName:
      return "Read company name";
    case TransferKind::SendCompanyName:
      return "Send company name";
  }
  return "?";
}

SoakReport RunSoak(const SoakPlan& plan, std::ostream* progress) {
  if (plan.transfersPerTester == 0) throw std::invalid_argument("a simulated tester must serve at least one transfer");
  if (plan.timings.empty()) throw std::invalid_argument("the soak needs at least one timing profile");
  std::vector<TransferKind> kinds = plan.kinds;
  if (kinds.empty()) {
    kinds = {TransferKind::ReadIds, TransferKind::SendIds, TransferKind::ReadCompanyName,
             TransferKind::SendCompanyName};
  }
  SoakReport report;
  const auto started = std::chrono::steady_clock::now();
  report.atStart = MeasureProcessResources();
  report.afterWarmUp = report.atStart;
  {
    const TempFolder folder;
    CreateIdList(folder.Path());
    std::mt19937_64 random(plan.seed);
    TextSource texts(random);
    std::uniform_int_distribution<std::size_t> pickKind(0, kinds.size() - 1);

    for (std::size_t first = 0, roundNumber = 0; first < plan.transfers;
         first += plan.transfersPerTester, ++roundNumber) {
      {
        const TimingProfile& profile = plan.timings[roundNumber % plan.timings.size()];
        TesterRound round(plan, profile, folder.Path(), plan.seed + roundNumber);
        const std::size_t last = std::min(plan.transfers, first + plan.transfersPerTester);
        for (std::size_t number = first; number < last; ++number) {
          const TransferKind kind = plan.kindsInTurn ? kinds[number % kinds.size()] : kinds[pickKind(random)];
          bool succeeded = false;
          if (const auto problem = RunTransfer(round, kind, texts, succeeded, report)) {
            report.violations.push_back("transfer " + std::to_string(number + 1) + " (" +
                                        std::string(TransferKindName(kind)) + ", " + profile.name + "): " + *problem);
            if (progress != nullptr) *progress << "soak: " << report.violations.back() << std::endl;
          } else {
            (succeeded ? report.succeeded : report.failed)[static_cast<std::size_t>(kind)] += 1;
          }
        }
        report.faultsInjected += round.Tester().InjectedFaults().size();
        report.requestLines += round.Tester().RequestCount();
      }
      if (roundNumber == 0) report.afterWarmUp = MeasureProcessResources();
      if (progress != nullptr) {
        const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        *progress << "soak: " << std::min(plan.transfers, first + plan.transfersPerTester) << " of " << plan.transfers
                  << " transfers, " << report.faultsInjected << " faults injected, " << report.violations.size()
                  << " violations, " << seconds << " s" << std::endl;
      }
    }
  }
  report.atEnd = MeasureProcessResources();
  // Counted from the end of the first round: by then the caches have settled and the
  // runtime's own threads (ThreadSanitizer's, for one) have started.
  const ProcessResources& base = plan.transfers > plan.transfersPerTester ? report.afterWarmUp : report.atStart;
  if (const std::string leaks = DescribeLeaks(base, report.atEnd, kHeapSlackBytes); !leaks.empty()) {
    report.violations.push_back("resources not given back: " + leaks);
  }
  return report;
}

void PrintSoakReport(std::ostream& out, const SoakReport& report) {
  out << "Soak of " << report.Transfers() << " transfers, " << report.requestLines << " request lines, "
      << report.faultsInjected << " injected faults\n";
  for (std::size_t kind = 0; kind < kTransferKinds; ++kind) {
    out << "  " << TransferKindName(static_cast<TransferKind>(kind)) << ": " << report.succeeded[kind] << " succeeded, "
        << report.failed[kind] << " failed with their message\n";
  }
  out << "  after the first round -> at the end: descriptors " << report.afterWarmUp.descriptors << " -> "
      << report.atEnd.descriptors << ", threads " << report.afterWarmUp.threads << " -> " << report.atEnd.threads
      << ", heap bytes " << report.afterWarmUp.heapBytes << " -> " << report.atEnd.heapBytes << "\n";
  out << "  invariant over the run: " << report.idsInAWrongSlot << " IDs in a wrong slot, " << report.wrongCompanyNames
      << " wrong company names, " << report.failuresReportedAsSuccess << " failures reported as success\n";
  out << "  " << report.violations.size() << " violations\n";
  for (const std::string& violation : report.violations) out << "    " << violation << "\n";
}

}  // namespace orvel::testing
