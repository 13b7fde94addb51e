#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>

// The store lock's seam to the host: each host has a backend file (StoreLock_posix.cpp,
// StoreLock_win32.cpp) that opens and locks the lock file; the texts are shared.

namespace orvel {

// A locked lock file: a file descriptor, or a Windows handle.
using LockFileHandle = std::intptr_t;
inline constexpr LockFileHandle kNoLockFile = -1;

// Opens the lock file in the data folder, creating it when it is missing, takes its lock
// without waiting and writes the holder's note into it. Throws EStoreInUse, naming the
// holder, when another open of the file holds the lock, and std::runtime_error when the
// file cannot be opened or locked.
LockFileHandle LockStoreFile(const std::filesystem::path& dataFolder);
void ReleaseStoreFile(LockFileHandle file) noexcept;

// What the holder writes into the lock file: its process id and host name.
std::string HolderNote(unsigned long processId, const std::string& hostName);
// "process 1234 on host 'bench-pc'", from a holder's note; empty when it holds nothing
// readable yet.
std::string HolderOfNote(std::string_view note);

std::string InUseMessage(const std::filesystem::path& dataFolder, const std::string& holder);
std::runtime_error LockFailure(const std::filesystem::path& lockFile, const char* what, std::error_code error);

}  // namespace orvel
