#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "EnsureIdStoreFixture.h"
#include "Unprivileged.h"

// The store where file permissions or another process stand in the way, as POSIX
// systems have them.

namespace orvel {

unsigned long testing::ThisProcessId() { return static_cast<unsigned long>(getpid()); }

std::string testing::ThisHostName() {
  char name[256] = {};
  gethostname(name, sizeof name - 1);
  return name;
}

namespace {

TEST_F(EnsureIdStoreTest, GroupTableThatCannotBeCreated) {
  fs::create_directories(folders.idLists);
  fs::permissions(folders.data, fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_FALSE(testing::RunUnprivileged({temp.Path(), folders.data},
                                        [&] { return EnsureIdStore(folders.topLevel, groupTable); }));
  EXPECT_FALSE(fs::exists(folders.data / "IDGroup.db"));
}

// A folder that may be entered but not read cannot be listed; the group table in it is
// not known to be missing, so it must never be replaced.
TEST_F(EnsureIdStoreTest, DataFolderThatCannotBeListedLeavesTheStoreUnusableAndTheGroupsAlone) {
  ASSERT_TRUE(EnsureIdStore(folders.topLevel, groupTable));
  AppendGroupRow("Fleet A", "Fleet A list");
  fs::permissions(folders.data, fs::perms::owner_write | fs::perms::owner_exec);
  EXPECT_FALSE(testing::RunUnprivileged({temp.Path(), folders.data, folders.data / "IDStore.lock"},
                                        [&] { return EnsureIdStore(folders.topLevel, groupTable); }));
  fs::permissions(folders.data, fs::perms::owner_all);
  EXPECT_EQ(GroupRows(), (std::vector<std::string>{"Fleet A", "Fleet A list"}));
}

TEST_F(EnsureIdStoreTest, TheLockHoldsAcrossProcessesAndEndsWithItsHolder) {
  ASSERT_TRUE(EnsureIdStore(folders.topLevel, groupTable));
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  // The holder is killed however the test ends, as a crashed program would be.
  struct Holder {
    pid_t pid;
    ~Holder() {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
  } const holder{fork()};
  if (holder.pid == 0) {
    try {
      const StoreLock lock(folders.data);
      const char taken = 'L';
      if (write(ready[1], &taken, 1) == 1) pause();
    } catch (...) {
    }
    _exit(3);
  }
  close(ready[1]);
  char taken = 0;
  ASSERT_EQ(read(ready[0], &taken, 1), 1);
  close(ready[0]);
  try {
    const StoreLock refused(folders.data);
    ADD_FAILURE() << "the lock was taken twice";
  } catch (const EStoreInUse& error) {
    EXPECT_NE(std::string(error.what()).find("(process " + std::to_string(holder.pid) + " on host"), std::string::npos)
        << error.what();
  }
  kill(holder.pid, SIGKILL);
  waitpid(holder.pid, nullptr, 0);
  EXPECT_NO_THROW(StoreLock{folders.data});
}

}  // namespace
}  // namespace orvel
