#include "store/StoreFolders.h"

#include <pwd.h>
#include <unistd.h>

#include <stdexcept>
#include <string>

namespace orvel {

std::filesystem::path DefaultTopLevelFolder() {
  const passwd* entry = getpwuid(getuid());
  if (entry == nullptr || entry->pw_dir == nullptr || entry->pw_dir[0] == '\0') {
    throw std::runtime_error("Cannot find the home directory of user " + std::to_string(getuid()) +
                             " in the password database; the ID store has no place to live.");
  }
  return std::filesystem::path(entry->pw_dir) / "Kestrin";
}

}  // namespace orvel
