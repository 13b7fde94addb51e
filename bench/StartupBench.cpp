// Program start to the start window shown. Each run is a fresh process that does what
// main() does over a fresh temporary top-level folder, so the store is created too: the
// process reports when its window is exposed and how long that took from the moment its
// main() began; this driver times the whole run from the moment it started the process.
#include <sys/wait.h>
#include <unistd.h>

#include <QTest>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "BenchFigures.h"
#include "TempFolder.h"
#include "app/Identities.h"
#include "app/OrvelApplication.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRuns = 7;
constexpr const char* kOnceOption = "--once";

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// One start, as main() makes it: the application object, then the start window over the
// given top-level folder. Prints the milliseconds from main() to the window exposed.
int StartOnce(int argc, char** argv, Clock::time_point mainEntered) {
  orvel::OrvelApplication application(argc, argv);
  orvel::TIntroForm introForm(argv[2]);
  introForm.show();
  if (!QTest::qWaitForWindowExposed(&introForm)) return 1;
  std::printf("%.3f\n", MillisecondsSince(mainEntered));
  std::fflush(stdout);
  return 0;
}

struct Timings {
  double processStart = 0;
  double inProcess = 0;
};

Timings TimeOneStart(const char* self) {
  const orvel::testing::TempFolder folder;
  const std::string topLevel = (folder / "Kestrin").string();
  int pipeEnds[2];
  if (::pipe(pipeEnds) != 0) throw std::runtime_error("pipe failed");
  const Clock::time_point started = Clock::now();
  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(pipeEnds[1], STDOUT_FILENO);
    ::close(pipeEnds[0]);
    ::execl(self, self, kOnceOption, topLevel.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  ::close(pipeEnds[1]);
  std::string report;
  char buffer[64];
  ssize_t count = 0;
  Timings timings;
  while ((count = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0) {
    report.append(buffer, static_cast<std::size_t>(count));
    if (report.find('\n') != std::string::npos) {
      timings.processStart = MillisecondsSince(started);
      break;
    }
  }
  ::close(pipeEnds[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  if (report.empty() || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    throw std::runtime_error("a start did not show its window");
  }
  timings.inProcess = std::stod(report);
  return timings;
}

}  // namespace

int main(int argc, char** argv) {
  const Clock::time_point mainEntered = Clock::now();
  if (argc == 3 && std::strcmp(argv[1], kOnceOption) == 0) return StartOnce(argc, argv, mainEntered);
  try {
    std::vector<double> processStart;
    std::vector<double> inProcess;
    for (int run = 0; run < kRuns; ++run) {
      const Timings timings = TimeOneStart(argv[0]);
      processStart.push_back(timings.processStart);
      inProcess.push_back(timings.inProcess);
    }
    std::printf("Start window, a fresh ID store each run:\n");
    orvel::bench::PrintFigure("main() to the start window exposed", inProcess, "ms", "under 300 ms");
    orvel::bench::PrintFigure("process start to the start window exposed", processStart, "ms", "under 300 ms");
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "startup benchmark: %s\n", error.what());
    return 1;
  }
}
