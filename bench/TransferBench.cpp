// Full Read and full Send of 32 pairs, and Read and Send of the company name, through the
// real Configure IDs window and by orvel-ids, against a simulated tester in a process of
// its own that paces its answers at 9600 baud and answers at once. All of it is measured
// for each way a tester answers the follow-up request: a short frame, a long frame, never.
// Prints the wall time against the floor the 100 ms poll sets (64 polls for the pairs) or
// against the company name's 0.6 s, the pairs' time against the time their bytes need on
// the line, and the program's CPU time as a share. orvel-ids is timed from its start to
// its end, run after the window's run on the same tester and store, and set beside it.
#include <sys/resource.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <chrono>
#include <cstdio>
#include <functional>
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

constexpr std::size_t kRuns = 3;
constexpr double kPollFloorSeconds = 64 * 0.1;
// 64 exchanges of an 11-byte request, a 29-byte answer, ten bits a byte.
constexpr double kLineTimeSeconds = 64 * 40 * 10 / 9600.0;
constexpr double kCompanyNameTargetSeconds = 0.6;
constexpr const char* kCompanyName = "Bench Brakes";

struct FollowUpAnswer {
  const char* title;
  const char* frame;  // as orvel-tester-sim's --follow-up takes it
};

constexpr FollowUpAnswer kFollowUpAnswers[] = {
    {"follow-up answered with a short frame", "short"},
    {"follow-up answered with a long frame", "long"},
    {"follow-up never answered", "never"},
};

enum class Transfer { ReadIds, SendIds, ReadCompanyName, SendCompanyName };

struct TransferKind {
  Transfer transfer;
  const char* name;
  std::vector<std::string> command;  // orvel-ids's words for it
  bool wholeList;
};

const TransferKind kTransfers[] = {
    {Transfer::ReadIds, "Read IDs", {"read", "Bench", "--yes"}, true},
    {Transfer::SendIds, "Send IDs", {"send", "Bench", "--yes"}, true},
    {Transfer::ReadCompanyName, "Read company name", {"company"}, false},
    {Transfer::SendCompanyName, "Send company name", {"company", kCompanyName}, false},
};

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
  explicit TransferRig(const char* followUpFrame)
      : store_(MakeStore(folder_ / "Kestrin")),
        tester_({"--pacing", "9600", "--follow-up", followUpFrame}, folder_.Path()) {
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

  Run ThroughTheWindow(Transfer transfer) {
    switch (transfer) {
      case Transfer::ReadIds:
        return ClickAndAnswerYes(form_->UploadButton, "IDs successfully acquired");
      case Transfer::SendIds:
        return Click(form_->DownLoadButton, "IDs successfully sent");
      case Transfer::ReadCompanyName:
        return Click(form_->ReadIDButton, "Company ID successfully acquired");
      case Transfer::SendCompanyName:
        form_->Edit3->setText(QString::fromLatin1(kCompanyName));
        return Click(form_->SendIDButton, "Company ID successfully sent");
    }
    throw std::logic_error("no such transfer");
  }

  // The same transfer by the command line, the whole program's run timed.
  Run ByCommandLine(const std::vector<std::string>& command) {
    std::vector<std::string> arguments{ORVEL_IDS_PROGRAM, "--store", store_.topLevel.string(), "--device",
                                       tester_.DevicePath()};
    arguments.insert(arguments.end(), command.begin(), command.end());
    const Clock::time_point start = Clock::now();
    const double cpuAtStart = CpuSeconds(RUSAGE_CHILDREN);
    const testing::ChildResult result = testing::ChildProcess::Run(arguments, std::chrono::seconds(60));
    const Run run{std::chrono::duration<double>(Clock::now() - start).count(),
                  CpuSeconds(RUSAGE_CHILDREN) - cpuAtStart};
    if (result.exitStatus != 0) throw std::runtime_error("orvel-ids " + command.front() + ": " + result.err);
    return run;
  }

 private:
  void ChooseFirstGroup() {
    TDBLookupComboBox* list = form_->GroupNameComboBox;
    list->setCurrentIndex(0);
    form_->GroupNameComboBoxCloseUp();
    if (!form_->IDListTable.Active()) throw std::runtime_error("the group's ID list did not open");
  }

  // Timed from the operator's Yes to the question the transfer asks first.
  Run ClickAndAnswerYes(QPushButton* button, const char* successText) {
    testing::ModalDriver driver;
    Clock::time_point start;
    double cpuAtStart = 0;
    driver.Then([&](QWidget* box) {
      start = Clock::now();
      cpuAtStart = CpuSeconds();
      testing::PressKey(box, Qt::Key_Return);
    });
    QTest::mouseClick(button, Qt::LeftButton);
    return Finished(start, cpuAtStart, successText);
  }

  Run Click(QPushButton* button, const char* successText) {
    const Clock::time_point start = Clock::now();
    const double cpuAtStart = CpuSeconds();
    QTest::mouseClick(button, Qt::LeftButton);
    return Finished(start, cpuAtStart, successText);
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

std::vector<double> Each(const std::vector<Run>& runs, const std::function<double(const Run&)>& figure) {
  std::vector<double> values;
  for (const Run& run : runs) values.push_back(figure(run));
  return values;
}

std::vector<double> WallTimes(const std::vector<Run>& runs, double per = 1.0) {
  return Each(runs, [per](const Run& run) { return run.wallSeconds / per; });
}

// The wall time against the floor the poll sets for the pairs, or against the company
// name's target.
void PrintWallTimes(const TransferKind& kind, const std::vector<Run>& runs, const char* pairsTarget) {
  if (kind.wholeList) {
    PrintFigure("wall time", WallTimes(runs), "s", pairsTarget);
    PrintFigure("ratio to 64 poll periods (6.4 s)", WallTimes(runs, kPollFloorSeconds), "", "at most 1.10");
  } else {
    PrintFigure("wall time", WallTimes(runs), "s", "under 0.6 s");
    PrintFigure("ratio to 0.6 s", WallTimes(runs, kCompanyNameTargetSeconds), "", "at most 1");
  }
}

void Report(const TransferKind& kind, const std::vector<Run>& window, const std::vector<Run>& commandLine) {
  std::printf("  %s through the window:\n", kind.name);
  PrintWallTimes(kind, window, "within 10 % of 6.4 s (at most 7.04 s)");
  if (kind.wholeList) {
    PrintFigure("ratio to the line-time limit (64 x 40 bytes, 2.67 s)", WallTimes(window, kLineTimeSeconds), "",
                "for information");
  }
  PrintFigure("program CPU time as a share of the wall time",
              Each(window, [](const Run& run) { return 100 * run.cpuSeconds / run.wallSeconds; }), "%", "under 3 %");

  std::vector<double> besideWindow;
  for (std::size_t run = 0; run < commandLine.size(); ++run) {
    besideWindow.push_back(commandLine[run].wallSeconds / window[run].wallSeconds);
  }
  std::printf("  %s by orvel-ids, program start to end:\n", kind.name);
  PrintWallTimes(kind, commandLine, "no longer than the window's");
  PrintFigure("ratio to the window's wall time", besideWindow, "", "at most 1.02");
}

// A transfer that fails is told and the next one measured: a follow-up answer the
// program cannot cope with shows as a failure here, not as an end to the figures.
void MeasureWith(const FollowUpAnswer& followUp) {
  std::printf("\nWith the %s:\n", followUp.title);
  TransferRig rig(followUp.frame);
  for (const TransferKind& kind : kTransfers) {
    std::vector<Run> window;
    std::vector<Run> commandLine;
    try {
      while (window.size() < kRuns) {
        window.push_back(rig.ThroughTheWindow(kind.transfer));
        commandLine.push_back(rig.ByCommandLine(kind.command));
      }
    } catch (const std::exception& error) {
      std::printf("  %s failed on run %zu of %zu: %s\n", kind.name, commandLine.size() + 1, kRuns, error.what());
      continue;
    }
    Report(kind, window, commandLine);
  }
}

}  // namespace
}  // namespace orvel::bench

int main(int argc, char** argv) {
  orvel::OrvelApplication application(argc, argv);
  try {
    for (const orvel::bench::FollowUpAnswer& followUp : orvel::bench::kFollowUpAnswers) {
      orvel::bench::MeasureWith(followUp);
    }
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "transfer benchmark: %s\n", error.what());
    return 1;
  }
}
