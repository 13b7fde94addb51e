#pragma once

#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>

namespace orvel::testing {

// A fresh folder under the system's temporary directory, removed with everything in it
// when the test ends. The process's current directory is restored too, since the store
// check enters its folders.
class TempFolder {
 public:
  // Creating the folder is what claims the name, so two tests never share one.
  TempFolder() : previousCurrent_(std::filesystem::current_path()) {
    std::random_device seed;
    std::mt19937_64 names(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
      path_ = std::filesystem::temp_directory_path() / ("orvel-test-" + std::to_string(names() % 1000000000));
      if (std::filesystem::create_directory(path_)) {
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all);
        return;
      }
    }
    throw std::runtime_error("cannot create a temporary folder in " + std::filesystem::temp_directory_path().string());
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::current_path(previousCurrent_, ignored);
    AllowRemoving(path_);
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  // Tests take permissions away from folders inside; for anyone but root, a folder that
  // may not be listed or written keeps its contents, and so the whole temporary folder.
  static void AllowRemoving(const std::filesystem::path& folder) {
    std::error_code ignored;
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                 ignored);
    std::error_code listing;
    for (std::filesystem::directory_iterator entry(folder, listing), end; !listing && entry != end;
         entry.increment(listing)) {
      if (!entry->is_symlink(ignored) && entry->is_directory(ignored)) AllowRemoving(entry->path());
    }
  }

  std::filesystem::path previousCurrent_;
  std::filesystem::path path_;
};

}  // namespace orvel::testing
