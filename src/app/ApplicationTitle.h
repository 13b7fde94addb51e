#pragma once

#include <string>

namespace orvel {

// The application title is derived from the executable's file name: the folder is
// dropped, the name is cut at its first '.', and every letter after the first character
// is turned to lower case ("PRINTER.SETUP.EXE" gives "Printer", "OrvelIDs" "Orvelids").
std::string ApplicationTitleFromExecutable(const std::string& executablePath);

// The title of the running program, set once at start-up; it titles the error box.
const std::string& ApplicationTitle();
void SetApplicationTitle(std::string title);

}  // namespace orvel
