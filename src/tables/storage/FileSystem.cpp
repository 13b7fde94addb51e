#include "tables/storage/FileSystem.h"

#include <filesystem>

namespace orvel {
namespace fs = std::filesystem;

EntryKind KindOfEntry(const std::string& path) {
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  switch (status.type()) {
    case fs::file_type::not_found:
      return EntryKind::Missing;
    case fs::file_type::none:
      return EntryKind::Unknown;
    case fs::file_type::regular:
      return EntryKind::RegularFile;
    case fs::file_type::directory:
      return EntryKind::Folder;
    default:
      return EntryKind::Other;
  }
}

bool IsEmptyFile(const std::string& path) {
  std::error_code error;
  return fs::file_size(path, error) == 0 && !error;
}

std::string JoinPath(const std::string& folder, const std::string& fileName) {
  return folder.empty() ? fileName : (fs::path(folder) / fileName).string();
}

std::error_code RemoveFile(const std::string& path) {
  std::error_code error;
  fs::remove(path, error);
  return error;
}

}  // namespace orvel
