#include "tables/storage/SqliteStatement.h"

#include <sqlite3.h>

#include <climits>

#include "tables/storage/SqliteConnection.h"
#include "tables/storage/SqliteError.h"

namespace orvel {

void SqliteStatement::Finalizer::operator()(sqlite3_stmt* statement) const noexcept { sqlite3_finalize(statement); }

SqliteStatement::SqliteStatement(const SqliteConnection& connection, const std::string& sql) : connection_(connection) {
  sqlite3_stmt* prepared = nullptr;
  const int code = sqlite3_prepare_v2(connection.Handle(), sql.c_str(), -1, &prepared, nullptr);
  statement_.reset(prepared);
  if (code != SQLITE_OK) connection_.Fail(code);
}

void SqliteStatement::Bind(int index, std::string_view utf8Text) {
  if (utf8Text.size() > static_cast<std::size_t>(INT_MAX)) throw SqliteError(SQLITE_TOOBIG, "text too long");
  const int code =
      sqlite3_bind_text(statement_.get(), index, utf8Text.data(), static_cast<int>(utf8Text.size()), SQLITE_TRANSIENT);
  if (code != SQLITE_OK) connection_.Fail(code);
}

void SqliteStatement::Bind(int index, std::int64_t value) {
  const int code = sqlite3_bind_int64(statement_.get(), index, value);
  if (code != SQLITE_OK) connection_.Fail(code);
}

bool SqliteStatement::Step() {
  const int code = sqlite3_step(statement_.get());
  if (code == SQLITE_ROW) return true;
  if (code == SQLITE_DONE) return false;
  connection_.Fail(code);
}

void SqliteStatement::Run() {
  while (Step()) {
  }
}

void SqliteStatement::Reset() {
  sqlite3_reset(statement_.get());
  sqlite3_clear_bindings(statement_.get());
}

std::int64_t SqliteStatement::Int64(int column) const { return sqlite3_column_int64(statement_.get(), column); }

std::string SqliteStatement::Text(int column) const {
  // The text pointer must be taken before the length, which then counts the text form.
  const unsigned char* text = sqlite3_column_text(statement_.get(), column);
  const int length = sqlite3_column_bytes(statement_.get(), column);
  if (text == nullptr) return {};
  return std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(length));
}

}  // namespace orvel
