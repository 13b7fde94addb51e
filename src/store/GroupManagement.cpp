#include "store/GroupManagement.h"

#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

#include "store/IdListTableName.h"
#include "store/StoreSchema.h"
#include "tables/TTable.h"

namespace orvel {
namespace {

// How far the search for a free ID list table name looks ahead. Names clash only with
// groups of the same name made within the same second, so a few seconds always suffice
// while the clock runs forward.
constexpr int kFreeNameSeconds = 100;

bool NamedByAGroupRow(TTable& groupTable, const std::string& tableName) {
  const int column = groupTable.FieldByName(kIdListNameField).Index();
  for (int row = 0; row < groupTable.RecordCount(); ++row) {
    if (groupTable.CellText(row, column) == tableName) return true;
  }
  return false;
}

bool TableExists(const std::filesystem::path& folder, const std::string& tableName) {
  TTable probe;
  probe.SetDatabaseName(folder.string());
  probe.SetTableName(tableName);
  return probe.Exists();
}

// The ID list table name as the group row will hold it: the field keeps at most its width.
std::string FreeTableName(TTable& groupTable, const std::filesystem::path& idListFolder, const std::string& groupName,
                          const CreationStampClock& stampClock) {
  for (int secondsLater = 0; secondsLater < kFreeNameSeconds; ++secondsLater) {
    const std::string name = IdListTableName(groupName, stampClock(secondsLater)).substr(0, kIdListNameWidth);
    if (!TableExists(idListFolder, name) && !NamedByAGroupRow(groupTable, name)) return name;
  }
  throw std::runtime_error("Cannot find a free name for the ID list table of group '" + groupName +
                           "': the names for the next " + std::to_string(kFreeNameSeconds) + " seconds, from '" +
                           IdListTableName(groupName, stampClock(0)) +
                           "' on, are all in use. This happens when the computer's clock was set back; check the "
                           "clock, then try New again.");
}

void MakeIdList(TTable& idListTable, const std::filesystem::path& idListFolder, const std::string& tableName,
                const IdListFieldNames& fieldNames, const IdPairs& pairs) {
  idListTable.Close();
  idListTable.SetDatabaseName(idListFolder.string());
  idListTable.SetTableName(tableName);
  idListTable.FieldDefs().Clear();
  idListTable.FieldDefs().Add(fieldNames.trailer, kIdWidth);
  idListTable.FieldDefs().Add(fieldNames.vehicle, kIdWidth);
  std::vector<std::vector<std::string>> rows;
  rows.reserve(pairs.size());
  for (const IdPair& pair : pairs) rows.push_back({pair.trailer, pair.vehicle});
  idListTable.CreateTable(ExistingRows::Refuse, rows);
}

void RemoveQuietly(TTable& table) noexcept {
  try {
    table.Close();
    if (table.Exists()) table.DeleteTable();
  } catch (const std::exception&) {
    // Already failing: the first error is the one the operator needs to see.
  }
}

}  // namespace

std::string AddGroup(TTable& groupTable, TTable& idListTable, const std::filesystem::path& idListFolder,
                     const std::string& groupName, const CreationStampClock& stampClock,
                     const IdListFieldNames& fieldNames, const IdPairs& pairs) {
  const std::string tableName = FreeTableName(groupTable, idListFolder, groupName, stampClock);
  try {
    MakeIdList(idListTable, idListFolder, tableName, fieldNames, pairs);
  } catch (...) {
    if (idListTable.TableName() == tableName) RemoveQuietly(idListTable);
    throw;
  }
  try {
    groupTable.Append();
    groupTable.FieldByName(kGroupNameField).SetAsString(groupName);
    groupTable.FieldByName(kIdListNameField).SetAsString(tableName);
    groupTable.Post();
  } catch (...) {
    if (groupTable.State() != TDataSetState::Browse && groupTable.Active()) groupTable.Cancel();
    RemoveQuietly(idListTable);
    throw;
  }
  return tableName;
}

void DeleteCurrentGroup(TTable& groupTable, const std::filesystem::path& idListFolder) {
  const std::string tableName = groupTable.FieldByName(kIdListNameField).AsString();
  if (!tableName.empty() && TableExists(idListFolder, tableName)) {
    TTable idList;
    idList.SetDatabaseName(idListFolder.string());
    idList.SetTableName(tableName);
    idList.DeleteTable();
  }
  groupTable.Delete();
}

}  // namespace orvel
