#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "store/IdPairs.h"
#include "store/StoreSchema.h"

namespace orvel {

class TTable;

// The creation stamp for the current local time moved on by some seconds.
using CreationStampClock = std::function<std::string(int secondsLater)>;

struct IdListFieldNames {
  std::string trailer;
  std::string vehicle;
};

// Adds a group: makes its ID list table in idListFolder through idListTable (left
// closed), holding one row per pair (32 empty pairs unless given), then appends and posts
// the group's row in groupTable. The table is made with its rows in one step, so a group
// never shows half of the pairs it was given.
//
// The table comes first so that no group row can exist without its table: when a step
// fails, what was made is removed again and the error goes on to the caller. A table
// name already in use (by a file in the folder or by another group row) is never
// replaced: the stamp is taken a second later until the name is free, so an existing
// group's pairs can never be wiped and the name keeps its usual form. The search gives
// up, adding nothing, when the names of the next 100 seconds are all taken.
// Returns the new row's ID list table name.
std::string AddGroup(TTable& groupTable, TTable& idListTable, const std::filesystem::path& idListFolder,
                     const std::string& groupName, const CreationStampClock& stampClock,
                     const IdListFieldNames& fieldNames, const IdPairs& pairs = IdPairs(kTesterSlots));

// Deletes the current group row of groupTable and the ID list table that this row names
// (never another group's). The table goes first: if it cannot be deleted the row stays
// and the error goes on to the caller, so a group is never left half-deleted unseen.
// A table that is already missing does not stop the row's deletion.
void DeleteCurrentGroup(TTable& groupTable, const std::filesystem::path& idListFolder);

}  // namespace orvel
