#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "TempFolder.h"
#include "tables/EDatabaseError.h"
#include "tables/TTable.h"

namespace orvel::testing {

inline std::vector<std::string> Listing(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

inline void WriteFile(const std::filesystem::path& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

// The message of the table error that the action raises.
inline std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const EDatabaseError& error) {
    return error.what();
  }
  return "no error";
}

using Pair = std::pair<std::string, std::string>;

// An ID list table of the given rows: "Trailer ID" and "Vehicle ID", 16 characters each.
inline void MakeIdTable(const std::filesystem::path& folder, const std::string& name, const std::vector<Pair>& rows) {
  TTable table;
  table.SetDatabaseName(folder.string());
  table.SetTableName(name);
  table.FieldDefs().Add("Trailer ID", 16);
  table.FieldDefs().Add("Vehicle ID", 16);
  table.CreateTable();
  table.Open();
  for (const auto& [trailer, vehicle] : rows) {
    table.Append();
    table.FieldByName("Trailer ID").SetAsString(trailer);
    table.FieldByName("Vehicle ID").SetAsString(vehicle);
    table.Post();
  }
}

inline void OpenTable(TTable& table, const std::filesystem::path& folder, const std::string& name) {
  table.SetDatabaseName(folder.string());
  table.SetTableName(name);
  table.Open();
}

// The first field of every row, walking the cursor from the first row to Eof. A cursor
// that never reaches Eof gives one value too many instead of walking for ever.
inline std::vector<std::string> FirstColumn(TTable& table) {
  std::vector<std::string> values;
  const std::size_t most = static_cast<std::size_t>(table.RecordCount()) + 1;
  for (table.First(); !table.Eof() && values.size() < most; table.Next()) values.push_back(table.Fields(0).AsString());
  return values;
}

inline std::vector<std::string> StoredFirstColumn(const std::filesystem::path& folder, const std::string& name) {
  TTable table;
  OpenTable(table, folder, name);
  return FirstColumn(table);
}

}  // namespace orvel::testing
