#pragma once

#include <set>
#include <string>
#include <vector>

// What a folder of tables holds, seen as a whole. Both calls assume that no one else is
// writing tables in the folder while they run, and throw EDatabaseError when the folder
// cannot be listed.

namespace orvel {

// Removes what interrupted table work leaves behind: the files of tables that were being
// created when the work stopped, and rollback journals whose table file is gone (they
// could only be played back into a later table of that name). Tables and the journals
// of existing tables are never touched. What cannot be removed stays for the next call.
void RemoveInterruptedTableWork(const std::string& folder);

// The names of the tables in the folder other than the known ones, read from their
// files, in file name order. The files of known tables are not read, so this stays quick
// in a folder of many. Files that are not tables, and files that a table's name would
// not lead to (renamed or copied by hand), are left out.
std::vector<std::string> OtherTablesInFolder(const std::string& folder, const std::set<std::string>& knownTables);

}  // namespace orvel
