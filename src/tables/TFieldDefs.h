#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orvel {

// A text field: its name and its width in 8-bit characters.
struct TFieldDef {
  std::string Name;
  int Size = 0;
};

// Field names compare as the storage compares them: ASCII letters without regard to case.
bool SameFieldName(std::string_view a, std::string_view b);

// An ordered list of field definitions with distinct names and positive widths. A bad
// definition is refused when it is added, so a list never holds one.
class TFieldDefs {
 public:
  void Clear() { items_.clear(); }
  void Add(const std::string& name, int size);

  int Count() const { return static_cast<int>(items_.size()); }
  bool Empty() const { return items_.empty(); }
  const std::vector<TFieldDef>& Items() const { return items_; }
  const TFieldDef* Find(std::string_view name) const;

 private:
  std::vector<TFieldDef> items_;
};

}  // namespace orvel
