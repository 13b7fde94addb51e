#include "store/StoreLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <sstream>
#include <utility>

#include "store/StoreSchema.h"

namespace orvel {
namespace {

std::string HostName() {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0) return {};
  return name;
}

// "process 1234 on host 'bench-pc'", from what the holder wrote; empty when it wrote
// nothing readable yet.
std::string HolderOf(int descriptor) {
  char text[512] = {};
  const ssize_t length = ::pread(descriptor, text, sizeof text - 1, 0);
  if (length <= 0) return {};
  std::istringstream fields(std::string(text, static_cast<std::size_t>(length)));
  long pid = 0;
  std::string host;
  if (!(fields >> pid) || pid <= 0) return {};
  std::string holder = "process " + std::to_string(pid);
  if (fields >> host) holder += " on host '" + host + "'";
  return holder;
}

std::string InUseMessage(const std::filesystem::path& dataFolder, const std::string& holder) {
  return "The ID store in '" + dataFolder.string() + "' is in use by another copy of Orvel IDs" +
         (holder.empty() ? std::string() : " (" + holder + ")") +
         ". Only one copy can change the store at a time: close the other copy, then start this one again.";
}

std::runtime_error LockFailure(const std::filesystem::path& lockFile, const char* what) {
  return std::runtime_error("Cannot " + std::string(what) + " the lock file '" + lockFile.string() +
                            "' of the ID store: " + std::strerror(errno) + ".");
}

}  // namespace

StoreLock::StoreLock(const std::filesystem::path& dataFolder) {
  const std::filesystem::path lockFile = dataFolder / kStoreLockFileName;
  int descriptor = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
  // A lock file made by another user can still be locked through a read-only open; only
  // the holder's note is then left unwritten.
  if (descriptor < 0 && errno == EACCES) descriptor = ::open(lockFile.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (descriptor < 0) throw LockFailure(lockFile, "open");
  if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
    const int lockError = errno;
    const std::string holder = lockError == EWOULDBLOCK ? HolderOf(descriptor) : std::string();
    ::close(descriptor);
    errno = lockError;
    if (lockError == EWOULDBLOCK) throw EStoreInUse(InUseMessage(dataFolder, holder));
    throw LockFailure(lockFile, "lock");
  }
  descriptor_ = descriptor;
  // Only a message depends on this text; the lock holds whether or not it is written.
  const std::string holder = std::to_string(::getpid()) + " " + HostName() + "\n";
  if (::ftruncate(descriptor_, 0) == 0) {
    [[maybe_unused]] const ssize_t written = ::pwrite(descriptor_, holder.data(), holder.size(), 0);
  }
}

StoreLock::~StoreLock() {
  if (descriptor_ >= 0) ::close(descriptor_);
}

StoreLock::StoreLock(StoreLock&& other) noexcept : descriptor_(std::exchange(other.descriptor_, -1)) {}

StoreLock& StoreLock::operator=(StoreLock&& other) noexcept {
  if (this != &other) {
    if (descriptor_ >= 0) ::close(descriptor_);
    descriptor_ = std::exchange(other.descriptor_, -1);
  }
  return *this;
}

}  // namespace orvel
