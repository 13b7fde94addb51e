#include "tables/storage/TableLocation.h"

#include "tables/TableFileName.h"
#include "tables/storage/FileSystem.h"

namespace orvel {

std::string TableLocation::FileName() const { return TableFileName(name); }

std::string TableLocation::FilePath() const { return JoinPath(folder, FileName()); }

std::string TableLocation::Describe() const {
  const std::string where = folder.empty() ? "the current folder" : "'" + folder + "'";
  return "table '" + name + "' in " + where;
}

EDatabaseError TableLocation::Failure(std::string_view action, std::string_view reason) const {
  std::string message = "Cannot ";
  message += action;
  message += ' ';
  message += Describe();
  message += ": ";
  message += reason;
  message += '.';
  return EDatabaseError(message);
}

}  // namespace orvel
