#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tables/TFieldDefs.h"
#include "tables/storage/SqliteConnection.h"
#include "tables/storage/TableLocation.h"

// The layout of a table file: the table "TableInfo" records the table's own name, and the
// table "Records" holds the rows, one column per field, each declared VARCHAR(width).

namespace orvel {

// Files written by other tools are read with their schema distrusted, and kept to a
// rollback journal so that a table stays one file; every commit reaches the disk.
void ConfigureConnection(SqliteConnection& connection);

// The name recorded in the file (UTF-8), or nothing when the file is a database but not a table.
std::optional<std::string> StoredTableName(const SqliteConnection& connection);
// The same for a file not yet open; nothing too when it cannot be read as a database.
std::optional<std::string> StoredTableNameOfFile(const std::string& path);

// The number of rows of a table file not yet open; nothing when it cannot be read as a table.
std::optional<std::int64_t> StoredRowCountOfFile(const std::string& path);

std::string QuotedIdentifier(std::string_view utf8Name);

// A new table file holding rows (8-bit values in field order, cut to the fields' widths),
// written in one transaction.
void WriteTable(const std::string& path, const std::string& tableName, const std::vector<TFieldDef>& fields,
                const std::vector<std::vector<std::string>>& rows);

struct FileColumn {
  TFieldDef field;
  std::string quotedName;
};
// Every field of the file, in order; a column of another type fails, naming the table.
std::vector<FileColumn> ReadColumns(const TableLocation& where, const SqliteConnection& connection);

}  // namespace orvel
