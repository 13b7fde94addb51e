// Importing a CSV ID list of 32 full rows into a group, and exporting the group again,
// through the functions the window's menu and the command line share: the CPU time of
// each, and the wall time with its flushes to disk beside it.
#include <time.h>

#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "BenchFigures.h"
#include "BenchStore.h"
#include "TempFolder.h"
#include "store/IdListCsv.h"
#include "store/IdListRows.h"
#include "store/StoreSchema.h"

namespace orvel::bench {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRuns = 20;
constexpr const char* kIdList = "Fleet list";

double CpuMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Sixteen characters in every ID, Latin-1 letters among them, so every character is
// decoded and checked.
IdPairs FullPairs(int run) {
  IdPairs pairs;
  for (int slot = 1; slot <= kTesterSlots; ++slot) {
    const std::string number = std::to_string(run * 100 + slot);
    pairs.push_back({"TR-M\xFCller-" + std::string(5 - number.size(), '0') + number,
                     "VH-\xC9tat-" + std::string(8 - number.size(), '0') + number});
  }
  return pairs;
}

struct Times {
  std::vector<double> cpu;
  std::vector<double> wall;
};

template <typename Work>
void Time(Times& times, Work&& work) {
  const Clock::time_point start = Clock::now();
  const double cpuAtStart = CpuMilliseconds();
  work();
  times.cpu.push_back(CpuMilliseconds() - cpuAtStart);
  times.wall.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
}

}  // namespace
}  // namespace orvel::bench

int main() {
  using namespace orvel;
  using namespace orvel::bench;
  try {
    const testing::TempFolder folder;
    const StoreFolders store = MakeStore(folder / "Kestrin");
    AddGroupWithPairs(store, "Fleet", kIdList, kTesterSlots);
    const IdListFieldNames fields{kTrailerIdField, kVehicleIdField};
    const std::filesystem::path source = folder / "import.csv";
    const std::filesystem::path target = folder / "export.csv";

    Times import;
    Times exporting;
    for (int run = 0; run < kRuns; ++run) {
      const IdPairs pairs = FullPairs(run);
      WriteIdListCsvFile(source, pairs, true);
      Time(import, [&] { ReplaceIdListRows(store.idLists, kIdList, fields, ReadIdListCsvFile(source)); });
      Time(exporting, [&] { WriteIdListCsvFile(target, ReadIdListRows(store.idLists, kIdList, fields), true); });
      if (ReadIdListCsvFile(target) != pairs)
        throw std::runtime_error("the exported list differs from the imported one");
    }
    std::printf("CSV ID lists of 32 full rows:\n");
    PrintFigure("import into a group, CPU time", import.cpu, "ms", "under 50 ms");
    PrintFigure("import into a group, wall time (with disk flushes)", import.wall, "ms", "for comparison");
    PrintFigure("export a group, CPU time", exporting.cpu, "ms", "under 50 ms");
    PrintFigure("export a group, wall time (with disk flushes)", exporting.wall, "ms", "for comparison");
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "CSV benchmark: %s\n", error.what());
    return 1;
  }
}
