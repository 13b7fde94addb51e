// Opening the Configure IDs window over group tables of 10, 1,000 and 10,000 groups, and
// choosing a group whose ID list has 32 or 10,000 rows: how the cost grows with the size.
#include <QApplication>
#include <QTest>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "BenchFigures.h"
#include "BenchStore.h"
#include "TempFolder.h"
#include "app/OrvelApplication.h"
#include "app/TDBGrid.h"
#include "app/TDBLookupComboBox.h"
#include "app/WS_IDS.h"
#include "store/StoreSchema.h"

namespace orvel::bench {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRuns = 5;
// The groups whose lists are chosen; the others are rows of the group table only.
constexpr const char* kShortGroup = "Pairs 32";
constexpr const char* kLongGroup = "Pairs 10000";

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

PortDeviceMap NoSerialDevices() {
  return [](std::uint16_t) -> std::optional<std::string> { return std::nullopt; };
}

// A store with `groups` groups in all, two of which have ID lists of 32 and 10,000 rows.
StoreFolders StoreWithGroups(const std::filesystem::path& topLevel, int groups) {
  const StoreFolders store = MakeStore(topLevel);
  AddGroupWithPairs(store, kShortGroup, "Pairs 32 list", 32);
  AddGroupWithPairs(store, kLongGroup, "Pairs 10000 list", 10000);
  std::vector<std::vector<std::string>> rows;
  for (int group = 3; group <= groups; ++group) {
    rows.push_back({"Group " + std::to_string(group), "Group " + std::to_string(group) + " list"});
  }
  AppendRowsInBulk(store.data, kGroupTableName, rows);
  return store;
}

std::vector<double> TimeOpening(const StoreFolders& store, int groups) {
  std::vector<double> times;
  QWidget startWindow;
  for (int run = 0; run < kRuns; ++run) {
    const Clock::time_point start = Clock::now();
    auto* form = new TIDForm(store, &startWindow, NoSerialDevices());
    form->show();
    const bool exposed = QTest::qWaitForWindowExposed(form);
    times.push_back(MillisecondsSince(start));
    const int listed = form->GroupNameComboBox->count();
    delete form;
    if (!exposed || listed != groups) {
      throw std::runtime_error("the window listed " + std::to_string(listed) + " of " + std::to_string(groups) +
                               " groups");
    }
  }
  return times;
}

double TimeChoosing(TIDForm& form, const char* group, int rows) {
  TDBLookupComboBox* list = form.GroupNameComboBox;
  list->setCurrentIndex(list->findText(QString::fromLatin1(group)));
  const Clock::time_point start = Clock::now();
  form.GroupNameComboBoxCloseUp();
  // Until the grid has laid out and painted the rows it shows.
  QApplication::processEvents();
  const double elapsed = MillisecondsSince(start);
  if (form.IDListTable.RecordCount() != rows || form.IDGrid->model()->rowCount() != rows) {
    throw std::runtime_error(std::string("choosing ") + group + " did not show its rows");
  }
  return elapsed;
}

}  // namespace
}  // namespace orvel::bench

int main(int argc, char** argv) {
  using namespace orvel::bench;
  orvel::OrvelApplication application(argc, argv);
  try {
    std::printf("Configure IDs window over many groups:\n");
    for (const int groups : {10, 1000, 10000}) {
      const orvel::testing::TempFolder folder;
      const orvel::StoreFolders store = StoreWithGroups(folder / "Kestrin", groups);
      const std::string target = groups == 10000 ? "under 1000 ms" : "for comparison";
      PrintFigure("open and list " + std::to_string(groups) + " groups", TimeOpening(store, groups), "ms", target);
      if (groups != 10000) continue;

      QWidget startWindow;
      orvel::TIDForm form(store, &startWindow, NoSerialDevices());
      form.show();
      if (!QTest::qWaitForWindowExposed(&form)) throw std::runtime_error("the Configure IDs window was not shown");
      std::vector<double> shortList;
      std::vector<double> longList;
      for (int run = 0; run < kRuns; ++run) {
        shortList.push_back(TimeChoosing(form, kShortGroup, 32));
        longList.push_back(TimeChoosing(form, kLongGroup, 10000));
      }
      PrintFigure("choose a group of 32 rows", shortList, "ms", "for comparison");
      PrintFigure("choose a group of 10,000 rows", longList, "ms", "for comparison");
    }
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "groups benchmark: %s\n", error.what());
    return 1;
  }
}
