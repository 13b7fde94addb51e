#include "serial/PortHolders.h"

#include "serial/PortErrors.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <fstream>
#include <memory>

namespace orvel {

namespace {

namespace fs = std::filesystem;

std::optional<long> ProcessId(const std::string& entryName) {
  long pid = 0;
  const char* end = entryName.data() + entryName.size();
  const auto [stop, error] = std::from_chars(entryName.data(), end, pid);
  if (error != std::errc() || stop != end || pid <= 0) {
    return std::nullopt;
  }
  return pid;
}

// A process names itself, so its name may hold anything.
std::string CommandOf(const fs::path& process) {
  std::ifstream comm(process / "comm");
  std::string command;
  std::getline(comm, command);
  return OneLineMessage(command);
}

DeviceIdentity IdentityFrom(const struct stat& status) {
  if (S_ISCHR(status.st_mode)) {
    return DeviceIdentity{status.st_rdev, 0};
  }
  return DeviceIdentity{status.st_dev, status.st_ino};
}

struct CloseFolder {
  void operator()(DIR* folder) const noexcept { ::closedir(folder); }
};

// The devices among `devices` that the process has open, each once. A desktop's
// processes hold thousands of descriptors between them, so each is examined
// relative to the open folder rather than by its full path.
std::set<DeviceIdentity> DevicesOpenIn(const fs::path& process, const std::set<DeviceIdentity>& devices) {
  std::set<DeviceIdentity> open;
  const std::unique_ptr<DIR, CloseFolder> descriptors(::opendir((process / "fd").c_str()));
  if (!descriptors) {
    return open;
  }
  while (const dirent* entry = ::readdir(descriptors.get())) {
    struct stat status {};
    if (entry->d_name[0] == '.' || ::fstatat(::dirfd(descriptors.get()), entry->d_name, &status, 0) != 0) {
      continue;
    }
    if (const DeviceIdentity identity = IdentityFrom(status); devices.contains(identity)) {
      open.insert(identity);
    }
  }
  return open;
}

}  // namespace

std::optional<DeviceIdentity> IdentityOf(const fs::path& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) {
    return std::nullopt;
  }
  return IdentityFrom(status);
}

std::map<DeviceIdentity, std::vector<PortHolder>> HoldersOf(const std::set<DeviceIdentity>& devices,
                                                            const fs::path& procFolder) {
  std::map<DeviceIdentity, std::vector<PortHolder>> holders;
  if (devices.empty()) {
    return holders;
  }
  std::error_code error;
  for (fs::directory_iterator process(procFolder, error), end; !error && process != end; process.increment(error)) {
    const auto pid = ProcessId(process->path().filename().string());
    if (!pid) {
      continue;
    }
    const std::set<DeviceIdentity> open = DevicesOpenIn(process->path(), devices);
    if (open.empty()) {
      continue;
    }
    const std::string command = CommandOf(process->path());
    for (const DeviceIdentity& device : open) {
      holders[device].push_back({*pid, command});
    }
  }
  for (auto& [device, processes] : holders) {
    std::ranges::sort(processes, {}, &PortHolder::pid);
  }
  return holders;
}

}  // namespace orvel
