// Full Read and full Send of 32 pairs through the real Configure IDs window, against a
// simulated tester in a process of its own that paces its answers at 9600 baud and
// answers at once. Prints the wall time against the floor the 100 ms poll sets and
// against the time the bytes need on the line, and the program's CPU time as a share.
// Then the same transfers by orvel-ids, run side by side with the window's on the same
// tester and store, each timed from its start to its end, beside the window's.
#include <sys/resource.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "BenchFigures.h"
#include "BenchStore.h"
#include "ChildProcess.h"
#include "ModalDriver.h"
#include "TempFolder.h"
#include "TesterProcess.h"
#include "app/OrvelApplication.h"
#include "app/TDBLookupComboBox.h"
#include "app/WS_IDS.h"

namespace orvel::bench {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRuns = 3;
constexpr double kPollFloorSeconds = 64 * 0.1;
// 64 exchanges of an 11-byte request, a 29-byte answer, ten bits a byte.
constexpr double kLineTimeSeconds = 64 * 40 * 10 / 9600.0;

double CpuSeconds(int who = RUSAGE_SELF) {
  rusage usage{};
  getrusage(who, &usage);
  const auto seconds = [](const timeval& time) {
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
  };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct Run {
  double wallSeconds = 0;
  double cpuSeconds = 0;
};

class TransferRig {
 public:
  TransferRig() : store_(MakeStore(folder_ / "Kestrin")), tester_({"--pacing", "9600"}, folder_.Path()) {
    AddGroupWithPairs(store_, "Bench", "Bench pairs", 32);
    const std::string device = tester_.DevicePath();
    form_ = new TIDForm(store_, &startWindow_, [device](std::uint16_t port) -> std::optional<std::string> {
      return port == 1 ? std::optional(device) : std::nullopt;
    });
    form_->show();
    if (!QTest::qWaitForWindowExposed(form_)) throw std::runtime_error("the Configure IDs window was not shown");
    ChooseFirstGroup();
  }
  ~TransferRig() { delete form_; }
  TransferRig(const TransferRig&) = delete;
  TransferRig& operator=(const TransferRig&) = delete;

  Run Read() {
    testing::ModalDriver driver;
    Clock::time_point start;
    double cpuAtStart = 0;
    driver.Then([&](QWidget* box) {
      start = Clock::now();
      cpuAtStart = CpuSeconds();
      testing::PressKey(box, Qt::Key_Return);
    });
    QTest::mouseClick(form_->UploadButton, Qt::LeftButton);
    return Finished(start, cpuAtStart, "IDs successfully acquired");
  }

  Run Send() {
    const Clock::time_point start = Clock::now();
    const double cpuAtStart = CpuSeconds();
    QTest::mouseClick(form_->DownLoadButton, Qt::LeftButton);
    return Finished(start, cpuAtStart, "IDs successfully sent");
  }

  // The same transfer by the command line, the whole program's run timed.
  Run Headless(const char* command) {
    const Clock::time_point start = Clock::now();
    const double cpuAtStart = CpuSeconds(RUSAGE_CHILDREN);
    const testing::ChildResult result = testing::ChildProcess::Run(
        {ORVEL_IDS_PROGRAM, "--store", store_.topLevel.string(), "--device", tester_.DevicePath(), command, "Bench",
         "--yes"},
        std::chrono::seconds(60));
    const Run run{std::chrono::duration<double>(Clock::now() - start).count(),
                  CpuSeconds(RUSAGE_CHILDREN) - cpuAtStart};
    if (result.exitStatus != 0) throw std::runtime_error(std::string("orvel-ids ") + command + ": " + result.err);
    return run;
  }

 private:
  void ChooseFirstGroup() {
    TDBLookupComboBox* list = form_->GroupNameComboBox;
    list->setCurrentIndex(0);
    form_->GroupNameComboBoxCloseUp();
    if (!form_->IDListTable.Active()) throw std::runtime_error("the group's ID list did not open");
  }

  Run Finished(Clock::time_point start, double cpuAtStart, const char* successText) const {
    const Run run{std::chrono::duration<double>(Clock::now() - start).count(), CpuSeconds() - cpuAtStart};
    if (form_->Label3->text() != QString::fromLatin1(successText)) {
      throw std::runtime_error("the transfer ended with \"" + form_->Label3->text().toStdString() + "\"");
    }
    return run;
  }

  testing::TempFolder folder_;
  StoreFolders store_;
  TesterProcess tester_;
  QWidget startWindow_;
  TIDForm* form_ = nullptr;
};

void Report(const char* name, const std::vector<Run>& runs) {
  std::vector<double> wall;
  std::vector<double> floorRatio;
  std::vector<double> lineRatio;
  std::vector<double> cpuShare;
  for (const Run& run : runs) {
    wall.push_back(run.wallSeconds);
    floorRatio.push_back(run.wallSeconds / kPollFloorSeconds);
    lineRatio.push_back(run.wallSeconds / kLineTimeSeconds);
    cpuShare.push_back(100 * run.cpuSeconds / run.wallSeconds);
  }
  std::printf("%s of 32 pairs (64 requests):\n", name);
  PrintFigure("wall time", wall, "s", "within 5 % of 6.4 s (6.08 to 6.72 s)");
  PrintFigure("ratio to 64 poll periods (6.4 s)", floorRatio, "", "0.95 to 1.05");
  PrintFigure("ratio to the line-time limit (64 x 40 bytes, 2.67 s)", lineRatio, "", "for information");
  PrintFigure("program CPU time as a share of the wall time", cpuShare, "%", "under 3 %");
}

void CompareHeadless(const char* name, const std::vector<Run>& window, const std::vector<Run>& headless) {
  std::vector<double> wall;
  std::vector<double> ratio;
  for (std::size_t run = 0; run < headless.size(); ++run) {
    wall.push_back(headless[run].wallSeconds);
    ratio.push_back(headless[run].wallSeconds / window[run].wallSeconds);
  }
  std::printf("%s by orvel-ids, beside the window's run before it:\n", name);
  PrintFigure("wall time, program start to end", wall, "s", "no longer than the window's");
  PrintFigure("ratio to the window's wall time", ratio, "", "at most 1.02");
}

}  // namespace
}  // namespace orvel::bench

int main(int argc, char** argv) {
  orvel::OrvelApplication application(argc, argv);
  try {
    orvel::bench::TransferRig rig;
    std::vector<orvel::bench::Run> reads;
    std::vector<orvel::bench::Run> sends;
    std::vector<orvel::bench::Run> headlessReads;
    std::vector<orvel::bench::Run> headlessSends;
    for (int run = 0; run < orvel::bench::kRuns; ++run) {
      reads.push_back(rig.Read());
      headlessReads.push_back(rig.Headless("read"));
      sends.push_back(rig.Send());
      headlessSends.push_back(rig.Headless("send"));
    }
    orvel::bench::Report("Read IDs", reads);
    orvel::bench::Report("Send IDs", sends);
    orvel::bench::CompareHeadless("Read IDs", reads, headlessReads);
    orvel::bench::CompareHeadless("Send IDs", sends, headlessSends);
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "transfer benchmark: %s\n", error.what());
    return 1;
  }
}
