#include "store/EnsureIdStore.h"

#include <algorithm>
#include <cctype>
#include <exception>
#include <string>
#include <system_error>

#include "store/StoreFolders.h"
#include "store/StoreSchema.h"
#include "tables/TTable.h"

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
bool CurrentFolderHasEntry(const std::string& name) {
  std::error_code error;
  for (std::filesystem::directory_iterator it(".", error), end; !error && it != end; it.increment(error)) {
    if (SameNameIgnoringCase(it->path().filename().string(), name)) return true;
  }
  return false;
}

}  // namespace

bool EnsureIdStore(const std::filesystem::path& topLevel, TTable& groupTable) {
  const StoreFolders folders = StoreFoldersUnder(topLevel);
  const bool usable = EnterOrCreate(folders.topLevel) && EnterOrCreate(folders.data) && EnterOrCreate(folders.idLists);
  if (!usable) return false;

  if (!Enter(folders.data) || CurrentFolderHasEntry(kGroupTableName)) return true;

  try {
    groupTable.Close();
    groupTable.SetDatabaseName(folders.data.string());
    groupTable.SetTableName(kGroupTableName);
    groupTable.CreateTable();
    return CurrentFolderHasEntry(kGroupTableName);
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace orvel
