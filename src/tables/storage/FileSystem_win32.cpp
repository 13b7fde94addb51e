#include "tables/storage/FileSystem.h"

#include <windows.h>
// The system's ReplaceFile is a macro for ReplaceFileA or ReplaceFileW; this file defines
// its own ReplaceFile.
#undef ReplaceFile

#include <filesystem>

#include "tables/TableFileName.h"

// The table files' operations that differ by host, for Windows.

namespace orvel {

FileNameRules HostFileNameRules() { return kCaseIgnoringFileNames; }

std::error_code ReplaceFile(const std::string& from, const std::string& to) {
  // Write-through: the rename has reached the disk when the call returns, which is what
  // syncing the folder achieves on POSIX systems.
  const std::filesystem::path source(from);
  const std::filesystem::path target(to);
  if (!::MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return {static_cast<int>(::GetLastError()), std::system_category()};
  }
  return {};
}

std::error_code SyncFolder(const std::string&) {
  // Windows offers no flush of a folder's entries, so this does nothing. A replacement is
  // written through by ReplaceFile itself; a removal that a power loss undoes leaves a
  // file that the next start tidies away or lists again, as after any interrupted work.
  return {};
}

}  // namespace orvel
