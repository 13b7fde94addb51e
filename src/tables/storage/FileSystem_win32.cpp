#include "tables/storage/FileSystem.h"

#include <windows.h>
// The system's ReplaceFile is a macro for ReplaceFileA or ReplaceFileW; this file defines
// its own ReplaceFile.
#undef ReplaceFile

#include <algorithm>
#include <filesystem>

#include "tables/TableFileName.h"

// The table files' operations that differ by host, for Windows.

namespace orvel {
namespace {

std::error_code LastError() { return {static_cast<int>(::GetLastError()), std::system_category()}; }

}  // namespace

FileNameRules HostFileNameRules() { return kCaseIgnoringFileNames; }

std::error_code ReplaceFile(const std::string& from, const std::string& to) {
  // Write-through: the rename has reached the disk when the call returns, which is what
  // syncing the folder achieves on POSIX systems.
  const std::filesystem::path source(from);
  const std::filesystem::path target(to);
  if (!::MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return LastError();
  }
  return {};
}

std::error_code WriteNewFile(const std::string& path, std::string_view content) {
  const std::filesystem::path file(path);
  HANDLE handle = ::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    // Callers ask for a taken name as they do on every host.
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
      return std::make_error_code(std::errc::file_exists);
    return {static_cast<int>(error), std::system_category()};
  }
  std::error_code failure;
  while (!content.empty() && !failure) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(content.size(), 1u << 30));
    DWORD written = 0;
    if (!::WriteFile(handle, content.data(), chunk, &written, nullptr)) {
      failure = LastError();
    } else {
      content.remove_prefix(written);
    }
  }
  if (!failure && !::FlushFileBuffers(handle)) failure = LastError();
  ::CloseHandle(handle);
  return failure;
}

std::error_code SyncFolder(const std::string&) {
  // Windows offers no flush of a folder's entries, so this does nothing. A replacement is
  // written through by ReplaceFile itself; a removal that a power loss undoes leaves a
  // file that the next start tidies away or lists again, as after any interrupted work.
  return {};
}

}  // namespace orvel
