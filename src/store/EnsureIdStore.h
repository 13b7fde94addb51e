#pragma once

#include <filesystem>
#include <optional>

#include "store/StoreLock.h"

namespace orvel {

class TTable;

// Makes sure the ID store exists under topLevel and takes it for this process as its one
// writer. In this order:
//  1. enters or creates the top-level folder and the data folder;
//  2. takes the store's writer lock in the data folder, before anything else there is
//     looked at or changed, so that a second writer changes nothing;
//  3. enters or creates the ID list folder;
//  4. enters the data folder and, when it holds no entry named like the group table,
//     creates the empty group table through groupTable (which declares its fields). A
//     data folder that cannot be listed leaves the store unusable: a failed listing is
//     never taken for a missing group table;
//  5. removes what interrupted table work left in both folders;
//  6. lists as groups the ID list tables that no group row names (RecoverOrphanIdLists).
// Steps 5 and 6 tidy a usable store; when they fail, the store stays as it was and usable.
//
// Returns whether the store is usable; writerLock then holds the lock, and is empty
// otherwise. Throws EStoreInUse, having changed nothing, when another program holds the
// lock. "Enter" makes the folder the process's current directory, so after a usable
// result the current directory is the data folder. Nothing else is reported: an unusable
// store is the caller's to show.
bool EnsureIdStore(const std::filesystem::path& topLevel, TTable& groupTable, std::optional<StoreLock>& writerLock);

// The same for a caller that only prepares the store: the lock is released on return.
bool EnsureIdStore(const std::filesystem::path& topLevel, TTable& groupTable);

}  // namespace orvel
