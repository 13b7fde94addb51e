#pragma once

#include <memory>
#include <string>

struct sqlite3;

namespace orvel {

// An open SQLite database, closed when this goes. Failures throw SqliteError.
class SqliteConnection {
 public:
  enum class Access { ReadOnly, ReadWrite, Create };

  SqliteConnection(const std::string& path, Access access);

  void Execute(const std::string& sql);
  int Changes() const;
  bool InTransaction() const;
  sqlite3* Handle() const { return db_.get(); }

  // Throws the connection's current error, reported by a call that returned code.
  [[noreturn]] void Fail(int code) const;

 private:
  struct Closer {
    void operator()(sqlite3* db) const noexcept;
  };
  std::unique_ptr<sqlite3, Closer> db_;
};

}  // namespace orvel
