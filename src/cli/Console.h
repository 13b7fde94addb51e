#pragma once

#include <ctime>
#include <string>
#include <vector>

namespace orvel::cli {

// The command line's words after the program's name, as UTF-8: on Windows from the
// wide command line, since argv holds them in the ANSI code page.
std::vector<std::string> CommandWords(int argc, char** argv);

// Makes the console show the UTF-8 text the program writes (Windows' console expects its
// OEM code page otherwise).
void PrepareConsole();

bool StandardInputIsTerminal();
bool StandardErrorIsTerminal();

// The local time of a moment, as the C library's thread-safe call of the host gives it.
std::tm LocalTime(std::time_t moment);

}  // namespace orvel::cli
