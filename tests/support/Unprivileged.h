#pragma once

#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <vector>

namespace orvel::testing {

// Runs work where file permissions stop it as they stop an operator. Tests that run as
// root fork a child that becomes "nobody" and owns the given paths; otherwise the work
// runs in this process, as the owner of everything the test made. So a permission that
// is to stop the work must refuse the owner too (none at all, not owner-only), or the
// test means something else for a user than for root.
// Returns what the work returned.
inline bool RunUnprivileged(const std::vector<std::filesystem::path>& ownedPaths, const std::function<bool()>& work) {
  if (::geteuid() != 0) return work();
  const passwd* nobody = ::getpwnam("nobody");
  if (nobody == nullptr) {
    ADD_FAILURE() << "no user 'nobody' to run as";
    return false;
  }
  for (const auto& folder : ownedPaths) {
    if (::chown(folder.c_str(), nobody->pw_uid, nobody->pw_gid) != 0) ADD_FAILURE() << "cannot chown " << folder;
  }
  const pid_t child = ::fork();
  if (child == 0) {
    // Root's supplementary groups go too, or the work could still use what they may.
    if (::setgroups(0, nullptr) != 0 || ::setgid(nobody->pw_gid) != 0 || ::setuid(nobody->pw_uid) != 0) ::_exit(3);
    try {
      ::_exit(work() ? 1 : 0);
    } catch (...) {
      ::_exit(2);
    }
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) <= 1) << "the unprivileged work failed, status " << status;
  return WIFEXITED(status) && WEXITSTATUS(status) == 1;
}

}  // namespace orvel::testing
