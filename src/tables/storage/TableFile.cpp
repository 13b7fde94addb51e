#include "tables/storage/TableFile.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "tables/FieldText.h"
#include "tables/storage/FileSystem.h"
#include "tables/storage/SqliteStatement.h"
#include "tables/storage/SqliteTransaction.h"
#include "tables/storage/TableFailures.h"
#include "tables/storage/TableFormat.h"

namespace orvel {
namespace {

constexpr const char* kOpen = "open";
constexpr const char* kRead = "read the rows of";
constexpr const char* kStore = "store a row in";
constexpr const char* kChange = "change a row of";
constexpr const char* kDeleteRow = "delete a row of";

}  // namespace

SqliteConnection TableFile::OpenConnection(const TableLocation& where) {
  const std::string path = where.FilePath();
  const EntryKind kind = KindOfEntry(path);
  if (kind == EntryKind::Missing) {
    throw where.Failure(kOpen, "the table does not exist (there is no file " + FileNote(where) + ")");
  }
  RefuseFolderOrDevice(where, kind, kOpen);
  // SQLite would take an empty file for an empty database.
  if (IsEmptyFile(path)) throw where.Failure(kOpen, "the file " + FileNote(where) + " is empty, not a table");

  return Guarded(where, kOpen, [&] {
    SqliteConnection connection(path, SqliteConnection::Access::ReadWrite);
    ConfigureConnection(connection);
    const std::optional<std::string> stored = StoredTableName(connection);
    if (!stored) throw where.Failure(kOpen, "the file is a database, but not a table of this program");
    if (*stored != Latin1ToUtf8(where.name)) {
      throw where.Failure(kOpen, "the file " + FileNote(where) + " holds table '" + Utf8ToLatin1(*stored) + "'");
    }
    return connection;
  });
}

TableFile::Binding TableFile::BindFields(const TableLocation& where, SqliteConnection& connection,
                                         const std::vector<TFieldDef>& declared) {
  const std::vector<FileColumn> columns = Guarded(where, kOpen, [&] { return ReadColumns(where, connection); });
  Binding binding;
  if (declared.empty()) {
    for (const FileColumn& column : columns) {
      binding.fields.push_back(column.field);
      binding.columns.push_back(column.quotedName);
    }
    return binding;
  }
  for (const TFieldDef& wanted : declared) {
    const auto found = std::find_if(columns.begin(), columns.end(), [&](const FileColumn& column) {
      return SameFieldName(column.field.Name, wanted.Name);
    });
    if (found == columns.end()) throw where.Failure(kOpen, "the table has no field '" + wanted.Name + "'");
    if (found->field.Size != wanted.Size) {
      throw where.Failure(kOpen, "field '" + wanted.Name + "' is " + std::to_string(found->field.Size) +
                                     " characters wide, not " + std::to_string(wanted.Size));
    }
    binding.fields.push_back(wanted);
    binding.columns.push_back(found->quotedName);
  }
  return binding;
}

TableFile::TableFile(const TableLocation& where, const std::vector<TFieldDef>& declared)
    : where_(where), connection_(OpenConnection(where)), binding_(BindFields(where, connection_, declared)) {}

std::string TableFile::ColumnList() const {
  std::string list;
  for (const std::string& column : binding_.columns) list += ", " + column;
  return list;
}

std::vector<StoredRow> TableFile::ReadRows() const {
  return Guarded(where_, kRead, [&] {
    std::vector<StoredRow> rows;
    SqliteStatement select(connection_, "SELECT rowid" + ColumnList() + " FROM Records ORDER BY rowid");
    while (select.Step()) {
      StoredRow row{select.Int64(0), {}};
      for (std::size_t i = 0; i < binding_.fields.size(); ++i) {
        const int column = static_cast<int>(i) + 1;
        row.values.push_back(FitToField(Utf8ToLatin1(select.Text(column)), binding_.fields[i].Size));
      }
      rows.push_back(std::move(row));
    }
    return rows;
  });
}

void TableFile::InsertRow(const RowPlacement& placement, const std::vector<std::string>& values) {
  Guarded(where_, kStore, [&] {
    SqliteTransaction transaction(connection_);
    SqliteStatement shift(connection_, "UPDATE Records SET rowid = rowid + 1 WHERE rowid = ?1");
    for (const std::int64_t rowid : placement.shiftedDescending) {
      shift.Reset();
      shift.Bind(1, rowid);
      shift.Run();
      ExpectOneRowChanged(kStore);
    }
    std::string placeholders = "?1";
    for (std::size_t i = 0; i < values.size(); ++i) placeholders += ", ?" + std::to_string(i + 2);
    SqliteStatement insert(connection_,
                           "INSERT INTO Records (rowid" + ColumnList() + ") VALUES (" + placeholders + ")");
    insert.Bind(1, placement.rowid);
    for (std::size_t i = 0; i < values.size(); ++i) insert.Bind(static_cast<int>(i) + 2, Latin1ToUtf8(values[i]));
    insert.Run();
    transaction.Commit();
  });
}

void TableFile::UpdateRow(std::int64_t rowid, const std::vector<std::string>& values) {
  Guarded(where_, kChange, [&] {
    std::string assignments;
    for (std::size_t i = 0; i < binding_.columns.size(); ++i) {
      if (!assignments.empty()) assignments += ", ";
      assignments += binding_.columns[i] + " = ?" + std::to_string(i + 2);
    }
    SqliteTransaction transaction(connection_);
    SqliteStatement update(connection_, "UPDATE Records SET " + assignments + " WHERE rowid = ?1");
    update.Bind(1, rowid);
    for (std::size_t i = 0; i < values.size(); ++i) update.Bind(static_cast<int>(i) + 2, Latin1ToUtf8(values[i]));
    update.Run();
    ExpectOneRowChanged(kChange);
    transaction.Commit();
  });
}

void TableFile::DeleteRow(std::int64_t rowid) {
  Guarded(where_, kDeleteRow, [&] {
    SqliteTransaction transaction(connection_);
    SqliteStatement remove(connection_, "DELETE FROM Records WHERE rowid = ?1");
    remove.Bind(1, rowid);
    remove.Run();
    ExpectOneRowChanged(kDeleteRow);
    transaction.Commit();
  });
}

void TableFile::ExpectOneRowChanged(const char* action) const {
  if (connection_.Changes() != 1) {
    throw where_.Failure(action, "the row is no longer in the file; another program has changed the table");
  }
}

}  // namespace orvel
