#pragma once

#include <filesystem>

namespace orvel {

// The three fixed folders of the ID store, nested under a top-level folder.
// Only the program entry passes the real top-level folder; everything else takes it
// as a parameter so tests can use a temporary folder.
struct StoreFolders {
  std::filesystem::path topLevel;  // holds the data folder
  std::filesystem::path data;      // holds the group table
  std::filesystem::path idLists;   // holds one ID list table per group
};

StoreFolders StoreFoldersUnder(const std::filesystem::path& topLevel);

// The fixed top-level folder: "C:\Kestrin" on Windows; elsewhere "Kestrin" in the user's
// home folder: $HOME as the shell and every other program take it, or the password
// database's entry where $HOME is unset or not an absolute path.
std::filesystem::path DefaultTopLevelFolder();

}  // namespace orvel
