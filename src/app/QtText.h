#pragma once

#include <QString>
#include <string>

#include "tables/TesterText.h"

namespace orvel {

// The characters of a Qt text, for the tester's text rule.
std::u32string CodePoints(const QString& text);

}  // namespace orvel
