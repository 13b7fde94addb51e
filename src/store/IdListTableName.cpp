#include "store/IdListTableName.h"

#include <algorithm>

namespace orvel {

std::string CreationStamp(const std::string& shortDate, const std::string& longTime, bool isMidnight) {
  std::string stamp = isMidnight ? shortDate : shortDate + " " + longTime;
  std::replace(stamp.begin(), stamp.end(), ':', '_');
  std::replace(stamp.begin(), stamp.end(), '/', '-');
  return stamp;
}

std::string IdListTableName(const std::string& groupName, const std::string& creationStamp) {
  return groupName + " " + creationStamp + " by ";
}

}  // namespace orvel
