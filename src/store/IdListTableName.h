#pragma once

#include <string>

namespace orvel {

// The creation stamp inside an ID list table name: the regional short date, then one
// blank and the regional long time unless the time is exactly midnight. Characters that
// would read as path separators or drive marks are replaced (':' by '_', '/' by '-');
// everything else, a '.' date separator included, stays.
std::string CreationStamp(const std::string& shortDate, const std::string& longTime, bool isMidnight);

// "<group name> <creation stamp> by " — note the trailing blank.
std::string IdListTableName(const std::string& groupName, const std::string& creationStamp);

}  // namespace orvel
