#include <windows.h>

#include "store/StoreLock.h"
#include "store/StoreLockFile.h"
#include "store/StoreSchema.h"

namespace orvel {
namespace {

// The lock covers one byte far beyond the holder's note, because a Windows lock also
// stops other handles from reading what it covers, and a refused writer reads the note.
constexpr DWORD kLockedByteOffsetHigh = 1;

std::error_code LastError() { return {static_cast<int>(::GetLastError()), std::system_category()}; }

std::string HostName() {
  char name[256] = {};
  DWORD size = sizeof name;
  if (!::GetComputerNameExA(ComputerNameDnsHostname, name, &size)) return {};
  return std::string(name, size);
}

std::string HolderOf(HANDLE file) {
  char text[512] = {};
  OVERLAPPED fromStart = {};
  DWORD length = 0;
  if (!::ReadFile(file, text, sizeof text - 1, &length, &fromStart) || length == 0) return {};
  return HolderOfNote(std::string_view(text, length));
}

void WriteNote(HANDLE file, const std::string& note) {
  LARGE_INTEGER start = {};
  if (!::SetFilePointerEx(file, start, nullptr, FILE_BEGIN) || !::SetEndOfFile(file)) return;
  DWORD written = 0;
  ::WriteFile(file, note.data(), static_cast<DWORD>(note.size()), &written, nullptr);
}

}  // namespace

LockFileHandle LockStoreFile(const std::filesystem::path& dataFolder) {
  const std::filesystem::path lockFile = dataFolder / kStoreLockFileName;
  // Every sharing mode is granted: the lock, not the open, keeps a second writer out, and
  // the refused one must still open the file to read the holder's note.
  constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  HANDLE file = ::CreateFileW(lockFile.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  // A lock file this user may only read can still be locked; only the note is then left
  // unwritten.
  if (file == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_ACCESS_DENIED) {
    file = ::CreateFileW(lockFile.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
  }
  if (file == INVALID_HANDLE_VALUE) throw LockFailure(lockFile, "open", LastError());
  OVERLAPPED lockedByte = {};
  lockedByte.OffsetHigh = kLockedByteOffsetHigh;
  if (!::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &lockedByte)) {
    const std::error_code lockError = LastError();
    const bool held = lockError.value() == ERROR_LOCK_VIOLATION;
    const std::string holder = held ? HolderOf(file) : std::string();
    ::CloseHandle(file);
    if (held) throw EStoreInUse(InUseMessage(dataFolder, holder));
    throw LockFailure(lockFile, "lock", lockError);
  }
  // Only a message depends on this note; the lock holds whether or not it is written.
  WriteNote(file, HolderNote(::GetCurrentProcessId(), HostName()));
  return reinterpret_cast<LockFileHandle>(file);
}

// Closing the handle releases the lock; so does the end of the process, however it ends.
void ReleaseStoreFile(LockFileHandle file) noexcept { ::CloseHandle(reinterpret_cast<HANDLE>(file)); }

}  // namespace orvel
