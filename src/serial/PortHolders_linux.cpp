#include "serial/PortHolders.h"

#include "serial/PortErrors.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/major.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
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

// The pseudo-terminal whose master the descriptor is, from its fdinfo's "tty-index".
std::optional<DeviceIdentity> SlaveOfMaster(const fs::path& process, const char* descriptor,
                                            const struct stat& status) {
  if (!S_ISCHR(status.st_mode) || major(status.st_rdev) != TTYAUX_MAJOR || minor(status.st_rdev) != 2) {
    return std::nullopt;
  }
  std::ifstream info(process / "fdinfo" / descriptor);
  for (std::string line; std::getline(info, line);) {
    unsigned index = 0;
    if (std::sscanf(line.c_str(), "tty-index: %u", &index) == 1) {
      return DeviceIdentity{makedev(UNIX98_PTY_SLAVE_MAJOR + index / 256, index % 256), 0};
    }
  }
  return std::nullopt;
}

struct CloseFolder {
  void operator()(DIR* folder) const noexcept { ::closedir(folder); }
};

// The devices among `devices` that the process has open, each once. A desktop's
// processes hold thousands of descriptors between them, so each is examined
// relative to the open folder rather than by its full path. A process that holds a
// pseudo-terminal's master is that terminal's other end (a simulated tester, a
// terminal window), not a user of it, even where it keeps the terminal open too.
std::set<DeviceIdentity> DevicesOpenIn(const fs::path& process, const std::set<DeviceIdentity>& devices) {
  std::set<DeviceIdentity> open;
  std::set<DeviceIdentity> otherEnds;
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
    } else if (const auto slave = SlaveOfMaster(process, entry->d_name, status)) {
      otherEnds.insert(*slave);
    }
  }
  for (const DeviceIdentity& end : otherEnds) open.erase(end);
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
