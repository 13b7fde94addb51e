#include <windows.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>
#include <memory>

#include "cli/Console.h"
#include "serial/WideText.h"

namespace orvel::cli {

std::vector<std::string> CommandWords(int argc, char** argv) {
  int count = 0;
  const std::unique_ptr<LPWSTR, decltype(&::LocalFree)> words(::CommandLineToArgvW(::GetCommandLineW(), &count),
                                                              &::LocalFree);
  if (!words) return {argv + 1, argv + argc};
  std::vector<std::string> utf8;
  for (int word = 1; word < count; ++word) utf8.push_back(Utf8FromWide(words.get()[word]));
  return utf8;
}

void PrepareConsole() {
  ::SetConsoleOutputCP(CP_UTF8);
  ::SetConsoleCP(CP_UTF8);
}

bool StandardInputIsTerminal() { return ::_isatty(::_fileno(stdin)) != 0; }

bool StandardErrorIsTerminal() { return ::_isatty(::_fileno(stderr)) != 0; }

std::tm LocalTime(std::time_t moment) {
  std::tm local{};
  ::localtime_s(&local, &moment);
  return local;
}

}  // namespace orvel::cli
