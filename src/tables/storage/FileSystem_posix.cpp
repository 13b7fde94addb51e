#include "tables/storage/FileSystem.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "tables/TableFileName.h"

// The table files' operations that differ by host, for Linux and other POSIX systems.

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

FileNameRules HostFileNameRules() { return kCaseKeepingFileNames; }

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
