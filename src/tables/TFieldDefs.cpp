#include "tables/TFieldDefs.h"

#include <algorithm>

#include "tables/EDatabaseError.h"
#include "tables/FieldText.h"

namespace orvel {

bool SameFieldName(std::string_view a, std::string_view b) { return EqualIgnoringAsciiCase(a, b); }

void TFieldDefs::Add(const std::string& name, int size) {
  if (name.empty()) throw EDatabaseError("Cannot add a field without a name.");
  if (name.find('\0') != std::string::npos) {
    throw EDatabaseError("Cannot add field '" + name + "': a field name cannot hold a NUL character.");
  }
  if (size < 1) {
    throw EDatabaseError("Cannot add field '" + name + "': its width must be at least 1 character, not " +
                         std::to_string(size) + ".");
  }
  if (Find(name) != nullptr) {
    throw EDatabaseError("Cannot add field '" + name + "': a field of that name is already defined.");
  }
  items_.push_back({name, size});
}

const TFieldDef* TFieldDefs::Find(std::string_view name) const {
  const auto found =
      std::find_if(items_.begin(), items_.end(), [&](const TFieldDef& def) { return SameFieldName(def.Name, name); });
  return found == items_.end() ? nullptr : &*found;
}

}  // namespace orvel
