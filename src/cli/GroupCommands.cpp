// groups, export and import: the store's groups, and their rows to and from CSV files.
#include <algorithm>
#include <iostream>

#include "cli/CommandStore.h"
#include "cli/Commands.h"
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

std::string Quoted(const std::string& name) {
  std::string quoted = "'";
  quoted.append(Latin1ToUtf8(name)).append("'");
  return quoted;
}

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

// The name padded to the group name's width, counted in characters, not UTF-8 bytes.
std::string NameColumn(const std::string& name) {
  return Latin1ToUtf8(name) + std::string(name.size() < kGroupNameWidth ? kGroupNameWidth - name.size() : 0, ' ');
}

std::filesystem::path Absolute(const std::string& path) { return std::filesystem::absolute(path); }

}  // namespace

ExitStatus ListGroups(const CommandLine& line) {
  CommandStore store(StoreTopLevel(line));
  store.OpenForReading();
  std::cout << "  #  " << NameColumn("Group") << "   Rows  ID list file\n";
  for (const GroupEntry& group : store.Groups()) {
    std::string position = std::to_string(group.position);
    std::string rows = RowCountText(store.Folders(), group);
    std::cout << std::string(3 - std::min<std::size_t>(3, position.size()), ' ') << position << "  "
              << NameColumn(group.name) << "  " << std::string(5 - std::min<std::size_t>(5, rows.size()), ' ') << rows
              << "  " << store.IdListFile(group).string() << '\n';
  }
  return ExitStatus::Success;
}

ExitStatus ExportGroup(const CommandLine& line) {
  const std::string name = GroupNameOperand(line.operands.at(0));
  const bool toFile = line.operands.size() > 1 && line.operands[1] != "-";
  const std::filesystem::path file = toFile ? Absolute(line.operands[1]) : std::filesystem::path();
  CommandStore store(StoreTopLevel(line));
  store.OpenForReading();
  const GroupEntry group = store.FindGroup(name, line.index);
  const IdPairs pairs = InStore("Cannot read the ID list of group " + Quoted(name),
                                [&] { return ReadIdListRows(store.Folders().idLists, group.tableName, kFields); });
  if (!toFile) {
    std::cout << IdListCsvText(pairs, line.excel ? CsvCells::ExcelText : CsvCells::Plain) << std::flush;
    return ExitStatus::Success;
  }
  try {
    WriteIdListCsvFile(file, pairs, line.force, line.excel ? CsvCells::ExcelText : CsvCells::Plain);
  } catch (const EFileExists& exists) {
    throw ECommandFailed(ExitStatus::BadInput, std::string(exists.what()) + " Add --force to replace it.");
  }
  std::cerr << "Wrote the " << pairs.size() << " rows of group " << Quoted(name) << " to " << line.operands[1] << ".\n";
  return ExitStatus::Success;
}

ExitStatus ImportGroup(const CommandLine& line) {
  if (line.index && !line.replace) {
    throw ECommandFailed(ExitStatus::BadInput, "--index chooses the group whose rows --replace replaces; give both.");
  }
  const std::string name = line.replace ? GroupNameOperand(line.operands.at(0)) : NewGroupNameOperand(line.operands.at(0));
  const std::filesystem::path file = Absolute(line.operands.at(1));
  IdPairs pairs;
  try {
    pairs = ReadIdListCsvFile(file, !line.header ? CsvHeader::Detect
                                    : *line.header ? CsvHeader::Present
                                                   : CsvHeader::Absent);
  } catch (const ECsvHeaderInDoubt& inDoubt) {
    throw ECommandFailed(ExitStatus::BadInput,
                         std::string(inDoubt.what()) +
                             " Add --header to take the line as the header, or --no-header to import it as IDs.");
  } catch (const ECsvRefused& refused) {
    throw ECommandFailed(ExitStatus::BadInput, refused.what());
  }
  CommandStore store(StoreTopLevel(line));
  store.OpenForWriting();
  if (line.replace) {
    const GroupEntry group = store.FindGroup(name, line.index);
    InStore("Cannot replace the rows of group " + Quoted(name) + "; its rows are as they were", [&] {
      ReplaceIdListRows(store.Folders().idLists, group.tableName, kFields, pairs);
    });
    std::cerr << "Replaced the rows of group " << Quoted(name) << " with those of " << line.operands.at(1) << ".\n";
    return ExitStatus::Success;
  }
  const std::vector<GroupEntry> groups = store.Groups();
  if (std::any_of(groups.begin(), groups.end(), [&](const GroupEntry& group) { return group.name == name; })) {
    throw ECommandFailed(ExitStatus::BadInput, "A group named " + Quoted(name) +
                                                   " already exists. Add --replace to replace its rows, or choose "
                                                   "another name. Nothing was imported.");
  }
  InStore("Cannot make the group " + Quoted(name) + "; nothing was imported", [&] {
    TTable scratch;
    AddGroup(store.GroupTable(), scratch, store.Folders().idLists, name, LocalStampClock(), kFields, pairs);
  });
  std::cerr << "Made the group " << Quoted(name) << " from " << line.operands.at(1) << ".\n";
  return ExitStatus::Success;
}

}  // namespace orvel::cli
