#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

struct sqlite3_stmt;

namespace orvel {

class SqliteConnection;

// One prepared statement, finalized when this goes. Failures throw SqliteError.
class SqliteStatement {
 public:
  SqliteStatement(const SqliteConnection& connection, const std::string& sql);

  void Bind(int index, std::string_view utf8Text);
  void Bind(int index, std::int64_t value);

  // True while a result row is ready to read.
  bool Step();
  // Runs a statement that returns no rows.
  void Run();
  // Makes the statement ready to run again with new bindings.
  void Reset();

  std::int64_t Int64(int column) const;
  // The column as UTF-8 text; NULL reads as empty.
  std::string Text(int column) const;

 private:
  struct Finalizer {
    void operator()(sqlite3_stmt* statement) const noexcept;
  };
  const SqliteConnection& connection_;
  std::unique_ptr<sqlite3_stmt, Finalizer> statement_;
};

}  // namespace orvel
