#include "tables/storage/SqliteConnection.h"

#include <sqlite3.h>

#include "tables/storage/SqliteError.h"

namespace orvel {
namespace {

int OpenFlags(SqliteConnection::Access access) {
  switch (access) {
    case SqliteConnection::Access::ReadOnly:
      return SQLITE_OPEN_READONLY;
    case SqliteConnection::Access::ReadWrite:
      return SQLITE_OPEN_READWRITE;
    case SqliteConnection::Access::Create:
      return SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
  }
  return SQLITE_OPEN_READONLY;
}

}  // namespace

void SqliteConnection::Closer::operator()(sqlite3* db) const noexcept { sqlite3_close_v2(db); }

SqliteConnection::SqliteConnection(const std::string& path, Access access) {
  sqlite3* opened = nullptr;
  const int code = sqlite3_open_v2(path.c_str(), &opened, OpenFlags(access), nullptr);
  // Owned from here on: SQLite hands out a handle even when opening fails.
  db_.reset(opened);
  if (!db_) throw SqliteError(code, sqlite3_errstr(code));
  if (code != SQLITE_OK) Fail(code);
  sqlite3_extended_result_codes(db_.get(), 1);
}

void SqliteConnection::Execute(const std::string& sql) {
  const int code = sqlite3_exec(db_.get(), sql.c_str(), nullptr, nullptr, nullptr);
  if (code != SQLITE_OK) Fail(code);
}

int SqliteConnection::Changes() const { return sqlite3_changes(db_.get()); }

bool SqliteConnection::InTransaction() const { return sqlite3_get_autocommit(db_.get()) == 0; }

void SqliteConnection::Fail(int code) const {
  const int extended = sqlite3_extended_errcode(db_.get());
  throw SqliteError((extended & 0xFF) == (code & 0xFF) ? extended : code, sqlite3_errmsg(db_.get()));
}

}  // namespace orvel
