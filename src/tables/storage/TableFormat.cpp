#include "tables/storage/TableFormat.h"

#include <sqlite3.h>

#include <climits>

#include "tables/FieldText.h"
#include "tables/storage/FileSystem.h"
#include "tables/storage/SqliteError.h"
#include "tables/storage/SqliteStatement.h"
#include "tables/storage/SqliteTransaction.h"

namespace orvel {
namespace {

std::optional<int> WidthOfType(const std::string& type) {
  constexpr std::string_view kPrefix = "VARCHAR(";
  const bool shaped = type.size() > kPrefix.size() + 1 &&
                      EqualIgnoringAsciiCase(std::string_view(type).substr(0, kPrefix.size()), kPrefix) &&
                      type.back() == ')';
  if (!shaped) return std::nullopt;
  long long width = 0;
  for (const char c : std::string_view(type).substr(kPrefix.size(), type.size() - kPrefix.size() - 1)) {
    if (c < '0' || c > '9') return std::nullopt;
    width = width * 10 + (c - '0');
    if (width > INT_MAX) return std::nullopt;
  }
  if (width < 1) return std::nullopt;
  return static_cast<int>(width);
}

}  // namespace

void ConfigureConnection(SqliteConnection& connection) {
  sqlite3_busy_timeout(connection.Handle(), 2000);
  // No trigger or view of a foreign file may call functions with side effects.
  connection.Execute("PRAGMA trusted_schema = OFF");
  connection.Execute("PRAGMA journal_mode = DELETE");
  connection.Execute("PRAGMA synchronous = FULL");
}

std::optional<std::string> StoredTableName(const SqliteConnection& connection) {
  SqliteStatement ours(connection,
                       "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name IN ('TableInfo', 'Records')");
  if (!ours.Step() || ours.Int64(0) != 2) return std::nullopt;
  SqliteStatement name(connection, "SELECT Name FROM TableInfo LIMIT 1");
  if (!name.Step()) return std::nullopt;
  return name.Text(0);
}

std::optional<std::string> StoredTableNameOfFile(const std::string& path) {
  try {
    if (IsEmptyFile(path)) return std::nullopt;
    SqliteConnection connection(path, SqliteConnection::Access::ReadOnly);
    connection.Execute("PRAGMA trusted_schema = OFF");
    return StoredTableName(connection);
  } catch (const SqliteError&) {
    return std::nullopt;
  }
}

std::optional<std::int64_t> StoredRowCountOfFile(const std::string& path) {
  try {
    SqliteConnection connection(path, SqliteConnection::Access::ReadOnly);
    connection.Execute("PRAGMA trusted_schema = OFF");
    if (!StoredTableName(connection)) return std::nullopt;
    SqliteStatement count(connection, "SELECT count(*) FROM Records");
    if (!count.Step()) return std::nullopt;
    return count.Int64(0);
  } catch (const SqliteError&) {
    return std::nullopt;
  }
}

std::string QuotedIdentifier(std::string_view utf8Name) {
  std::string quoted = "\"";
  for (const char c : utf8Name) {
    quoted += c;
    if (c == '"') quoted += '"';
  }
  return quoted + '"';
}

void WriteTable(const std::string& path, const std::string& tableName, const std::vector<TFieldDef>& fields,
                const std::vector<std::vector<std::string>>& rows) {
  SqliteConnection connection(path, SqliteConnection::Access::Create);
  ConfigureConnection(connection);
  SqliteTransaction transaction(connection);
  connection.Execute("CREATE TABLE TableInfo (Name TEXT NOT NULL)");
  SqliteStatement record(connection, "INSERT INTO TableInfo (Name) VALUES (?1)");
  record.Bind(1, Latin1ToUtf8(tableName));
  record.Run();
  std::string columns;
  for (const TFieldDef& field : fields) {
    if (!columns.empty()) columns += ", ";
    columns += QuotedIdentifier(Latin1ToUtf8(field.Name)) + " VARCHAR(" + std::to_string(field.Size) + ")";
  }
  connection.Execute("CREATE TABLE Records (" + columns + ")");
  std::string placeholders;
  for (std::size_t i = 0; i < fields.size(); ++i) placeholders += (i == 0 ? "?" : ", ?") + std::to_string(i + 1);
  SqliteStatement insert(connection, "INSERT INTO Records VALUES (" + placeholders + ")");
  for (const std::vector<std::string>& row : rows) {
    insert.Reset();
    for (std::size_t i = 0; i < fields.size(); ++i) {
      insert.Bind(static_cast<int>(i) + 1, Latin1ToUtf8(FitToField(row[i], fields[i].Size)));
    }
    insert.Run();
  }
  transaction.Commit();
}

std::vector<FileColumn> ReadColumns(const TableLocation& where, const SqliteConnection& connection) {
  std::vector<FileColumn> columns;
  SqliteStatement info(connection, "SELECT name, type FROM pragma_table_info('Records')");
  while (info.Step()) {
    const std::string name = info.Text(0);
    const std::string type = info.Text(1);
    const std::optional<int> width = WidthOfType(type);
    if (!width) {
      throw where.Failure("open", "field '" + Utf8ToLatin1(name) +
                                      "' is not a text field of known width (its type is '" + Utf8ToLatin1(type) +
                                      "')");
    }
    columns.push_back({{Utf8ToLatin1(name), *width}, QuotedIdentifier(name)});
  }
  return columns;
}

}  // namespace orvel
