#pragma once

#include <string>

namespace orvel {

// Windows' UTF-16 text as UTF-8. Only the Windows build has it.
std::string Utf8FromWide(const wchar_t* text);

}  // namespace orvel
