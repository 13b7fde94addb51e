#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "TempFolder.h"
#include "store/EnsureIdStore.h"
#include "store/StoreFolders.h"
#include "store/StoreSchema.h"
#include "tables/TTable.h"

namespace orvel {

namespace testing {

// Who this test process is, as the host names it; each host's tests define them.
unsigned long ThisProcessId();
std::string ThisHostName();

}  // namespace testing

namespace fs = std::filesystem;

class EnsureIdStoreTest : public ::testing::Test {
 protected:
  EnsureIdStoreTest() {
    groupTable.DeclareField(kGroupNameField, kGroupNameWidth);
    groupTable.DeclareField(kIdListNameField, kIdListNameWidth);
  }

  void WriteFile(const fs::path& path, const std::string& content) { std::ofstream(path, std::ios::binary) << content; }

  void AppendGroupRow(const std::string& name, const std::string& idListName) {
    TTable table;
    table.SetDatabaseName(folders.data.string());
    table.SetTableName(kGroupTableName);
    table.Open();
    table.Append();
    table.FieldByName(kGroupNameField).SetAsString(name);
    table.FieldByName(kIdListNameField).SetAsString(idListName);
    table.Post();
  }

  // Every row's two fields, one after the other.
  std::vector<std::string> GroupRows() {
    TTable table;
    table.SetDatabaseName(folders.data.string());
    table.SetTableName(kGroupTableName);
    table.Open();
    std::vector<std::string> fields;
    for (int row = 0; row < table.RecordCount(); ++row) {
      fields.push_back(table.CellText(row, 0));
      fields.push_back(table.CellText(row, 1));
    }
    return fields;
  }

  // Two rows, the first Trailer ID given, every other field blank.
  void MakeIdList(const std::string& name, const std::string& firstTrailer) {
    TTable table;
    table.SetDatabaseName(folders.idLists.string());
    table.SetTableName(name);
    table.FieldDefs().Add(kTrailerIdField, kIdWidth);
    table.FieldDefs().Add(kVehicleIdField, kIdWidth);
    table.CreateTable();
    table.Open();
    for (int slot = 0; slot < 2; ++slot) {
      table.Append();
      table.FieldByName(kTrailerIdField).SetAsString(slot == 0 ? firstTrailer : "    ");
      table.Post();
    }
  }

  static std::vector<std::string> Listing(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  // Every entry under a folder with its size and time of last change.
  using Snapshot = std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>>;
  static Snapshot TakeSnapshot(const fs::path& root) {
    Snapshot snapshot;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
      snapshot[entry.path().string()] = {entry.is_regular_file() ? entry.file_size() : 0, entry.last_write_time()};
    }
    return snapshot;
  }

  testing::TempFolder temp;
  StoreFolders folders = StoreFoldersUnder(temp / "Kestrin");
  TTable groupTable;
};

}  // namespace orvel
