#include "store/OrphanIdLists.h"

#include <exception>
#include <set>
#include <string>
#include <string_view>

#include "store/StoreSchema.h"
#include "tables/TTable.h"
#include "tables/TableFolder.h"

namespace orvel {
namespace {

std::set<std::string> NamedTables(TTable& groupTable) {
  std::set<std::string> named;
  const int column = groupTable.FieldByName(kIdListNameField).Index();
  for (int row = 0; row < groupTable.RecordCount(); ++row) named.insert(groupTable.CellText(row, column));
  return named;
}

bool HoldsAnId(const StoreFolders& folders, const std::string& tableName) {
  TTable table;
  table.SetDatabaseName(folders.idLists.string());
  table.SetTableName(tableName);
  try {
    table.Open();
  } catch (const std::exception&) {
    return true;
  }
  for (int row = 0; row < table.RecordCount(); ++row) {
    for (int field = 0; field < table.FieldCount(); ++field) {
      const std::string text = table.CellText(row, field);
      if (text.find_first_not_of(' ') != std::string::npos) return true;
    }
  }
  return false;
}

// The table's name without the " by " that ends the names New makes, cut to the group
// name's width.
std::string RecoveredGroupName(const std::string& tableName) {
  constexpr std::string_view kMadeByNew = " by ";
  std::string_view name = tableName;
  if (name.size() > kMadeByNew.size() && name.ends_with(kMadeByNew)) name.remove_suffix(kMadeByNew.size());
  return std::string(name.substr(0, kGroupNameWidth));
}

}  // namespace

void RecoverOrphanIdLists(const StoreFolders& folders) {
  TTable groupTable;
  groupTable.DeclareField(kGroupNameField, kGroupNameWidth);
  groupTable.DeclareField(kIdListNameField, kIdListNameWidth);
  groupTable.SetDatabaseName(folders.data.string());
  groupTable.SetTableName(kGroupTableName);
  groupTable.Open();

  for (const std::string& tableName : OtherTablesInFolder(folders.idLists.string(), NamedTables(groupTable))) {
    // A row could not name it in full, so no row could ever lead to it.
    if (tableName.size() > static_cast<std::size_t>(kIdListNameWidth)) continue;
    if (!HoldsAnId(folders, tableName)) {
      TTable empty;
      empty.SetDatabaseName(folders.idLists.string());
      empty.SetTableName(tableName);
      empty.DeleteTable();
      continue;
    }
    groupTable.Append();
    groupTable.FieldByName(kGroupNameField).SetAsString(RecoveredGroupName(tableName));
    groupTable.FieldByName(kIdListNameField).SetAsString(tableName);
    groupTable.Post();
  }
}

}  // namespace orvel
