#pragma once

#include <string>

#include "tables/storage/FileSystem.h"
#include "tables/storage/SqliteError.h"
#include "tables/storage/TableLocation.h"

// How storage failures are worded: each names the table, its folder and what failed.

namespace orvel {

std::string ExplainSqliteError(const SqliteError& error);

// Runs work, giving an SQLite failure a message that names the table and the action.
template <typename Work>
auto Guarded(const TableLocation& where, const char* action, Work&& work) -> decltype(work()) {
  try {
    return work();
  } catch (const SqliteError& error) {
    throw where.Failure(action, ExplainSqliteError(error));
  }
}

// The table's file name, quoted, for messages.
std::string FileNote(const TableLocation& where);

void RefuseFolderOrDevice(const TableLocation& where, EntryKind kind, const char* action);

}  // namespace orvel
