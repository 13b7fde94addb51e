#pragma once

namespace orvel {

class SqliteConnection;

// A write transaction that is rolled back unless committed. Taking the write lock at the
// start means a busy database fails before anything is changed.
class SqliteTransaction {
 public:
  explicit SqliteTransaction(SqliteConnection& connection);
  ~SqliteTransaction();
  SqliteTransaction(const SqliteTransaction&) = delete;
  SqliteTransaction& operator=(const SqliteTransaction&) = delete;

  void Commit();

 private:
  SqliteConnection& connection_;
  bool committed_ = false;
};

}  // namespace orvel
