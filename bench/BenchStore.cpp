#include "BenchStore.h"

#include <sqlite3.h>

#include <memory>
#include <stdexcept>

#include "store/EnsureIdStore.h"
#include "store/StoreSchema.h"
#include "tables/TTable.h"
#include "tables/TableFileName.h"

namespace orvel::bench {
namespace {

struct DatabaseCloser {
  void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
struct StatementFinalizer {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};

void Check(int code, sqlite3* db, const char* what) {
  if (code != SQLITE_OK && code != SQLITE_DONE) throw std::runtime_error(std::string(what) + ": " + sqlite3_errmsg(db));
}

// The tables hold 8-bit text as UTF-8, each byte read as Latin-1.
std::string Utf8(const std::string& latin1) {
  std::string utf8;
  for (const unsigned char c : latin1) {
    if (c < 0x80) {
      utf8 += static_cast<char>(c);
    } else {
      utf8 += static_cast<char>(0xC0 | (c >> 6));
      utf8 += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return utf8;
}

}  // namespace

StoreFolders MakeStore(const std::filesystem::path& topLevel) {
  TTable groupTable;
  groupTable.DeclareField(kGroupNameField, kGroupNameWidth);
  groupTable.DeclareField(kIdListNameField, kIdListNameWidth);
  if (!EnsureIdStore(topLevel, groupTable)) throw std::runtime_error("cannot make an ID store in " + topLevel.string());
  return StoreFoldersUnder(topLevel);
}

void AppendRowsInBulk(const std::filesystem::path& folder, const std::string& tableName,
                      const std::vector<std::vector<std::string>>& rows) {
  if (rows.empty()) return;
  const std::string path = (folder / TableFileName(tableName)).string();
  sqlite3* opened = nullptr;
  const int openCode = sqlite3_open_v2(path.c_str(), &opened, SQLITE_OPEN_READWRITE, nullptr);
  const std::unique_ptr<sqlite3, DatabaseCloser> db(opened);
  Check(openCode, db.get(), "opening the table");
  Check(sqlite3_exec(db.get(), "BEGIN", nullptr, nullptr, nullptr), db.get(), "beginning");
  std::string placeholders = "?1";
  for (std::size_t column = 1; column < rows.front().size(); ++column)
    placeholders += ", ?" + std::to_string(column + 1);
  sqlite3_stmt* prepared = nullptr;
  Check(sqlite3_prepare_v2(db.get(), ("INSERT INTO Records VALUES (" + placeholders + ")").c_str(), -1, &prepared,
                           nullptr),
        db.get(), "preparing the insert");
  const std::unique_ptr<sqlite3_stmt, StatementFinalizer> insert(prepared);
  for (const std::vector<std::string>& row : rows) {
    for (std::size_t column = 0; column < row.size(); ++column) {
      const std::string text = Utf8(row[column]);
      sqlite3_bind_text(insert.get(), static_cast<int>(column) + 1, text.c_str(), static_cast<int>(text.size()),
                        SQLITE_TRANSIENT);
    }
    Check(sqlite3_step(insert.get()), db.get(), "inserting a row");
    sqlite3_reset(insert.get());
  }
  Check(sqlite3_exec(db.get(), "COMMIT", nullptr, nullptr, nullptr), db.get(), "committing");
}

void AddGroupWithPairs(const StoreFolders& store, const std::string& groupName, const std::string& idListName,
                       int pairs) {
  TTable idList;
  idList.SetDatabaseName(store.idLists.string());
  idList.SetTableName(idListName);
  idList.FieldDefs().Add(kTrailerIdField, kIdWidth);
  idList.FieldDefs().Add(kVehicleIdField, kIdWidth);
  idList.CreateTable();
  std::vector<std::vector<std::string>> rows;
  for (int row = 1; row <= pairs; ++row) rows.push_back({"TR-" + std::to_string(row), "VH-" + std::to_string(row)});
  AppendRowsInBulk(store.idLists, idListName, rows);
  AppendRowsInBulk(store.data, kGroupTableName, {{groupName, idListName}});
}

}  // namespace orvel::bench
