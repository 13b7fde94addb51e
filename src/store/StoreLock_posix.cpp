#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "store/StoreLock.h"
#include "store/StoreLockFile.h"
#include "store/StoreSchema.h"

namespace orvel {
namespace {

std::string HostName() {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0) return {};
  return name;
}

std::string HolderOf(int descriptor) {
  char text[512] = {};
  const ssize_t length = ::pread(descriptor, text, sizeof text - 1, 0);
  if (length <= 0) return {};
  return HolderOfNote(std::string_view(text, static_cast<std::size_t>(length)));
}

std::error_code LastError() { return {errno, std::generic_category()}; }

}  // namespace

LockFileHandle LockStoreFile(const std::filesystem::path& dataFolder) {
  const std::filesystem::path lockFile = dataFolder / kStoreLockFileName;
  int descriptor = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
  // A lock file made by another user can still be locked through a read-only open; only
  // the holder's note is then left unwritten.
  if (descriptor < 0 && errno == EACCES) descriptor = ::open(lockFile.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (descriptor < 0) throw LockFailure(lockFile, "open", LastError());
  if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
    const std::error_code lockError = LastError();
    const std::string holder = lockError.value() == EWOULDBLOCK ? HolderOf(descriptor) : std::string();
    ::close(descriptor);
    if (lockError.value() == EWOULDBLOCK) throw EStoreInUse(InUseMessage(dataFolder, holder));
    throw LockFailure(lockFile, "lock", lockError);
  }
  // Only a message depends on this note; the lock holds whether or not it is written.
  const std::string note = HolderNote(static_cast<unsigned long>(::getpid()), HostName());
  if (::ftruncate(descriptor, 0) == 0) {
    [[maybe_unused]] const ssize_t written = ::pwrite(descriptor, note.data(), note.size(), 0);
  }
  return descriptor;
}

void ReleaseStoreFile(LockFileHandle file) noexcept { ::close(static_cast<int>(file)); }

}  // namespace orvel
