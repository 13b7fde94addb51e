#include "PortTesting.h"
#include "Unprivileged.h"

#include "serial/PermissionAdvice.h"
#include "serial/ProbePort.h"

#include <sys/file.h>
#include <sys/stat.h>

#include <fcntl.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace orvel {
namespace {

using testing::OpenAsTesterPort;
using testing::PtyPair;

PortDeviceMap NamingOnly(std::string path) {
  return [path = std::move(path)](std::uint16_t) -> std::optional<std::string> { return path; };
}

TEST(ProbePortTest, PortZeroIsUnavailableWithoutAskingForADevice) {
  int calls = 0;
  const PortDeviceMap counting = [&](std::uint16_t) -> std::optional<std::string> {
    ++calls;
    return "/dev/null";
  };

  EXPECT_FALSE(ProbePort(0, counting));

  EXPECT_EQ(calls, 0);
}

struct UnavailableCase {
  const char* name;
  PortDeviceMap devices;
  PortAvailability availability;
  std::string devicePath;
};

class UnavailablePortTest : public ::testing::TestWithParam<UnavailableCase> {};

INSTANTIATE_TEST_SUITE_P(
    Devices, UnavailablePortTest,
    ::testing::Values(UnavailableCase{"NumberWithoutDevice",
                                      [](std::uint16_t) -> std::optional<std::string> { return std::nullopt; },
                                      PortAvailability::Missing, ""},
                      UnavailableCase{"DeviceNodeGone", NamingOnly("/nonexistent/ttyUSB0"), PortAvailability::Missing,
                                      "/nonexistent/ttyUSB0"},
                      UnavailableCase{"NotATerminal", NamingOnly("/dev/null"), PortAvailability::Failed, "/dev/null"},
                      UnavailableCase{"Folder", NamingOnly("/"), PortAvailability::Failed, "/"}),
    testing::CaseName());

TEST_P(UnavailablePortTest, IsNotWorthTrying) {
  const PortProbe probe = ProbePortAvailability(3, GetParam().devices);

  EXPECT_EQ(probe.availability, GetParam().availability);
  EXPECT_EQ(probe.devicePath, GetParam().devicePath);
  EXPECT_FALSE(ProbePort(3, GetParam().devices));
}

TEST(ProbePortTest, AFreeDeviceIsAvailableAndStaysFreeForTheOpenThatFollows) {
  PtyPair pty;

  const PortProbe first = ProbePortAvailability(1, pty.Map());
  const PortProbe second = ProbePortAvailability(1, pty.Map());

  EXPECT_EQ(first.availability, PortAvailability::Available);
  EXPECT_EQ(first.devicePath, pty.SlavePath());
  EXPECT_EQ(second.availability, PortAvailability::Available);
  EXPECT_TRUE(ProbePort(1, pty.Map()));
  TSerialPort port(pty.Map());
  EXPECT_NO_THROW(OpenAsTesterPort(port));
}

TEST(ProbePortTest, ADeviceHeldByAnOpenPortIsBusyButWorthTryingAndStaysUndisturbed) {
  PtyPair pty;
  TSerialPort holder(pty.Map());
  OpenAsTesterPort(holder);

  EXPECT_EQ(ProbePortAvailability(1, pty.Map()).availability, PortAvailability::Busy);
  EXPECT_TRUE(ProbePort(1, pty.Map()));

  holder.WriteText("undisturbed");
  EXPECT_EQ(pty.Receive(11), "undisturbed");
}

TEST(ProbePortTest, ADeviceLockedByAnotherProgramIsBusyButWorthTrying) {
  PtyPair pty;
  const int other = ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);

  EXPECT_EQ(ProbePortAvailability(1, pty.Map()).availability, PortAvailability::Busy);
  EXPECT_TRUE(ProbePort(1, pty.Map()));

  ::close(other);
}

TEST(ProbePortTest, ADeviceThisUserMayNotOpenIsRefusedAndNotWorthTrying) {
  PtyPair pty;
  ASSERT_EQ(::chmod(pty.SlavePath().c_str(), 0), 0);

  EXPECT_TRUE(testing::RunUnprivileged({}, [&] {
    return ProbePortAvailability(1, pty.Map()).availability == PortAvailability::PermissionDenied &&
           !ProbePort(1, pty.Map());
  }));
}

struct AdviceCase {
  std::string name;
  DeviceAccess access;
  bool advisesJoining;
};

class DeviceAdvice : public ::testing::TestWithParam<AdviceCase> {};

// Joining the device's group is advised only when it grants reading and writing and the
// group is not root's; otherwise the device's permissions must change, by a udev rule.
TEST_P(DeviceAdvice, AdvisesAGroupOnlyWhenJoiningItGrantsReadAndWrite) {
  const AdviceCase& given = GetParam();
  const std::string advice = PermissionAdviceFor("/dev/ttyUSB0", given.access, "ann");

  EXPECT_THAT(advice, ::testing::HasSubstr("/dev/ttyUSB0"));
  EXPECT_THAT(advice, ::testing::Not(::testing::HasSubstr("usermod -a -G root")));
  if (given.advisesJoining) {
    EXPECT_THAT(advice, ::testing::HasSubstr("usermod -a -G " + given.access.groupName + " ann"));
    EXPECT_THAT(advice, ::testing::Not(::testing::HasSubstr("udev")));
  } else {
    EXPECT_THAT(advice, ::testing::Not(::testing::HasSubstr("usermod")));
    EXPECT_THAT(advice, ::testing::HasSubstr("udev rule"));
  }
}

INSTANTIATE_TEST_SUITE_P(ProbePortTest, DeviceAdvice,
                         ::testing::Values(AdviceCase{"DialoutReadWrite", {20, "dialout", S_IFCHR | 0660}, true},
                                           AdviceCase{"UucpReadWrite", {14, "uucp", S_IFCHR | 0660}, true},
                                           AdviceCase{"RootOnly", {0, "root", S_IFCHR | 0600}, false},
                                           AdviceCase{"RootGroupReadWrite", {0, "root", S_IFCHR | 0660}, false},
                                           AdviceCase{"GroupMayOnlyRead", {20, "dialout", S_IFCHR | 0640}, false},
                                           AdviceCase{"GroupMayOnlyWrite", {5, "tty", S_IFCHR | 0620}, false}),
                         [](const ::testing::TestParamInfo<AdviceCase>& row) { return row.param.name; });

TEST(ProbePortTest, PermissionAdviceNamesTheRealDevice) {
  PtyPair pty;

  EXPECT_THAT(PermissionAdvice(pty.SlavePath()), ::testing::HasSubstr(pty.SlavePath()));
}

}  // namespace
}  // namespace orvel
