#include "OpenErrorCases.h"
#include "serial/PortErrors.h"
#include "serial/SystemError.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <new>
#include <string>
#include <utility>

namespace orvel {
namespace {

struct SystemErrorCase {
  int hostError;
  int errorCode;
  std::string message;
};

class RaiseSystemErrorTest : public ::testing::TestWithParam<SystemErrorCase> {};

// Linux errno values share numbers with the port message table but not their
// meanings; only a matching meaning may borrow the table's number and text.
INSTANTIATE_TEST_SUITE_P(HostErrors, RaiseSystemErrorTest,
                         ::testing::Values(SystemErrorCase{ENOENT, 2, "File not found"},
                                           SystemErrorCase{ENOTDIR, 3, "Path not found"},
                                           SystemErrorCase{EMFILE, 4, "Too many open files"},
                                           SystemErrorCase{ENFILE, 4, "Too many open files"},
                                           SystemErrorCase{EBADF, 6, "Invalid file handle"},
                                           SystemErrorCase{EIO, 162, "General failure"},
                                           SystemErrorCase{EACCES, EACCES, "Permission denied"},
                                           SystemErrorCase{EINTR, EINTR, "Interrupted system call"},
                                           SystemErrorCase{ENOEXEC, ENOEXEC, "Exec format error"},
                                           SystemErrorCase{EXDEV, EXDEV, "Invalid cross-device link"},
                                           SystemErrorCase{ENETDOWN, ENETDOWN, "Network is down"}));

TEST_P(RaiseSystemErrorTest, RaisesAnInOutErrorWithTheSharedMeaningOrTheHostsOwn) {
  const SystemErrorCase& expected = GetParam();
  try {
    RaiseSystemError(expected.hostError);
  } catch (const EInOutError& error) {
    EXPECT_EQ(error.ErrorCode(), expected.errorCode);
    EXPECT_EQ(error.HostError(), expected.hostError);
    EXPECT_EQ(std::string(error.what()), expected.message);
  }
}

TEST(SystemErrorTest, ExhaustedMemoryIsTheStandardOutOfMemoryError) {
  EXPECT_THROW(RaiseSystemError(ENOMEM), std::bad_alloc);
  EXPECT_THROW(RaiseOpenError(ENOMEM), std::bad_alloc);
}

using testing::OpenErrorCase;
using testing::RaisedByOpen;

class OpenErrorTest : public ::testing::TestWithParam<OpenErrorCase> {};

INSTANTIATE_TEST_SUITE_P(HostErrors, OpenErrorTest,
                         ::testing::Values(OpenErrorCase{ENOENT, PortAvailability::Missing, true, -2001},
                                           OpenErrorCase{ENODEV, PortAvailability::Missing, true, -2001},
                                           OpenErrorCase{ENXIO, PortAvailability::Missing, true, -2001},
                                           OpenErrorCase{ENOTDIR, PortAvailability::Missing, true, -2001},
                                           OpenErrorCase{EBUSY, PortAvailability::Busy, true, -2008},
                                           OpenErrorCase{EACCES, PortAvailability::PermissionDenied, false, EACCES},
                                           OpenErrorCase{EPERM, PortAvailability::PermissionDenied, false, EPERM},
                                           OpenErrorCase{EIO, PortAvailability::Failed, false, 162},
                                           OpenErrorCase{EISDIR, PortAvailability::Failed, false, EISDIR}));

TEST_P(OpenErrorTest, AFailedOpenCountsForTheSearchAsItRaisesForTheOpen) {
  const OpenErrorCase& expected = GetParam();
  EXPECT_EQ(AvailabilityAfterOpenError(expected.hostError), expected.availability);
  EXPECT_EQ(RaisedByOpen(expected.hostError), std::make_pair(expected.openComm, expected.errorCode));
}

struct OneLineCase {
  std::string text;
  std::string line;
};

class OneLineMessageTest : public ::testing::TestWithParam<OneLineCase> {};

INSTANTIATE_TEST_SUITE_P(Texts, OneLineMessageTest,
                         ::testing::Values(OneLineCase{"Access is denied.\r\n", "Access is denied. "},
                                           OneLineCase{"  two \t\a spaces", " two spaces"}));

TEST_P(OneLineMessageTest, ControlCharactersBecomeSingleSpaces) {
  EXPECT_EQ(OneLineMessage(GetParam().text), GetParam().line);
}

}  // namespace
}  // namespace orvel
