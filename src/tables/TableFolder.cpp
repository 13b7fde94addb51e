#include "tables/TableFolder.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>

#include "tables/EDatabaseError.h"
#include "tables/FieldText.h"
#include "tables/TableFileName.h"
#include "tables/storage/FileSystem.h"
#include "tables/storage/TableFile.h"
#include "tables/storage/TableFormat.h"

namespace orvel {
namespace {

namespace fs = std::filesystem;

bool EndsWith(const std::string& text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// A table's own name may end in ".db" in any case, and is then its file's name.
bool MayBeATableFile(const std::string& fileName) {
  constexpr std::string_view kDb = ".db";
  return fileName.size() > kDb.size() &&
         EqualIgnoringAsciiCase(std::string_view(fileName).substr(fileName.size() - kDb.size()), kDb);
}

// The regular files of the folder, by name, in name order.
std::vector<std::string> FileNames(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    std::error_code typeError;
    if (it->is_regular_file(typeError)) names.push_back(it->path().filename().string());
  }
  if (error) throw EDatabaseError("Cannot list the tables in '" + folder + "': " + error.message() + ".");
  std::sort(names.begin(), names.end());
  return names;
}

bool IsLeftover(const std::string& folder, const std::string& fileName) {
  if (EndsWith(fileName, TableFile::kCreationSuffix)) return true;
  if (!EndsWith(fileName, TableFile::kJournalSuffix)) return false;
  const std::string journalled = fileName.substr(0, fileName.size() - TableFile::kJournalSuffix.size());
  return EndsWith(journalled, TableFile::kCreationSuffix) ||
         KindOfEntry(JoinPath(folder, journalled)) == EntryKind::Missing;
}

}  // namespace

void RemoveInterruptedTableWork(const std::string& folder) {
  for (const std::string& name : FileNames(folder)) {
    if (IsLeftover(folder, name)) RemoveFile(JoinPath(folder, name));
  }
}

std::vector<std::string> OtherTablesInFolder(const std::string& folder, const std::set<std::string>& knownTables) {
  std::set<std::string> knownFiles;
  for (const std::string& name : knownTables) {
    if (!name.empty()) knownFiles.insert(TableFileName(name));
  }
  std::vector<std::string> tables;
  for (const std::string& fileName : FileNames(folder)) {
    if (!MayBeATableFile(fileName) || knownFiles.contains(fileName)) continue;
    const std::optional<std::string> stored = StoredTableNameOfFile(JoinPath(folder, fileName));
    if (!stored) continue;
    std::string name = Utf8ToLatin1(*stored);
    if (!name.empty() && TableFileName(name) == fileName) tables.push_back(std::move(name));
  }
  return tables;
}

}  // namespace orvel
