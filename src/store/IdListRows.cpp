#include "store/IdListRows.h"

#include <algorithm>
#include <exception>
#include <vector>

#include "tables/TTable.h"

namespace orvel {
namespace {

// Opened without declared fields, the table has every field its file holds, so that a
// replacement keeps them all.
void OpenIdList(TTable& table, const std::filesystem::path& idListFolder, const std::string& tableName) {
  table.SetDatabaseName(idListFolder.string());
  table.SetTableName(tableName);
  table.Open();
}

}  // namespace

IdPairs ReadIdListRows(const std::filesystem::path& idListFolder, const std::string& tableName,
                       const IdListFieldNames& fields) {
  TTable table;
  OpenIdList(table, idListFolder, tableName);
  const int trailer = table.FieldByName(fields.trailer).Index();
  const int vehicle = table.FieldByName(fields.vehicle).Index();
  IdPairs pairs;
  pairs.reserve(static_cast<std::size_t>(table.RecordCount()));
  for (int row = 0; row < table.RecordCount(); ++row) {
    pairs.push_back({table.CellText(row, trailer), table.CellText(row, vehicle)});
  }
  return pairs;
}

void ReplaceIdListRows(const std::filesystem::path& idListFolder, const std::string& tableName,
                       const IdListFieldNames& fields, const IdPairs& pairs) {
  TTable table;
  OpenIdList(table, idListFolder, tableName);
  const auto trailer = static_cast<std::size_t>(table.FieldByName(fields.trailer).Index());
  const auto vehicle = static_cast<std::size_t>(table.FieldByName(fields.vehicle).Index());
  std::vector<TFieldDef> fieldDefs;
  for (int field = 0; field < table.FieldCount(); ++field) {
    fieldDefs.push_back({table.Fields(field).FieldName(), table.Fields(field).Size()});
  }
  std::vector<std::vector<std::string>> rows(pairs.size(), std::vector<std::string>(fieldDefs.size()));
  for (std::size_t row = 0; row < pairs.size(); ++row) {
    rows[row][trailer] = pairs[row].trailer;
    rows[row][vehicle] = pairs[row].vehicle;
  }
  table.Close();
  for (const TFieldDef& def : fieldDefs) table.FieldDefs().Add(def.Name, def.Size);
  table.CreateTable(ExistingRows::Replace, rows);
}

void StoreReadPairs(const std::filesystem::path& idListFolder, const std::string& tableName,
                    const IdListFieldNames& fields, const IdPairs& read) {
  IdPairs rows = ReadIdListRows(idListFolder, tableName, fields);
  if (rows.size() < read.size()) rows.resize(read.size());
  std::copy(read.begin(), read.end(), rows.begin());
  ReplaceIdListRows(idListFolder, tableName, fields, rows);
}

std::optional<std::string> IdListProblem(const TTable& idList) {
  const std::string which =
      "The ID list of this group (table \"" + idList.TableName() + "\" in " + idList.DatabaseName() + ")";
  if (!idList.Exists()) {
    return which + " is no longer on disk. Delete the group, or restore its file, then try again.";
  }
  try {
    TTable probe;
    probe.SetDatabaseName(idList.DatabaseName());
    probe.SetTableName(idList.TableName());
    probe.Open();
  } catch (const std::exception& error) {
    return which + " cannot be read: " + error.what() + " Delete the group, or restore its file, then try again.";
  }
  return std::nullopt;
}

}  // namespace orvel
