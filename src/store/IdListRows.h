#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "store/GroupManagement.h"
#include "store/IdPairs.h"

// An ID list table's rows as a whole, for the tools that read or write a group's pairs
// in one piece (import and export) rather than a row at a time.

namespace orvel {

class TTable;

// Every row of the table, in stored order. Throws EDatabaseError when the table cannot
// be opened or lacks one of the two fields.
IdPairs ReadIdListRows(const std::filesystem::path& idListFolder, const std::string& tableName,
                       const IdListFieldNames& fields);

// Replaces every row of an existing ID list table with pairs, one row each, in order.
// The new table (same name, same fields) is written aside and renamed into place, so a
// crash leaves the old rows or the new ones, never a mix. A missing table, or a file
// that holds another table, is refused and left as it is. The table must not be open
// in this process meanwhile: an open table object would go on showing the old rows.
void ReplaceIdListRows(const std::filesystem::path& idListFolder, const std::string& tableName,
                       const IdListFieldNames& fields, const IdPairs& pairs);

// Stores the 32 pairs a Read brought as the table's first 32 rows, in one step: rows after
// the 32nd keep their pairs, and a table with fewer rows gets the missing ones. Nothing
// else is written, so a Read's pairs are never stored in part.
void StoreReadPairs(const std::filesystem::path& idListFolder, const std::string& tableName,
                    const IdListFieldNames& fields, const IdPairs& read);

// Why an open ID list table cannot take part in a transfer, or nothing when it can: its
// file must still be there and readable, whatever happened to it since it was opened.
std::optional<std::string> IdListProblem(const TTable& idList);

}  // namespace orvel
