#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace orvel {

// Another program holds the store's writer lock.
class EStoreInUse : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The one-writer lock of an ID store: an exclusive advisory lock on the lock file in the
// data folder, held while this object lives and released by the system when the process
// ends in any way, so a killed writer never leaves the store locked. The holder writes
// its process id and host name into the file so that a refused writer can say who holds
// the store.
class StoreLock {
 public:
  // Takes the lock, creating the lock file when it is missing. Throws EStoreInUse,
  // naming the holder, when another open of the lock file (in this process or another)
  // holds it, and std::runtime_error when the lock file cannot be opened or locked.
  explicit StoreLock(const std::filesystem::path& dataFolder);
  ~StoreLock();
  StoreLock(StoreLock&& other) noexcept;
  StoreLock& operator=(StoreLock&& other) noexcept;
  StoreLock(const StoreLock&) = delete;
  StoreLock& operator=(const StoreLock&) = delete;

 private:
  // The locked file: a file descriptor, or a Windows handle; -1 when moved from.
  std::intptr_t file_ = -1;
};

}  // namespace orvel
