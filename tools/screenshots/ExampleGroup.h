#pragma once

#include <string>

#include "store/StoreFolders.h"

namespace orvel::screenshots {

// Adds a group holding the demo's example pairs to a ready ID store, as if it had been
// created with New and filled by a Read from the example tester.
void AddExampleGroup(const StoreFolders& folders, const std::string& groupName);

}  // namespace orvel::screenshots
