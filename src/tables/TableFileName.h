#pragma once

#include <optional>
#include <string>

namespace orvel {

// The name of the file, inside the table's folder, that holds the table of this name.
//
// A name ending in ".db" (in any case) is the file's own name, so that a search of the
// folder finds it; any other name gets the suffix ".tbl.db". Everything that a Windows or
// Linux file name cannot hold, or that would change the path, is written as %XX, and a
// name whose encoding would pass 200 bytes is shortened and given a hash of the whole
// name. The result never leaves the folder and no two names share a file.
//
// Throws EDatabaseError "No table name" for the empty name.
std::string TableFileName(const std::string& tableName);

// The table name whose file this is, or nothing when TableFileName gives no name this
// file name, or only a shortened one (the full name is then kept inside the file).
std::optional<std::string> TableNameOfFile(const std::string& fileName);

}  // namespace orvel
