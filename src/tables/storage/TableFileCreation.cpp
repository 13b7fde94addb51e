#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "tables/FieldText.h"
#include "tables/storage/FileSystem.h"
#include "tables/storage/TableFailures.h"
#include "tables/storage/TableFile.h"
#include "tables/storage/TableFormat.h"

namespace orvel {
namespace {

constexpr const char* kCreate = "create";
constexpr const char* kDelete = "delete";

// Removes the file it names unless released, so a failed creation leaves nothing behind.
class TemporaryFile {
 public:
  explicit TemporaryFile(std::string path) : path_(std::move(path)) {}
  ~TemporaryFile() {
    if (!released_) {
      RemoveFile(path_);
      RemoveFile(path_ + std::string(TableFile::kJournalSuffix));
    }
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  const std::string& Path() const { return path_; }
  void Release() { released_ = true; }

 private:
  std::string path_;
  bool released_ = false;
};

// Shortened names can collide, and file systems that ignore case let two names meet in
// one file; the name inside the file keeps such a table from being replaced or deleted.
void RefuseOtherTablesFile(const TableLocation& where, const char* action) {
  const std::optional<std::string> stored = StoredTableNameOfFile(where.FilePath());
  if (stored && *stored != Latin1ToUtf8(where.name)) {
    throw where.Failure(action, "its file " + FileNote(where) + " holds table '" + Utf8ToLatin1(*stored) + "'");
  }
}

void RefuseToDropRows(const TableLocation& where) {
  if (IsEmptyFile(where.FilePath())) return;
  const std::optional<std::int64_t> rows = StoredRowCountOfFile(where.FilePath());
  if (!rows) {
    throw where.Failure(
        kCreate, "its file " + FileNote(where) + " cannot be read as a table and may hold rows; it is left as it is");
  }
  if (*rows > 0) {
    throw where.Failure(kCreate, "the table already exists and holds " + std::to_string(*rows) +
                                     (*rows == 1 ? " row" : " rows") + "; it is left as it is");
  }
}

void SyncFolderOf(const TableLocation& where, const char* action) {
  if (const std::error_code error = SyncFolder(where.folder)) {
    throw where.Failure(action, "the folder could not be flushed to disk (" + error.message() + ")");
  }
}

}  // namespace

void TableFile::Create(const TableLocation& where, const std::vector<TFieldDef>& fields, ExistingRows existingRows,
                       const std::vector<std::vector<std::string>>& rows) {
  if (fields.empty()) throw where.Failure(kCreate, "no fields are defined");
  for (std::size_t row = 0; row < rows.size(); ++row) {
    if (rows[row].size() != fields.size()) {
      throw where.Failure(kCreate, "row " + std::to_string(row + 1) + " has " + std::to_string(rows[row].size()) +
                                       " values for " + std::to_string(fields.size()) + " fields");
    }
  }
  const std::string path = where.FilePath();
  if (!where.folder.empty() && KindOfEntry(where.folder) != EntryKind::Folder) {
    throw where.Failure(kCreate, "the folder does not exist");
  }
  const EntryKind existing = KindOfEntry(path);
  RefuseFolderOrDevice(where, existing, kCreate);
  if (existing == EntryKind::RegularFile) {
    RefuseOtherTablesFile(where, kCreate);
    if (existingRows == ExistingRows::Refuse) RefuseToDropRows(where);
  }

  // Table files end in ".db", so this name never is another table's file.
  TemporaryFile fresh(path + std::string(kCreationSuffix));
  RemoveFile(fresh.Path());
  RemoveFile(fresh.Path() + std::string(kJournalSuffix));
  Guarded(where, kCreate, [&] { WriteTable(fresh.Path(), where.name, fields, rows); });

  // A journal left by a crash of the old file would be played back into the new one.
  if (const std::error_code error = RemoveFile(path + std::string(kJournalSuffix))) {
    throw where.Failure(kCreate,
                        "the old journal " + FileNote(where) + "-journal cannot be removed (" + error.message() + ")");
  }
  if (const std::error_code error = ReplaceFile(fresh.Path(), path)) {
    throw where.Failure(kCreate,
                        "the new file cannot be put in place as " + FileNote(where) + " (" + error.message() + ")");
  }
  fresh.Release();
  SyncFolderOf(where, kCreate);
}

void TableFile::Remove(const TableLocation& where) {
  const std::string path = where.FilePath();
  const EntryKind existing = KindOfEntry(path);
  if (existing == EntryKind::Missing) throw where.Failure(kDelete, "the table does not exist");
  RefuseFolderOrDevice(where, existing, kDelete);
  RefuseOtherTablesFile(where, kDelete);
  if (const std::error_code error = RemoveFile(path)) throw where.Failure(kDelete, error.message());
  // A journal left behind would be taken for the journal of a later table of this name;
  // creating that table removes it too, so a failure here loses nothing.
  RemoveFile(path + std::string(kJournalSuffix));
  SyncFolderOf(where, kDelete);
}

}  // namespace orvel
