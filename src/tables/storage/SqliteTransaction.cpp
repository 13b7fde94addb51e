#include "tables/storage/SqliteTransaction.h"

#include <sqlite3.h>

#include "tables/storage/SqliteConnection.h"

namespace orvel {

SqliteTransaction::SqliteTransaction(SqliteConnection& connection) : connection_(connection) {
  connection_.Execute("BEGIN IMMEDIATE");
}

SqliteTransaction::~SqliteTransaction() {
  // Some failures end the transaction on their own; rolling back only what is still open
  // keeps a second rollback from failing here.
  if (!committed_ && connection_.InTransaction()) {
    sqlite3_exec(connection_.Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
  }
}

void SqliteTransaction::Commit() {
  connection_.Execute("COMMIT");
  committed_ = true;
}

}  // namespace orvel
