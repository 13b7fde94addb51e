// diff: the slots in which two ID lists (groups, CSV files or the tester) differ.
#include <filesystem>
#include <iostream>
#include <optional>

#include "cli/CommandStore.h"
#include "cli/Commands.h"
#include "cli/CsvOperands.h"
#include "cli/OperandText.h"
#include "cli/PairComparison.h"
#include "cli/TesterTransfer.h"
#include "store/IdListRows.h"
#include "store/StoreSchema.h"

namespace orvel::cli {
namespace {

constexpr const char* kTester = "tester";
// Wide enough for a 16-character ID in quotes.
constexpr std::size_t kIdWidth = 18;

// The list an operand names, unless it names the tester: a CSV file that exists (or -
// for standard input), or else a group of the store.
std::optional<IdPairs> ListOnThisComputer(const CommandLine& line, const std::string& operand) {
  if (operand == kTester) return std::nullopt;
  if (operand == "-" || std::filesystem::is_regular_file(operand)) return ReadCsvOperand(operand);
  const std::string name = GroupNameOperand(operand);
  CommandStore store(StoreTopLevel(line));
  store.OpenForReading();
  const GroupEntry group = store.FindGroup(name, line.index);
  return InStore("Cannot read the ID list of group '" + operand + "'", [&] {
    return ReadIdListRows(store.Folders().idLists, group.tableName, {kTrailerIdField, kVehicleIdField});
  });
}

// text, which shows as `shown` characters, and blanks to the ID column's width.
std::string Column(const std::string& text, std::size_t shown) {
  return text + std::string(shown < kIdWidth ? kIdWidth - shown : 0, ' ');
}

}  // namespace

ExitStatus DiffLists(const CommandLine& line) {
  const std::string& left = line.operands.at(0);
  const std::string& right = line.operands.at(1);
  // The tester is asked last, so that a mistyped name or file is told before the search.
  std::optional<IdPairs> leftPairs = ListOnThisComputer(line, left);
  std::optional<IdPairs> rightPairs = ListOnThisComputer(line, right);
  if (!leftPairs) leftPairs = ReadTesterPairs(line);
  if (!rightPairs) rightPairs = ReadTesterPairs(line);
  const std::vector<IdDifference> differences = DifferentIds(*leftPairs, *rightPairs);
  if (differences.empty()) {
    std::cerr << "The two lists put the same IDs into the tester's 32 slots.\n";
    return ExitStatus::Success;
  }
  std::cout << "Slot  ID          " << Column(left, left.size()) << "  " << right << '\n';
  for (const IdDifference& difference : differences) {
    std::string slot = std::to_string(difference.slot);
    slot.resize(6, ' ');
    std::cout << slot << difference.column << "  " << Column(Quoted(difference.left), difference.left.size() + 2)
              << "  " << Quoted(difference.right) << '\n';
  }
  return ExitStatus::ListsDiffer;
}

}  // namespace orvel::cli
