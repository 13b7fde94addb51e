#pragma once

#include <string>
#include <utility>

#include "tables/TFieldDefs.h"

namespace orvel {

class TTable;

// One field of a table, read and written as 8-bit text in the table's current row.
// A declared field lives as long as its table; the fields an undeclared table gets on
// opening live until it is closed.
class TField {
 public:
  TField(const TField&) = delete;
  TField& operator=(const TField&) = delete;

  const std::string& FieldName() const { return def_.Name; }
  int Size() const { return def_.Size; }
  int Index() const { return index_; }

  // Empty when the table has no current row.
  std::string AsString() const;
  // Only in Edit or Insert state. The text is cut to Size characters, and ends at a NUL
  // byte, which a field cannot hold.
  void SetAsString(const std::string& text);

 private:
  friend class TTable;
  TField(TTable& table, TFieldDef def, int index) : table_(table), def_(std::move(def)), index_(index) {}

  TTable& table_;
  TFieldDef def_;
  int index_;
};

}  // namespace orvel
