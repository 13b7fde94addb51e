// groups, export and import: the store's groups, and their rows to and from CSV files.
#include <algorithm>
#include <iostream>

#include "cli/CommandStore.h"
#include "cli/Commands.h"
#include "cli/CsvOperands.h"
#include "cli/LocalStamp.h"
#include "cli/OperandText.h"
#include "store/GroupManagement.h"
#include "store/IdListCsv.h"
#include "store/IdListRows.h"
#include "store/StoreSchema.h"
#include "tables/FieldText.h"

namespace orvel::cli {
namespace {

const IdListFieldNames kFields{kTrailerIdField, kVehicleIdField};

std::string RowCountText(const StoreFolders& folders, const GroupEntry& group) {
  TTable idList;
  idList.SetDatabaseName(folders.idLists.string());
  if (group.tableName.empty()) return "none";
  idList.SetTableName(group.tableName);
  if (!idList.Exists()) return "missing";
  try {
    idList.Open();
    return std::to_string(idList.RecordCount());
  } catch (const std::exception&) {
    return "damaged";
  }
}

// Wide enough for "missing" and "damaged".
constexpr std::size_t kRowsWidth = 7;

// The name padded to the group name's width, counted in characters, not UTF-8 bytes. A
// name with a blank at either end is shown in quotes, so that it can be told from the
// same name without it.
std::string NameColumn(const std::string& name) {
  const bool blankAtAnEnd = !name.empty() && (name.front() == ' ' || name.back() == ' ');
  const std::string shown = blankAtAnEnd ? Quoted(name) : Latin1ToUtf8(name);
  const std::size_t width = name.size() + (blankAtAnEnd ? 2 : 0);
  return shown + std::string(width < kGroupNameWidth + 2 ? kGroupNameWidth + 2 - width : 0, ' ');
}

std::string RightAligned(const std::string& text, std::size_t width) {
  return std::string(width - std::min(width, text.size()), ' ') + text;
}

// The group --replace replaces must exist; a new group's name must be free.
void CheckImportTarget(CommandStore& store, const std::string& name, const CommandLine& line) {
  if (line.replace) {
    store.FindGroup(name, line.index);
    return;
  }
  const std::vector<GroupEntry> groups = store.Groups();
  if (std::any_of(groups.begin(), groups.end(), [&](const GroupEntry& group) { return group.name == name; })) {
    throw ECommandFailed(ExitStatus::BadInput, "A group named " + Quoted(name) +
                                                   " already exists. Add --replace to replace its rows, or choose "
                                                   "another name. Nothing was imported.");
  }
}

}  // namespace

ExitStatus ListGroups(const CommandLine& line) {
  CommandStore store(StoreTopLevel(line));
  store.OpenForReading();
  std::cout << "  #  " << NameColumn("Group") << RightAligned("Rows", kRowsWidth) << "  ID list file\n";
  for (const GroupEntry& group : store.Groups()) {
    std::cout << RightAligned(std::to_string(group.position), 3) << "  " << NameColumn(group.name)
              << RightAligned(RowCountText(store.Folders(), group), kRowsWidth) << "  "
              << store.IdListFile(group).string() << '\n';
  }
  return ExitStatus::Success;
}

ExitStatus ExportGroup(const CommandLine& line) {
  const std::string name = GroupNameOperand(line.operands.at(0));
  const std::string destination = line.operands.size() > 1 ? line.operands[1] : "-";
  CommandStore store(StoreTopLevel(line));
  store.OpenForReading();
  const GroupEntry group = store.FindGroup(name, line.index);
  const IdPairs pairs = InStore("Cannot read the ID list of group " + Quoted(name),
                                [&] { return ReadIdListRows(store.Folders().idLists, group.tableName, kFields); });
  WriteCsvOperand(destination, pairs, line.force, line.excel ? CsvCells::ExcelText : CsvCells::Plain);
  if (destination != "-") {
    std::cerr << "Wrote the " << pairs.size() << " rows of group " << Quoted(name) << " to " << destination << ".\n";
  }
  return ExitStatus::Success;
}

ExitStatus ImportGroup(const CommandLine& line) {
  if (line.index && !line.replace) {
    throw ECommandFailed(ExitStatus::BadInput, "--index chooses the group whose rows --replace replaces; give both.");
  }
  const std::string name = line.replace ? GroupNameOperand(line.operands.at(0)) : NewGroupNameOperand(line.operands.at(0));
  const IdPairs pairs = ReadCsvOperand(line.operands.at(1), !line.header ? CsvHeader::Detect
                                                          : *line.header ? CsvHeader::Present
                                                                         : CsvHeader::Absent);
  CommandStore store(StoreTopLevel(line));
  // Checked first on the store as it stands, so that a refused import makes no store and
  // runs no tidy-up; and again once the store is taken, since another writer may have
  // changed it meanwhile.
  if (line.replace || store.Exists()) {
    CommandStore asItStands(StoreTopLevel(line));
    asItStands.OpenForReading();
    CheckImportTarget(asItStands, name, line);
  }
  store.OpenForWriting();
  CheckImportTarget(store, name, line);
  if (line.replace) {
    const GroupEntry group = store.FindGroup(name, line.index);
    InStore("Cannot replace the rows of group " + Quoted(name) + "; its rows are as they were", [&] {
      ReplaceIdListRows(store.Folders().idLists, group.tableName, kFields, pairs);
    });
    std::cerr << "Replaced the rows of group " << Quoted(name) << " with those of " << line.operands.at(1) << ".\n";
    return ExitStatus::Success;
  }
  InStore("Cannot make the group " + Quoted(name) + "; nothing was imported", [&] {
    TTable scratch;
    AddGroup(store.GroupTable(), scratch, store.Folders().idLists, name, LocalStampClock(), kFields, pairs);
  });
  std::cerr << "Made the group " << Quoted(name) << " from " << line.operands.at(1) << ".\n";
  return ExitStatus::Success;
}

}  // namespace orvel::cli
