#include "store/StoreFolders.h"

namespace orvel {

StoreFolders StoreFoldersUnder(const std::filesystem::path& topLevel) {
  StoreFolders folders;
  folders.topLevel = topLevel;
  folders.data = topLevel / "Braketesting IDs";
  folders.idLists = folders.data / "IDs";
  return folders;
}

}  // namespace orvel
