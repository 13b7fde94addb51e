#include "store/StoreFolders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

namespace orvel {

std::filesystem::path DefaultTopLevelFolder() {
  if (const char* home = std::getenv("HOME"); home != nullptr && std::filesystem::path(home).is_absolute()) {
    return std::filesystem::path(home) / "Kestrin";
  }
  const passwd* entry = getpwuid(getuid());
  if (entry == nullptr || entry->pw_dir == nullptr || entry->pw_dir[0] == '\0') {
    throw std::runtime_error("Cannot find the home directory of user " + std::to_string(getuid()) +
                             " in the password database; the ID store has no place to live.");
  }
  return std::filesystem::path(entry->pw_dir) / "Kestrin";
}

}  // namespace orvel
