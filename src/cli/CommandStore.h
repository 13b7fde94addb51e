#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "cli/ExitStatus.h"
#include "store/StoreFolders.h"
#include "store/StoreLock.h"
#include "tables/TTable.h"

namespace orvel::cli {

// A group as the list shows it.
struct GroupEntry {
  int position = 0;  // in the list, from 1
  std::string name;  // the program's 8-bit text
  std::string tableName;
};

// The ID store as the commands use it. Commands that only read it leave it to whoever
// holds it (the window may be running); commands that write take it as its one writer
// for their run, as the window does for its life.
class CommandStore {
 public:
  explicit CommandStore(const std::filesystem::path& topLevel);

  // Whether the store has been made there.
  bool Exists();
  // Opens the group table of the store as it stands, creating nothing. Throws a store
  // error when there is no store there yet.
  void OpenForReading();
  // Takes the store as its one writer, making it when missing and tidying it up as the
  // window does at start. Throws a store error, having changed nothing, when another
  // copy of the program holds it.
  void OpenForWriting();

  const StoreFolders& Folders() const { return folders_; }
  TTable& GroupTable() { return groupTable_; }

  std::vector<GroupEntry> Groups();
  // The group of that name; with index, the group at that position, which must have that
  // name. Throws bad input when there is none, or when several share the name and no
  // index chooses one.
  GroupEntry FindGroup(const std::string& name, std::optional<int> index);
  // The same, but nothing when no group has that name (an index that does not fit is
  // still refused).
  std::optional<GroupEntry> FindGroupIfAny(const std::string& name, std::optional<int> index);
  // The file of the group's ID list table; empty for a group row that names no table.
  std::filesystem::path IdListFile(const GroupEntry& group) const;
  // Deletes the group and its ID list table.
  void DeleteGroup(const GroupEntry& group);

 private:
  StoreFolders folders_;
  TTable groupTable_;
  std::optional<StoreLock> writerLock_;
};

// Runs a step on the store; a failure of the store becomes a store error that says what
// was being done.
template <typename Step>
auto InStore(const std::string& what, Step&& step) {
  try {
    return step();
  } catch (const ECommandFailed&) {
    throw;
  } catch (const std::exception& error) {
    throw ECommandFailed(ExitStatus::StoreError, what + ": " + error.what());
  }
}

// The ID list table of a group, opened.
void OpenIdList(TTable& idList, const StoreFolders& folders, const GroupEntry& group);

}  // namespace orvel::cli
