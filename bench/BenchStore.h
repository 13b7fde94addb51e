#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "store/StoreFolders.h"

namespace orvel::bench {

// A ready ID store under topLevel, as the start window leaves it.
StoreFolders MakeStore(const std::filesystem::path& topLevel);

// Appends rows to a table in one transaction straight through SQLite: setting up a table
// of 10,000 rows a row at a time, each on disk before the next, would take minutes.
void AppendRowsInBulk(const std::filesystem::path& folder, const std::string& tableName,
                      const std::vector<std::vector<std::string>>& rows);

// Adds a group row and its ID list table, with `pairs` rows of IDs.
void AddGroupWithPairs(const StoreFolders& store, const std::string& groupName, const std::string& idListName,
                       int pairs);

}  // namespace orvel::bench
