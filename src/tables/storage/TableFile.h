#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tables/DataSetTypes.h"
#include "tables/TFieldDefs.h"
#include "tables/storage/RowPlacement.h"
#include "tables/storage/SqliteConnection.h"
#include "tables/storage/StoredRow.h"
#include "tables/storage/TableLocation.h"

namespace orvel {

// One table's SQLite file: a record of the table's own name, and the rows as SQL rows in
// rowid order whose columns are the fields, each declared VARCHAR(width). The rows are
// read once on opening; every write is one transaction that is on disk when it returns.
class TableFile {
 public:
  // Added to a table's file name while the table is being created. Table file names end
  // in ".db", so no table's file ends in this.
  static constexpr std::string_view kCreationSuffix = ".new.tmp";
  // SQLite's rollback journal of a file has this added to the file's name.
  static constexpr std::string_view kJournalSuffix = "-journal";

  // Writes a table holding rows under a temporary name and renames it into place, so a
  // crash leaves either the old table or the new one. A file that holds a table of
  // another name is never replaced, nor one that may hold rows unless existingRows says so.
  static void Create(const TableLocation& where, const std::vector<TFieldDef>& fields, ExistingRows existingRows,
                     const std::vector<std::vector<std::string>>& rows);
  static void Remove(const TableLocation& where);

  // Opens an existing table, never creating a file, and binds the declared fields (or
  // every field of the file when none are declared).
  TableFile(const TableLocation& where, const std::vector<TFieldDef>& declared);

  const std::vector<TFieldDef>& Fields() const { return binding_.fields; }

  std::vector<StoredRow> ReadRows() const;
  void InsertRow(const RowPlacement& placement, const std::vector<std::string>& values);
  void UpdateRow(std::int64_t rowid, const std::vector<std::string>& values);
  void DeleteRow(std::int64_t rowid);

 private:
  struct Binding {
    std::vector<TFieldDef> fields;
    std::vector<std::string> columns;  // the fields' quoted SQL names
  };
  static SqliteConnection OpenConnection(const TableLocation& where);
  static Binding BindFields(const TableLocation& where, SqliteConnection& connection,
                            const std::vector<TFieldDef>& declared);

  std::string ColumnList() const;
  void ExpectOneRowChanged(const char* action) const;

  TableLocation where_;
  SqliteConnection connection_;
  Binding binding_;
};

}  // namespace orvel
