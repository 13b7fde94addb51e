#include "store/EnsureIdStore.h"

#include <algorithm>
#include <cctype>
#include <exception>
#include <string>
#include <system_error>
#include <utility>

#include "store/OrphanIdLists.h"
#include "store/StoreFolders.h"
#include "store/StoreSchema.h"
#include "tables/TTable.h"
#include "tables/TableFolder.h"

namespace orvel {
namespace {

bool Enter(const std::filesystem::path& folder) {
  std::error_code error;
  std::filesystem::current_path(folder, error);
  return !error;
}

// Creates this one folder only; its parent must already exist.
bool Create(const std::filesystem::path& folder) {
  std::error_code error;
  return std::filesystem::create_directory(folder, error) && !error;
}

bool EnterOrCreate(const std::filesystem::path& folder) { return Enter(folder) || Create(folder); }

bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

// Any entry counts, file or folder, as a search of the directory by name would find it.
// Nothing when the folder cannot be listed: the entry may well be there.
std::optional<bool> CurrentFolderHasEntry(const std::string& name) {
  std::error_code error;
  for (std::filesystem::directory_iterator it(".", error), end; !error && it != end; it.increment(error)) {
    if (SameNameIgnoringCase(it->path().filename().string(), name)) return true;
  }
  if (error) return std::nullopt;
  return false;
}

std::optional<StoreLock> TakeWriterLock(const std::filesystem::path& dataFolder) {
  try {
    return StoreLock(dataFolder);
  } catch (const EStoreInUse&) {
    throw;
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

bool CreateGroupTable(const StoreFolders& folders, TTable& groupTable) {
  try {
    groupTable.Close();
    groupTable.SetDatabaseName(folders.data.string());
    groupTable.SetTableName(kGroupTableName);
    groupTable.CreateTable();
    return CurrentFolderHasEntry(kGroupTableName).value_or(false);
  } catch (const std::exception&) {
    return false;
  }
}

void TidyStore(const StoreFolders& folders) noexcept {
  try {
    RemoveInterruptedTableWork(folders.data.string());
    RemoveInterruptedTableWork(folders.idLists.string());
    RecoverOrphanIdLists(folders);
  } catch (const std::exception&) {
    // What could not be tidied is tried again at the next start; a group table that
    // cannot be opened is reported when the Configure IDs window opens it.
  }
}

}  // namespace

bool EnsureIdStore(const std::filesystem::path& topLevel, TTable& groupTable, std::optional<StoreLock>& writerLock) {
  writerLock.reset();
  const StoreFolders folders = StoreFoldersUnder(topLevel);
  if (!EnterOrCreate(folders.topLevel) || !EnterOrCreate(folders.data)) return false;
  std::optional<StoreLock> lock = TakeWriterLock(folders.data);
  if (!lock || !EnterOrCreate(folders.idLists)) return false;

  if (Enter(folders.data)) {
    const std::optional<bool> present = CurrentFolderHasEntry(kGroupTableName);
    if (!present) return false;
    if (!*present && !CreateGroupTable(folders, groupTable)) return false;
  }
  TidyStore(folders);
  writerLock = std::move(lock);
  return true;
}

bool EnsureIdStore(const std::filesystem::path& topLevel, TTable& groupTable) {
  std::optional<StoreLock> writerLock;
  return EnsureIdStore(topLevel, groupTable, writerLock);
}

}  // namespace orvel
