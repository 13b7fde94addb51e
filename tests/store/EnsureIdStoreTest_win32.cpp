#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "EnsureIdStoreFixture.h"

// The store against another process, as Windows has them.

namespace orvel {

unsigned long testing::ThisProcessId() { return ::GetCurrentProcessId(); }

std::string testing::ThisHostName() {
  char name[256] = {};
  DWORD size = sizeof name;
  ::GetComputerNameExA(ComputerNameDnsHostname, name, &size);
  return std::string(name, size);
}

namespace {

// store_lock_holder.exe, built beside this test program.
std::wstring HolderProgram() {
  wchar_t self[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  return (fs::path(self).parent_path() / "store_lock_holder.exe").wstring();
}

// A process that holds the store's lock, killed however the test ends, as a crashed
// program would be.
class LockHolder {
 public:
  explicit LockHolder(const fs::path& dataFolder) {
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    HANDLE writeEnd = nullptr;
    if (!::CreatePipe(&readEnd_, &writeEnd, &inherited, 0)) return;
    ::SetHandleInformation(readEnd_, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = writeEnd;
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    std::wstring command = L"\"" + HolderProgram() + L"\" \"" + dataFolder.wstring() + L"\"";
    started_ =
        ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process_);
    ::CloseHandle(writeEnd);
  }
  ~LockHolder() {
    Kill();
    if (started_) {
      ::CloseHandle(process_.hThread);
      ::CloseHandle(process_.hProcess);
    }
    if (readEnd_ != nullptr) ::CloseHandle(readEnd_);
  }
  LockHolder(const LockHolder&) = delete;
  LockHolder& operator=(const LockHolder&) = delete;

  // Whether it took the lock: it says so, or ends without a word.
  bool TookTheLock() {
    char said = 0;
    DWORD length = 0;
    return started_ && ::ReadFile(readEnd_, &said, 1, &length, nullptr) && length == 1 && said == 'L';
  }
  unsigned long ProcessId() const { return process_.dwProcessId; }
  void Kill() {
    if (!started_) return;
    ::TerminateProcess(process_.hProcess, 9);
    ::WaitForSingleObject(process_.hProcess, INFINITE);
  }

 private:
  HANDLE readEnd_ = nullptr;
  PROCESS_INFORMATION process_ = {};
  bool started_ = false;
};

TEST_F(EnsureIdStoreTest, TheLockHoldsAcrossProcessesAndEndsWithItsHolder) {
  ASSERT_TRUE(EnsureIdStore(folders.topLevel, groupTable));
  LockHolder holder(folders.data);
  ASSERT_TRUE(holder.TookTheLock());
  try {
    const StoreLock refused(folders.data);
    ADD_FAILURE() << "the lock was taken twice";
  } catch (const EStoreInUse& error) {
    EXPECT_NE(
        std::string(error.what())
            .find("(process " + std::to_string(holder.ProcessId()) + " on host '" + testing::ThisHostName() + "')"),
        std::string::npos)
        << error.what();
  }
  holder.Kill();
  EXPECT_NO_THROW(StoreLock{folders.data});
}

}  // namespace
}  // namespace orvel
