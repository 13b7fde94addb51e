// CSV ID lists on disk: reading one with every way a file can fail named, and writing
// one so that no reader ever sees it half-written.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <system_error>

#include "store/IdListCsv.h"
#include "tables/TesterText.h"
#include "tables/storage/FileSystem.h"

namespace orvel {
namespace {

// More than any ID list the reader takes: its most rows of two 16-character IDs, quoted,
// with a slot number, are under 8 MiB as UTF-8, and twice that as UTF-16 at most.
constexpr std::uintmax_t kLargestCsvBytes = 16 * 1024 * 1024;

// Attempts at a free name for the temporary file; names clash only with leftovers.
constexpr int kTemporaryNameAttempts = 8;

[[noreturn]] void RefuseFile(const std::string& name, const std::string& reason) {
  throw ECsvRefused("Cannot import '" + VisibleText(name) + "': " + reason + ". Nothing was imported.");
}

std::string TooLarge(std::uintmax_t bytes) {
  return "the file holds " + std::to_string(bytes) + " bytes, but an ID list of at most " +
         std::to_string(kMostCsvRows) + " rows is never larger than " +
         std::to_string(kLargestCsvBytes / (1024 * 1024)) + " MiB; this is not an ID list";
}

std::string ReadWhole(std::FILE* stream, const std::string& name) {
  std::string bytes(kLargestCsvBytes + 1, '\0');
  const std::size_t read = std::fread(bytes.data(), 1, bytes.size(), stream);
  if (std::ferror(stream)) RefuseFile(name, std::strerror(errno));
  // The file may have grown since its size was looked at.
  if (read > kLargestCsvBytes) RefuseFile(name, TooLarge(read));
  bytes.resize(read);
  return bytes;
}

bool Exists(const std::filesystem::path& file) {
  std::error_code error;
  return std::filesystem::exists(std::filesystem::symlink_status(file, error));
}

std::filesystem::path TemporaryNameFor(const std::filesystem::path& file) {
  static std::mt19937 numbers{std::random_device{}()};
  char suffix[32];
  std::snprintf(suffix, sizeof suffix, ".%08x.tmp", static_cast<unsigned>(numbers()));
  return file.parent_path() / (file.filename().string() + suffix);
}

std::runtime_error WriteFailure(const std::string& name, const std::error_code& error) {
  return std::runtime_error("Cannot write '" + name + "': " + error.message() +
                            ". Nothing was written; check the folder and the disk, then try again.");
}

EFileExists AlreadyThere(const std::string& name) {
  return EFileExists("'" + name + "' already exists; it was left as it is.");
}

// The file an export replaces: the one a symbolic link leads to, so that the link stays a
// link; and only a regular file, never a device, a folder or a pipe.
std::filesystem::path ReplaceableFile(const std::filesystem::path& file) {
  const std::string name = file.string();
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(file, error);
  if (!std::filesystem::exists(status)) {
    if (std::filesystem::is_symlink(std::filesystem::symlink_status(file, error))) {
      throw EFileExists("'" + name + "' is a symbolic link to a file that does not exist; it was left as it is.");
    }
    return file;
  }
  if (!std::filesystem::is_regular_file(status)) {
    throw EFileExists("'" + name + "' is not a regular file (a folder, a device or a pipe); it was left as it is.");
  }
  const std::filesystem::path target = std::filesystem::canonical(file, error);
  if (error) throw WriteFailure(name, error);
  return target;
}

}  // namespace

IdPairs ReadIdListCsvFile(const std::filesystem::path& file, CsvHeader header) {
  const std::string name = file.string();
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(file, error);
  if (error) RefuseFile(name, error.message());
  if (std::filesystem::is_directory(status)) RefuseFile(name, "it is a folder, not a file");
  if (!std::filesystem::is_regular_file(status)) RefuseFile(name, "it is not a regular file");
  const std::uintmax_t size = std::filesystem::file_size(file, error);
  if (error) RefuseFile(name, error.message());
  if (size > kLargestCsvBytes) RefuseFile(name, TooLarge(size));
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> stream(std::fopen(name.c_str(), "rb"), &std::fclose);
  if (!stream) RefuseFile(name, std::strerror(errno));
  return ParseIdListCsv(ReadWhole(stream.get(), name), name, header);
}

IdPairs ReadIdListCsvStandardInput(CsvHeader header) {
  const std::string name = "standard input";
  return ParseIdListCsv(ReadWhole(stdin, name), name, header);
}

void WriteIdListCsvFile(const std::filesystem::path& named, const IdPairs& pairs, bool replaceExisting,
                        CsvCells cells) {
  const std::string name = named.string();
  if (!replaceExisting && Exists(named)) throw AlreadyThere(name);
  const std::filesystem::path file = replaceExisting ? ReplaceableFile(named) : named;
  const std::string text = IdListCsvText(pairs, cells);

  std::filesystem::path temporary;
  std::error_code error;
  for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
    temporary = TemporaryNameFor(file);
    error = WriteNewFile(temporary.string(), text);
    if (error != std::errc::file_exists) break;
  }
  if (error) {
    if (error != std::errc::file_exists) RemoveFile(temporary.string());
    throw WriteFailure(name, error);
  }
  // Asked again just before the rename, which would replace a file made meanwhile.
  if (!replaceExisting && Exists(file)) {
    RemoveFile(temporary.string());
    throw AlreadyThere(name);
  }
  // The file replaced keeps who may read and write it.
  const std::filesystem::file_status replaced = std::filesystem::status(file, error);
  if (std::filesystem::is_regular_file(replaced)) {
    std::filesystem::permissions(temporary, replaced.permissions(), error);
    if (error) {
      RemoveFile(temporary.string());
      throw WriteFailure(name, error);
    }
  }
  if (const std::error_code renameError = ReplaceFile(temporary.string(), file.string())) {
    RemoveFile(temporary.string());
    throw WriteFailure(name, renameError);
  }
  if (const std::error_code syncError = SyncFolder(file.parent_path().string())) {
    throw std::runtime_error("'" + name + "' was written, but its folder could not be flushed to disk (" +
                             syncError.message() + "); the file may be lost if the power fails. Check the disk.");
  }
}

}  // namespace orvel
