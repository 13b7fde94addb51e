#pragma once

#include <string>
#include <string_view>

#include "tables/EDatabaseError.h"

namespace orvel {

// Where a table lives, and how failures name it.
struct TableLocation {
  std::string folder;
  std::string name;

  // Throws "No table name" for the empty name.
  std::string FileName() const;
  std::string FilePath() const;

  // "table '<name>' in '<folder>'"
  std::string Describe() const;
  // "Cannot <action> table '<name>' in '<folder>': <reason>."
  EDatabaseError Failure(std::string_view action, std::string_view reason) const;
};

}  // namespace orvel
