#include "tables/TField.h"

#include "tables/TTable.h"

namespace orvel {

std::string TField::AsString() const { return table_.FieldValue(index_); }

void TField::SetAsString(const std::string& text) { table_.SetFieldValue(index_, text); }

}  // namespace orvel
