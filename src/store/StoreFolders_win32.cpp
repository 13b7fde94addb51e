#include "store/StoreFolders.h"

namespace orvel {

std::filesystem::path DefaultTopLevelFolder() { return "C:\\Kestrin"; }

}  // namespace orvel
