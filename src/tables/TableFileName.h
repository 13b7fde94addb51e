#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace orvel {

// What the file system that holds the tables allows in a file name.
struct FileNameRules {
  // "Fleet" and "fleet" name one file.
  bool ignoresCase = false;
  // Bytes of an encoded name before it is shortened; what is left of the longest path
  // the system opens must hold the folder and the suffixes of the file and its journal.
  std::size_t longestEncoding = 200;
};

// Linux and other POSIX systems: names keep their case, paths are long.
inline constexpr FileNameRules kCaseKeepingFileNames{false, 200};
// Windows: names ignore case, and a path stops at 259 characters. The ID list folder
// "C:\Kestrin\Braketesting IDs\IDs\" takes 32 of them; a shortened name adds 17, and a
// table being created adds ".tbl.db.new.tmp-journal", 23.
inline constexpr FileNameRules kCaseIgnoringFileNames{true, 180};

// The rules of the system this program runs on.
FileNameRules HostFileNameRules();

// The name of the file, inside the table's folder, that holds the table of this name.
//
// A name ending in ".db" (in any case) is the file's own name, so that a search of the
// folder finds it; any other name gets the suffix ".tbl.db". Everything that a Windows or
// Linux file name cannot hold, or that would change the path, is written as %XX, and so
// is an upper-case letter where the file system ignores case; a name whose encoding would
// pass the rules' length is shortened and given a hash of the whole name. The result
// never leaves the folder and no two names share a file, except that names ending in
// ".db" that differ only in case name one file where the file system ignores case.
//
// Throws EDatabaseError "No table name" for the empty name.
std::string TableFileName(const std::string& tableName, const FileNameRules& rules = HostFileNameRules());

// The table name whose file this is, or nothing when TableFileName gives no name this
// file name, or only a shortened one (the full name is then kept inside the file).
std::optional<std::string> TableNameOfFile(const std::string& fileName,
                                           const FileNameRules& rules = HostFileNameRules());

}  // namespace orvel
