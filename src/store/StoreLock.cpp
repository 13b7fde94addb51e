#include "store/StoreLock.h"

#include <sstream>
#include <utility>

#include "store/StoreLockFile.h"

namespace orvel {

std::string HolderNote(unsigned long processId, const std::string& hostName) {
  return std::to_string(processId) + " " + hostName + "\n";
}

std::string HolderOfNote(std::string_view note) {
  std::istringstream fields{std::string(note)};
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
         ". Only one copy can change the store at a time: close the other copy, then try again.";
}

std::runtime_error LockFailure(const std::filesystem::path& lockFile, const char* what, std::error_code error) {
  return std::runtime_error("Cannot " + std::string(what) + " the lock file '" + lockFile.string() +
                            "' of the ID store: " + error.message() + ".");
}

StoreLock::StoreLock(const std::filesystem::path& dataFolder) : file_(LockStoreFile(dataFolder)) {}

StoreLock::~StoreLock() {
  if (file_ != kNoLockFile) ReleaseStoreFile(file_);
}

StoreLock::StoreLock(StoreLock&& other) noexcept : file_(std::exchange(other.file_, kNoLockFile)) {}

StoreLock& StoreLock::operator=(StoreLock&& other) noexcept {
  if (this != &other) {
    if (file_ != kNoLockFile) ReleaseStoreFile(file_);
    file_ = std::exchange(other.file_, kNoLockFile);
  }
  return *this;
}

}  // namespace orvel
