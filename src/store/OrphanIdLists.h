#pragma once

#include "store/StoreFolders.h"

namespace orvel {

// Makes every ID list table that no group row names reachable again, so that pairs left
// behind by interrupted work (a New cut short, the group table lost) are never lost from
// sight: a table that holds an ID gets a group row of its own, named after the table; a
// table that holds no ID (every field blank) is certainly a New cut short and is deleted.
// Tables that cannot be read count as holding IDs. Only the store's one writer may call
// this.
void RecoverOrphanIdLists(const StoreFolders& folders);

}  // namespace orvel
