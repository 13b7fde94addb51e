#include "app/ApplicationTitle.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace orvel {
namespace {
std::string& TitleStorage() {
  static std::string title;
  return title;
}
}  // namespace

std::string ApplicationTitleFromExecutable(const std::string& executablePath) {
  const auto folderEnd = executablePath.find_last_of("/\\");
  std::string name = folderEnd == std::string::npos ? executablePath : executablePath.substr(folderEnd + 1);
  name = name.substr(0, name.find('.'));
  std::transform(name.begin() + (name.empty() ? 0 : 1), name.end(), name.begin() + (name.empty() ? 0 : 1),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return name;
}

const std::string& ApplicationTitle() { return TitleStorage(); }

void SetApplicationTitle(std::string title) { TitleStorage() = std::move(title); }

}  // namespace orvel
