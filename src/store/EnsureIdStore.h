#pragma once

#include <filesystem>

namespace orvel {

class TTable;

// Makes sure the ID store exists under topLevel: enters or creates the top-level
// folder, the data folder and the ID list folder in turn, then creates the empty group
// table through groupTable (which declares the group table's fields) when the data
// folder holds no entry of that name. Returns whether the store is usable.
//
// "Enter" makes the folder the process's current directory, so after a usable result the
// current directory is the data folder. Nothing is reported: an unusable store is the
// caller's to show.
bool EnsureIdStore(const std::filesystem::path& topLevel, TTable& groupTable);

}  // namespace orvel
