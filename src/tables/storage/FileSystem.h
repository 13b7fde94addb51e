#pragma once

#include <string>
#include <string_view>
#include <system_error>

// The few file operations the table files need. Errors come back as codes, taken where
// the failing call returned, for the caller to word. Replacing, writing and syncing differ
// by host: each has a backend file of its own (FileSystem_posix.cpp, FileSystem_win32.cpp),
// which also gives the host's file name rules.

namespace orvel {

// Unknown: the entry could not be examined (no permission to search its folder, an I/O
// error). It is not known to be missing, so nothing may be created in its place.
enum class EntryKind { Missing, RegularFile, Folder, Other, Unknown };

EntryKind KindOfEntry(const std::string& path);
bool IsEmptyFile(const std::string& path);

// The empty folder is the process's current directory.
std::string JoinPath(const std::string& folder, const std::string& fileName);

// A file that is not there counts as removed.
std::error_code RemoveFile(const std::string& path);

// Puts from in place of to in one step: a reader sees the old file or the new one.
std::error_code ReplaceFile(const std::string& from, const std::string& to);

// Creates a file under a name that must be free, writes content into it and flushes it
// to disk; a taken name gives EEXIST. A file made before a failure stays for the caller
// to remove.
std::error_code WriteNewFile(const std::string& path, std::string_view content);

// Makes the folder's entries (a rename, a removal) survive a power loss.
std::error_code SyncFolder(const std::string& folder);

}  // namespace orvel
