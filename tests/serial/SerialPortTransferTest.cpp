#include "PortStreamChecks.h"
#include "PortTesting.h"

#include <poll.h>
#include <termios.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace orvel {
namespace {

using namespace std::chrono_literals;

using testing::Eventually;
using testing::ExpectPortError;
using testing::OpenPortTest;
using testing::Pattern;
using testing::ReadAll;

constexpr std::size_t kOutputBufferSize = 4096;

class TransferTest : public OpenPortTest {
 protected:
  // Suspends the line's output, as a remote XOFF would: the driver then takes
  // nothing, so whatever the port queues stays in its output buffer.
  void StopOutput() const { ASSERT_EQ(::tcflow(pty.Control(), TCOOFF), 0); }
  void RestartOutput() const { ASSERT_EQ(::tcflow(pty.Control(), TCOON), 0); }

  bool DriverTakesOutput() const {
    pollfd line{pty.Control(), POLLOUT, 0};
    return ::poll(&line, 1, 0) == 1;
  }
};

TEST_F(TransferTest, CountsRiseAsAReplyArrivesInPieces) {
  const std::string reply = Pattern(77);

  pty.Send(reply.substr(0, 32));
  EXPECT_TRUE(Eventually([&] { return port.InputCount() == 32; }));
  pty.Send(reply.substr(32));
  EXPECT_TRUE(Eventually([&] { return port.InputCount() == 77; }));

  std::string frame(77, '\0');
  EXPECT_EQ(port.ReadBlock(frame), 77);
  EXPECT_EQ(frame, reply);
  EXPECT_EQ(port.InputCount(), 0);
}

TEST_F(TransferTest, ReadBlockTakesNothingUntilTheWholeBlockIsThereThenTheOldestBytes) {
  const std::string stream = Pattern(80);
  pty.Send(stream.substr(0, 76));
  ASSERT_TRUE(Eventually([&] { return port.InputCount() == 76; }));
  std::string frame(77, '\0');

  ExpectPortError<EBufferIsEmpty>([&] { port.ReadBlock(frame); }, -3007, "Buffer is empty");
  EXPECT_EQ(port.InputCount(), 76);

  pty.Send(stream.substr(76));
  ASSERT_TRUE(Eventually([&] { return port.InputCount() == 80; }));
  EXPECT_EQ(port.ReadBlock(frame), 77);
  EXPECT_EQ(frame, stream.substr(0, 77));
  EXPECT_EQ(port.ReadBlock({}), 0);
  EXPECT_EQ(port.InputCount(), 3);
  EXPECT_EQ(ReadAll(port), stream.substr(77));
}

TEST_F(TransferTest, DiscardInputDropsTheStreamSoFarAndTheRestCountsFromZero) {
  testing::CheckDiscardInputDropsTheStreamSoFar(port, pty);
}

TEST_F(TransferTest, InputBeyondAFullBufferWaitsInTheDriverUntilRoomIsMade) {
  testing::CheckInputBeyondAFullBufferWaitsInTheDriver(port, pty, [this] { return pty.PendingInDriver(); });
}

TEST_F(TransferTest, WriteTextTakesExactlyTheFreeRoomAndNotOneByteMore) {
  StopOutput();
  port.WriteText("0123456789");
  ASSERT_EQ(port.OutputCount(), 10);
  const std::size_t freeRoom = kOutputBufferSize - 10;

  ExpectPortError<EOutputBufferTooSmall>([&] { port.WriteText(std::string(freeRoom + 1, 'x')); }, -3006,
                                         "Output buffer too small for block");
  EXPECT_EQ(port.OutputCount(), 10);

  port.WriteText(std::string(freeRoom, 'y'));
  EXPECT_EQ(port.OutputCount(), kOutputBufferSize);
  EXPECT_THROW(port.WriteText("z"), EOutputBufferTooSmall);
  port.WriteText("");
  EXPECT_EQ(port.OutputCount(), kOutputBufferSize);

  RestartOutput();
  EXPECT_EQ(pty.Receive(kOutputBufferSize), "0123456789" + std::string(freeRoom, 'y'));
}

TEST_F(TransferTest, SuccessiveWritesLeaveAsOneStreamInCallOrder) {
  testing::CheckSuccessiveWritesLeaveAsOneStream(port, pty);
}

TEST_F(TransferTest, DiscardOutputStopsALongWriteSoItsRestNeverGoesOut) {
  // The remote side reads nothing, so the line backs up and a write of a
  // whole buffer stays partly queued in the port.
  const std::string filler(kOutputBufferSize, 'a');
  ASSERT_TRUE(Eventually([&] {
    if (port.OutputCount() == 0) {
      port.WriteText(filler);
    }
    return port.OutputCount() > 0 && !DriverTakesOutput();
  }));
  // From here on the driver takes nothing, whatever the remote side does.
  StopOutput();
  port.WriteText(std::string(kOutputBufferSize - port.OutputCount(), 'L'));

  port.DiscardOutput();

  EXPECT_EQ(port.OutputCount(), 0);
  RestartOutput();
  port.WriteText("TAIL");
  const std::string received = pty.ReceiveUntil("TAIL");
  ASSERT_TRUE(received.ends_with("TAIL"));
  EXPECT_EQ(received.find_first_not_of('a'), received.size() - 4);
}

TEST_F(TransferTest, ClosingRightAfterAWriteDropsWhatWasNotSent) {
  StopOutput();
  port.WriteText("never sent");

  port.SetOpen(false);

  RestartOutput();
  port.SetOpen(true);
  port.WriteText("TAIL");
  EXPECT_EQ(pty.Receive(4), "TAIL");
  EXPECT_EQ(pty.PendingAtRemote(), 0U);
}

}  // namespace
}  // namespace orvel
