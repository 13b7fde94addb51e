#include "PortTesting.h"

#include <termios.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <iterator>
#include <thread>

namespace orvel {
namespace {

using namespace std::chrono_literals;
using testing::Eventually;
using testing::ExpectPortError;
using testing::IdleCpuTimeOver;
using testing::OpenAsTesterPort;
using testing::OpenPortTest;
using testing::PtyPair;

std::size_t EntriesIn(const char* folder) {
  return static_cast<std::size_t>(
      std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()));
}

using VanishTest = OpenPortTest;

TEST_F(VanishTest, AVanishedDeviceKeepsWhatArrivedDropsOutputAndStillCloses) {
  pty.Send("hello");
  ASSERT_TRUE(Eventually([&] { return port.InputCount() == 5; }));

  pty.CloseMaster();

  port.WriteText("into the void");
  EXPECT_TRUE(Eventually([&] { return port.OutputCount() == 0; }));
  std::string hello(5, '\0');
  port.ReadBlock(hello);
  EXPECT_EQ(hello, "hello");
  ExpectPortError<EInOutError>([&] { port.DiscardInput(); }, 162, "General failure");
  ExpectPortError<EInOutError>([&] { port.DiscardOutput(); }, 162, "General failure");
  EXPECT_TRUE(port.Open());

  port.SetOpen(false);

  EXPECT_FALSE(port.Open());
  EXPECT_EQ(port.InputCount(), 0);
}

TEST_F(VanishTest, AVanishedDeviceDoesNotKeepTheWorkerBusy) {
  pty.CloseMaster();
  port.WriteText("x");
  ASSERT_TRUE(Eventually([&] { return port.OutputCount() == 0; }));

  EXPECT_LT(IdleCpuTimeOver(300ms), 30ms);
}

TEST_F(VanishTest, OutputQueuedWhenTheDeviceVanishesIsDropped) {
  ASSERT_EQ(::tcflow(pty.Control(), TCOOFF), 0);
  port.WriteText(std::string(1000, 'q'));
  ASSERT_EQ(port.OutputCount(), 1000);

  pty.CloseMaster();

  EXPECT_TRUE(Eventually([&] { return port.OutputCount() == 0; }));
  port.SetOpen(false);
  EXPECT_FALSE(port.Open());
}

TEST(SerialPortLifetimeTest, AThousandOpenUseCloseCyclesLeaveNoDescriptorOrThreadBehind) {
  PtyPair pty;
  TSerialPort port(pty.Map());
  const auto cycle = [&] {
    OpenAsTesterPort(port);
    pty.Send("?");
    ASSERT_TRUE(Eventually([&] { return port.InputCount() == 1; }));
    std::array<char, 1> request{};
    port.ReadBlock(request);
    port.WriteText("!");
    port.SetOpen(false);
  };
  cycle();  // lets the runtime set up whatever it keeps for the whole run
  const std::size_t descriptors = EntriesIn("/proc/self/fd");
  const std::size_t threads = EntriesIn("/proc/self/task");

  for (int round = 0; round < 1000 && !HasFatalFailure(); ++round) {
    cycle();
  }

  EXPECT_EQ(EntriesIn("/proc/self/fd"), descriptors);
  // A worker joined just before the count may still have been listed then: fewer is fine.
  EXPECT_TRUE(Eventually([&] { return EntriesIn("/proc/self/task") <= threads; }))
      << EntriesIn("/proc/self/task") << " threads, " << threads << " before";
}

}  // namespace
}  // namespace orvel
