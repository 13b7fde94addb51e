#include "cli/CommandStore.h"

#include "cli/ExitStatus.h"
#include "cli/OperandText.h"
#include "store/EnsureIdStore.h"
#include "store/GroupManagement.h"
#include "store/StoreSchema.h"
#include "tables/TableFileName.h"

namespace orvel::cli {

CommandStore::CommandStore(const std::filesystem::path& topLevel) : folders_(StoreFoldersUnder(topLevel)) {
  groupTable_.DeclareField(kGroupNameField, kGroupNameWidth);
  groupTable_.DeclareField(kIdListNameField, kIdListNameWidth);
  groupTable_.SetDatabaseName(folders_.data.string());
  groupTable_.SetTableName(kGroupTableName);
}

bool CommandStore::Exists() { return groupTable_.Exists(); }

void CommandStore::OpenForReading() {
  if (!Exists()) {
    throw ECommandFailed(ExitStatus::StoreError,
                         "There is no ID store in '" + folders_.data.string() +
                             "'. Start Orvel IDs once, or make a group with 'orvel-ids import', which makes the "
                             "store; or name another store with --store.");
  }
  InStore("Cannot open the group table in '" + folders_.data.string() + "'", [&] { groupTable_.Open(); });
}

void CommandStore::OpenForWriting() {
  const bool usable = InStore("Cannot take the ID store in '" + folders_.topLevel.string() + "'", [&] {
    try {
      return EnsureIdStore(folders_.topLevel, groupTable_, writerLock_);
    } catch (const EStoreInUse& inUse) {
      throw ECommandFailed(ExitStatus::StoreError, std::string(inUse.what()) + " Nothing was changed.");
    }
  });
  if (!usable) {
    throw ECommandFailed(ExitStatus::StoreError,
                         "The ID store in '" + folders_.topLevel.string() +
                             "' cannot be used: its folders cannot be made or entered, or the group table cannot be "
                             "made. Check that you may write there, then try again.");
  }
  InStore("Cannot open the group table in '" + folders_.data.string() + "'", [&] {
    groupTable_.Close();
    groupTable_.SetDatabaseName(folders_.data.string());
    groupTable_.SetTableName(kGroupTableName);
    groupTable_.Open();
  });
}

std::vector<GroupEntry> CommandStore::Groups() {
  const int nameColumn = groupTable_.FieldByName(kGroupNameField).Index();
  const int tableColumn = groupTable_.FieldByName(kIdListNameField).Index();
  std::vector<GroupEntry> groups;
  for (int row = 0; row < groupTable_.RowCount(); ++row) {
    groups.push_back({row + 1, groupTable_.CellText(row, nameColumn), groupTable_.CellText(row, tableColumn)});
  }
  return groups;
}

std::optional<GroupEntry> CommandStore::FindGroupIfAny(const std::string& name, std::optional<int> index) {
  const std::vector<GroupEntry> groups = Groups();
  if (index) {
    if (*index > static_cast<int>(groups.size())) {
      throw ECommandFailed(ExitStatus::BadInput, "There is no group at position " + std::to_string(*index) +
                                                     ": the store holds " + std::to_string(groups.size()) +
                                                     ". 'orvel-ids groups' lists them.");
    }
    const GroupEntry& chosen = groups[*index - 1];
    if (chosen.name != name) {
      throw ECommandFailed(ExitStatus::BadInput, "The group at position " + std::to_string(*index) + " is " +
                                                     Quoted(chosen.name) + ", not " + Quoted(name) +
                                                     ". 'orvel-ids groups' lists the groups with their positions.");
    }
    return chosen;
  }
  std::vector<GroupEntry> named;
  for (const GroupEntry& group : groups) {
    if (group.name == name) named.push_back(group);
  }
  if (named.empty()) return std::nullopt;
  if (named.size() > 1) {
    std::string positions;
    for (const GroupEntry& group : named) {
      positions += (positions.empty() ? "" : ", ") + std::to_string(group.position);
    }
    throw ECommandFailed(ExitStatus::BadInput, std::to_string(named.size()) + " groups are named " + Quoted(name) +
                                                   " (positions " + positions +
                                                   " in the list). Choose one by its position with --index N.");
  }
  return named.front();
}

GroupEntry CommandStore::FindGroup(const std::string& name, std::optional<int> index) {
  if (std::optional<GroupEntry> group = FindGroupIfAny(name, index)) return *group;
  throw ECommandFailed(ExitStatus::BadInput,
                       "There is no group named " + Quoted(name) + ". 'orvel-ids groups' lists the groups.");
}

std::filesystem::path CommandStore::IdListFile(const GroupEntry& group) const {
  if (group.tableName.empty()) return {};
  return folders_.idLists / TableFileName(group.tableName);
}

void CommandStore::DeleteGroup(const GroupEntry& group) {
  groupTable_.SetRecNo(group.position);
  DeleteCurrentGroup(groupTable_, folders_.idLists);
}

void OpenIdList(TTable& idList, const StoreFolders& folders, const GroupEntry& group) {
  InStore("Cannot open the ID list of group " + Quoted(group.name), [&] {
    idList.Close();
    idList.SetDatabaseName(folders.idLists.string());
    idList.SetTableName(group.tableName);
    idList.Open();
  });
}

}  // namespace orvel::cli
