#pragma once

#include <filesystem>
#include <string>

namespace orvel::demo {

// A new folder under the system's temporary directory that is removed, with everything
// in it, when the object goes. The current directory is put back as well, because the
// store check enters the folders it makes.
class ThrowAwayFolder {
 public:
  // prefix begins the folder's name; random characters follow it.
  explicit ThrowAwayFolder(const std::string& prefix);
  ~ThrowAwayFolder();
  ThrowAwayFolder(const ThrowAwayFolder&) = delete;
  ThrowAwayFolder& operator=(const ThrowAwayFolder&) = delete;

  const std::filesystem::path& Path() const noexcept { return path_; }

 private:
  std::filesystem::path previousCurrent_;
  std::filesystem::path path_;
};

}  // namespace orvel::demo
