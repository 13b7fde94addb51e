#include "tables/storage/FileSystem.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

namespace orvel {
namespace fs = std::filesystem;

namespace {

class FileDescriptor {
 public:
  explicit FileDescriptor(int descriptor) : descriptor_(descriptor) {}
  ~FileDescriptor() {
    if (descriptor_ >= 0) ::close(descriptor_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int Get() const { return descriptor_; }

 private:
  int descriptor_;
};

}  // namespace

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

std::error_code ReplaceFile(const std::string& from, const std::string& to) {
  std::error_code error;
  fs::rename(from, to, error);
  return error;
}

std::error_code WriteNewFile(const std::string& path, std::string_view content) {
  const FileDescriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  if (file.Get() < 0) return {errno, std::generic_category()};
  while (!content.empty()) {
    const ssize_t written = ::write(file.Get(), content.data(), content.size());
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) return {errno, std::generic_category()};
    content.remove_prefix(static_cast<std::size_t>(written));
  }
  if (::fsync(file.Get()) != 0) return {errno, std::generic_category()};
  return {};
}

std::error_code SyncFolder(const std::string& folder) {
  const FileDescriptor directory(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (directory.Get() < 0) return {errno, std::generic_category()};
  // Some file systems cannot sync a folder and say so with EINVAL; their entries are
  // as durable as they get.
  if (::fsync(directory.Get()) != 0 && errno != EINVAL) return {errno, std::generic_category()};
  return {};
}

}  // namespace orvel
