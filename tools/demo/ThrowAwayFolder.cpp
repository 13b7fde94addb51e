#include "demo/ThrowAwayFolder.h"

#include <stdlib.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <system_error>

namespace orvel::demo {

ThrowAwayFolder::ThrowAwayFolder(const std::string& prefix) : previousCurrent_(std::filesystem::current_path()) {
  std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "XXXXXX")).string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    const int error = errno;
    throw std::runtime_error("Cannot create a temporary folder like " + pattern + ": " + std::strerror(error) +
                             ". Check that the temporary directory (TMPDIR) exists and is writable.");
  }
  path_ = pattern;
}

ThrowAwayFolder::~ThrowAwayFolder() {
  std::error_code ignored;
  std::filesystem::current_path(previousCurrent_, ignored);
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace orvel::demo
