#include <gtest/gtest.h>
#include <windows.h>

#include <new>
#include <string>
#include <utility>

#include "OpenErrorCases.h"
#include "serial/PortErrors.h"
#include "serial/SystemError.h"

namespace orvel {
namespace {

// The system's message as the port shows it: on one line, without runs of blanks.
std::string SystemMessage(int hostError) {
  char text[512] = {};
  const DWORD length = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                        static_cast<DWORD>(hostError), 0, text, sizeof text, nullptr);
  EXPECT_GT(length, 0u) << "the system has no message for error " << hostError;
  return OneLineMessage(std::string(text, length));
}

// A Windows error keeps its number, with the port message table's text where the table
// gives that number the same meaning, and the system's message otherwise: the table's
// entries from 100 on mean other things on Windows.
TEST(SystemErrorTest, AWindowsErrorKeepsItsNumberWithTheTablesTextOrTheSystemsMessage) {
  const std::pair<int, std::string> tableTexts[] = {{ERROR_FILE_NOT_FOUND, "File not found"},
                                                    {ERROR_PATH_NOT_FOUND, "Path not found"},
                                                    {ERROR_TOO_MANY_OPEN_FILES, "Too many open files"},
                                                    {ERROR_ACCESS_DENIED, "File access denied"},
                                                    {ERROR_INVALID_HANDLE, "Invalid file handle"},
                                                    {ERROR_INVALID_DRIVE, "Invalid drive"},
                                                    {ERROR_NO_MORE_FILES, "No more files"}};
  for (const auto& [hostError, text] : tableTexts) {
    try {
      RaiseSystemError(hostError);
    } catch (const EInOutError& error) {
      EXPECT_EQ(error.ErrorCode(), hostError);
      EXPECT_EQ(error.HostError(), hostError);
      EXPECT_EQ(std::string(error.what()), text);
    }
  }
  for (const int hostError :
       {ERROR_GEN_FAILURE, ERROR_TOO_MANY_SEMAPHORES, ERROR_SIGNAL_PENDING, ERROR_OPERATION_ABORTED}) {
    try {
      RaiseSystemError(hostError);
    } catch (const EInOutError& error) {
      const std::string message = error.what();
      EXPECT_EQ(error.ErrorCode(), hostError);
      EXPECT_EQ(error.HostError(), hostError);
      EXPECT_EQ(message, SystemMessage(hostError));
    }
  }
}

TEST(SystemErrorTest, ExhaustedMemoryIsTheStandardOutOfMemoryError) {
  for (const int hostError : {ERROR_NOT_ENOUGH_MEMORY, ERROR_OUTOFMEMORY}) {
    EXPECT_THROW(RaiseSystemError(hostError), std::bad_alloc);
    EXPECT_THROW(RaiseOpenError(hostError), std::bad_alloc);
  }
}

using testing::OpenErrorCase;
using testing::RaisedByOpen;

// A missing device is error 2 or 3; a device another program holds refuses with 5.
TEST(SystemErrorTest, AFailedOpenCountsForTheSearchAsItRaisesForTheOpen) {
  const OpenErrorCase cases[] = {{ERROR_FILE_NOT_FOUND, PortAvailability::Missing, true, -2001},
                                 {ERROR_PATH_NOT_FOUND, PortAvailability::Missing, true, -2001},
                                 {ERROR_ACCESS_DENIED, PortAvailability::Busy, true, -2008},
                                 {ERROR_GEN_FAILURE, PortAvailability::Failed, false, ERROR_GEN_FAILURE},
                                 {ERROR_SHARING_VIOLATION, PortAvailability::Failed, false, ERROR_SHARING_VIOLATION}};
  for (const OpenErrorCase& expected : cases) {
    EXPECT_EQ(AvailabilityAfterOpenError(expected.hostError), expected.availability) << expected.hostError;
    EXPECT_EQ(RaisedByOpen(expected.hostError), std::make_pair(expected.openComm, expected.errorCode))
        << expected.hostError;
  }
}

}  // namespace
}  // namespace orvel
