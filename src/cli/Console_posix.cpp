#include <unistd.h>

#include "cli/Console.h"

namespace orvel::cli {

std::vector<std::string> CommandWords(int argc, char** argv) { return {argv + 1, argv + argc}; }

void PrepareConsole() {}

bool StandardInputIsTerminal() { return ::isatty(STDIN_FILENO) != 0; }

bool StandardErrorIsTerminal() { return ::isatty(STDERR_FILENO) != 0; }

std::tm LocalTime(std::time_t moment) {
  std::tm local{};
  localtime_r(&moment, &local);
  return local;
}

}  // namespace orvel::cli
