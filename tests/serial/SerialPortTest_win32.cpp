// The port object on Windows, through COM ports that are pseudo-terminals linked into the
// Wine prefix (see ComPorts.h): the far end of the line is a second COM port, opened with
// plain Win32 calls.
#include "ComPeer.h"
#include "ComPorts.h"
#include "PortStreamChecks.h"
#include "PortTesting.h"

#include "serial/PortDevice.h"
#include "serial/ProbePort.h"

#include <windows.h>

#include <tlhelp32.h>
#include <winternl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

namespace orvel {
namespace {

using namespace std::chrono_literals;

using testing::ComPeer;
using testing::ComPortNamedBy;
using testing::Eventually;
using testing::ExpectPortError;
using testing::Pattern;
using testing::ReadAll;

constexpr std::size_t kOutputBufferSize = 4096;


std::size_t ThreadsOfThisProcess() {
  const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  std::size_t threads = 0;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Thread32First(snapshot, &entry); more; more = ::Thread32Next(snapshot, &entry)) {
    threads += entry.th32OwnerProcessID == ::GetCurrentProcessId() ? 1 : 0;
  }
  ::CloseHandle(snapshot);
  return threads;
}

// A test holds up the line through a second handle on the port, as a remote XOFF would;
// only Wine lets a second handle open a held port.
void SkipUnlessTheLineCanBeHeld() {
  if (!testing::RunningUnderWine()) {
    GTEST_SKIP() << "holding up the line takes a second handle on the held port, which Windows refuses";
  }
}

// The system's handle table, as NtQuerySystemInformation lists it: Wine's
// GetProcessHandleCount always answers 0.
struct SystemHandle {
  USHORT processId;
  USHORT creatorBackTraceIndex;
  UCHAR objectType;
  UCHAR attributes;
  USHORT handle;
  PVOID object;
  ULONG grantedAccess;
};

struct SystemHandles {
  ULONG count;
  SystemHandle handles[1];
};

std::size_t HandlesOfThisProcess() {
  constexpr auto kSystemHandleInformation = static_cast<SYSTEM_INFORMATION_CLASS>(16);
  constexpr auto kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004L);
  std::vector<char> table(1 << 20);
  NTSTATUS status = 0;
  while ((status = ::NtQuerySystemInformation(kSystemHandleInformation, table.data(), static_cast<ULONG>(table.size()),
                                              nullptr)) == kInfoLengthMismatch) {
    table.resize(table.size() * 2);
  }
  EXPECT_EQ(status, 0) << "the system's handle table could not be read";
  const auto* listed = reinterpret_cast<const SystemHandles*>(table.data());
  const auto self = static_cast<USHORT>(::GetCurrentProcessId());
  return static_cast<std::size_t>(std::count_if(listed->handles, listed->handles + (status == 0 ? listed->count : 0),
                                                [self](const SystemHandle& entry) { return entry.processId == self; }));
}

// The port under test, set up as the Configure IDs window sets it up, and the far end of
// its line.
class ComPortTest : public ::testing::Test {
 protected:
  void OpenAsTheWindowDoes() {
    port.SetSettings(TesterPortSettings());
    port.SetComNumber(portNumber);
    port.SetOpen(true);
    // Bytes a failed earlier test left on the line must not reach this one.
    port.DiscardInput();
  }

  const std::uint16_t portNumber = ComPortNamedBy("ORVEL_TEST_COM_PORT");
  ComPeer farEnd{ComPortNamedBy("ORVEL_TEST_COM_FAR_END")};
  TSerialPort port{SystemPortDevices()};
};

// A port opened on the line, as the window opens it.
class OpenComPortTest : public ComPortTest {
 protected:
  void SetUp() override { OpenAsTheWindowDoes(); }
};

TEST_F(ComPortTest, OpensAtTheTesterLineSettingsAndReleasesTheDeviceWhenClosed) {
  // As another program may leave the device: another rate and format, both handshakes.
  DCB foreign = testing::StateOfPort(portNumber);
  foreign.BaudRate = CBR_19200;
  foreign.ByteSize = 7;
  foreign.Parity = EVENPARITY;
  foreign.StopBits = TWOSTOPBITS;
  foreign.fOutX = TRUE;
  foreign.fInX = TRUE;
  foreign.fOutxCtsFlow = TRUE;
  ComPeer(portNumber).SetState(foreign);

  OpenAsTheWindowDoes();
  EXPECT_TRUE(port.Open());
  port.SetOpen(false);

  EXPECT_FALSE(port.Open());
  // The device settings outlast the close, so the released device shows those in force.
  const DCB state = testing::StateOfPort(portNumber);
  EXPECT_EQ(state.BaudRate, 9600U);
  EXPECT_EQ(state.ByteSize, 8);
  EXPECT_EQ(state.Parity, NOPARITY);
  EXPECT_EQ(state.StopBits, ONESTOPBIT);
  EXPECT_TRUE(state.fBinary);
  EXPECT_FALSE(state.fOutX);
  EXPECT_FALSE(state.fInX);
  EXPECT_FALSE(state.fOutxCtsFlow);
  EXPECT_FALSE(state.fOutxDsrFlow);
}

TEST(SerialPortTest, AMissingComPortRaisesBadIdAndKeepsThePortClosedWithItsNumber) {
  const std::uint16_t missing = ComPortNamedBy("ORVEL_TEST_COM_MISSING");
  TSerialPort port(SystemPortDevices());
  port.SetComNumber(missing);

  ExpectPortError<EBadId>([&] { port.SetOpen(true); }, -2001, "ie_BadId - Specified comport doesn't exist");

  EXPECT_FALSE(port.Open());
  EXPECT_EQ(port.ComNumber(), missing);
  EXPECT_EQ(ProbePortAvailability(missing).availability, PortAvailability::Missing);
  EXPECT_FALSE(ProbePort(missing));
}

TEST_F(ComPortTest, AFreePortProbesAvailableAndStaysFreeForTheOpenThatFollows) {
  const PortProbe probe = ProbePortAvailability(portNumber);

  EXPECT_EQ(probe.availability, PortAvailability::Available);
  EXPECT_EQ(probe.devicePath, "\\\\.\\COM" + std::to_string(portNumber));
  EXPECT_TRUE(ProbePort(portNumber));
  EXPECT_NO_THROW(OpenAsTheWindowDoes());
}

TEST_F(OpenComPortTest, AHeldPortIsBusyForTheProbeAndRefusedToASecondPortObject) {
  if (testing::RunningUnderWine()) {
    GTEST_SKIP() << "Wine lets a second handle open a COM port that another one holds, where Windows refuses it "
                    "with access denied; the mapping of that refusal is checked with SystemErrorTest";
  }
  TSerialPort second(SystemPortDevices());
  second.SetComNumber(portNumber);

  EXPECT_EQ(ProbePortAvailability(portNumber).availability, PortAvailability::Busy);
  ExpectPortError<EAlreadyOpen>([&] { second.SetOpen(true); }, -2008, "ie_Open - device already open");

  EXPECT_FALSE(second.Open());
  port.WriteText("still mine");
  EXPECT_EQ(farEnd.Receive(10), "still mine");
}

TEST_F(OpenComPortTest, EveryByteValuePassesUnchangedInBothDirections) {
  std::string everyByte(256, '\0');
  for (std::size_t value = 0; value < everyByte.size(); ++value) {
    everyByte[value] = static_cast<char>(value);
  }

  port.WriteText(everyByte);
  farEnd.Send(everyByte);

  EXPECT_EQ(farEnd.Receive(everyByte.size()), everyByte);
  ASSERT_TRUE(Eventually([&] { return port.InputCount() == everyByte.size(); }));
  std::string received(everyByte.size(), '\0');
  EXPECT_EQ(port.ReadBlock(received), everyByte.size());
  EXPECT_EQ(received, everyByte);
}

TEST_F(OpenComPortTest, CountsRiseAsBytesArriveAndOnlyWholeBlocksAreTakenOldestFirst) {
  const std::string stream = Pattern(80);
  farEnd.Send(stream.substr(0, 32));
  EXPECT_TRUE(Eventually([&] { return port.InputCount() == 32; }));
  farEnd.Send(stream.substr(32, 44));
  ASSERT_TRUE(Eventually([&] { return port.InputCount() == 76; }));
  std::string frame(77, '\0');

  ExpectPortError<EBufferIsEmpty>([&] { port.ReadBlock(frame); }, -3007, "Buffer is empty");
  EXPECT_EQ(port.InputCount(), 76);

  farEnd.Send(stream.substr(76));
  ASSERT_TRUE(Eventually([&] { return port.InputCount() == 80; }));
  EXPECT_EQ(port.ReadBlock(frame), 77);
  EXPECT_EQ(frame, stream.substr(0, 77));
  EXPECT_EQ(ReadAll(port), stream.substr(77));
}

TEST_F(OpenComPortTest, SuccessiveWritesLeaveAsOneStreamInCallOrder) {
  testing::CheckSuccessiveWritesLeaveAsOneStream(port, farEnd);
}

TEST_F(OpenComPortTest, DiscardInputDropsTheStreamSoFarAndTheRestCountsFromZero) {
  testing::CheckDiscardInputDropsTheStreamSoFar(port, farEnd);
}

TEST_F(OpenComPortTest, OutputHeldUpByTheLineIsDroppedByADiscardAndByAClose) {
  SkipUnlessTheLineCanBeHeld();
  {
    const ComPeer line(portNumber);
    line.StopOutput();
    port.WriteText(std::string(kOutputBufferSize, 'a'));

    port.DiscardOutput();

    EXPECT_EQ(port.OutputCount(), 0);
    port.WriteText("never sent");
    port.SetOpen(false);
    line.RestartOutput();
  }
  port.SetOpen(true);
  port.WriteText("TAIL");
  EXPECT_EQ(farEnd.ReceiveUntil("TAIL"), "TAIL");
}

// The device on its own, without the port object's worker, on a line held up so that a
// write stays in progress.
class HeldLineDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SkipUnlessTheLineCanBeHeld();
    line.emplace(portNumber);
    line->StopOutput();
  }

  const std::uint16_t portNumber = ComPortNamedBy("ORVEL_TEST_COM_PORT");
  ComPeer farEnd{ComPortNamedBy("ORVEL_TEST_COM_FAR_END")};
  std::unique_ptr<PortDevice> device = OpenPortDevice(SystemPortDevices()(portNumber).value(), TesterPortSettings());
  std::optional<ComPeer> line;
};

TEST_F(HeldLineDeviceTest, AWriteInProgressEndsWithThePurgeAndNoneOfItGoesOut) {
  ASSERT_EQ(device->Write(std::string(kOutputBufferSize, 'a')).bytes, 0U) << "the write did not wait for the line";

  EXPECT_EQ(device->PurgeOutput(), 0);

  line->RestartOutput();
  const std::string tail = "TAIL";
  EXPECT_EQ(device->Write(tail).bytes, tail.size());
  EXPECT_EQ(farEnd.ReceiveUntil(tail), tail);
}

TEST_F(HeldLineDeviceTest, AWriteInProgressCountsOnceWhenTheLineFrees) {
  const std::string bytes = Pattern(kOutputBufferSize);
  ASSERT_EQ(device->Write(bytes).bytes, 0U) << "the write did not wait for the line";
  EXPECT_EQ(device->Write(bytes).bytes, 0U) << "a write still in progress counted";

  line->RestartOutput();

  EXPECT_TRUE(Eventually([&] { return device->Wait(true, true, true).outputReady; }));
  EXPECT_EQ(device->Write(bytes).bytes, bytes.size());
  EXPECT_EQ(farEnd.Receive(bytes.size()), bytes);
}

TEST_F(OpenComPortTest, InputBeyondAFullBufferWaitsInTheDriverUntilRoomIsMade) {
  testing::CheckInputBeyondAFullBufferWaitsInTheDriver(port, farEnd);
}

TEST_F(OpenComPortTest, AQuietOpenPortLeavesTheProcessorIdle) {
  farEnd.Send("wake");
  ASSERT_TRUE(Eventually([&] { return port.InputCount() == 4; }));

  EXPECT_LT(testing::IdleCpuTimeOver(300ms), 30ms) << "the worker spins while the line is quiet";
}

TEST_F(ComPortTest, OpenUseCloseCyclesLeaveNoHandleOrThreadBehind) {
  const auto cycle = [&] {
    OpenAsTheWindowDoes();
    farEnd.Send("?");
    ASSERT_TRUE(Eventually([&] { return port.InputCount() == 1; }));
    std::array<char, 1> request{};
    port.ReadBlock(request);
    port.WriteText("!");
    ASSERT_EQ(farEnd.Receive(1), "!");
    port.SetOpen(false);
  };
  cycle();  // lets the runtime set up whatever it keeps for the whole run
  const std::size_t handles = HandlesOfThisProcess();
  const std::size_t threads = ThreadsOfThisProcess();

  for (int round = 0; round < 200 && !HasFatalFailure(); ++round) {
    cycle();
  }

  // A leak grows with every cycle. A few come and go on their own: Wine's thread pool
  // starts and ends workers as it likes, and the first cycle's worker may still be
  // listed a moment after it ended.
  constexpr std::size_t kComingAndGoing = 4;
  EXPECT_LE(HandlesOfThisProcess(), handles + kComingAndGoing);
  EXPECT_TRUE(Eventually([&] { return ThreadsOfThisProcess() <= threads + kComingAndGoing; }))
      << ThreadsOfThisProcess() << " threads, " << threads << " before";
}

TEST(SerialPortTest, PermissionAdviceNamesThePortAsTheOperatorKnowsIt) {
  const std::string advice = PermissionAdvice("\\\\.\\COM7");

  EXPECT_NE(advice.find("serial port COM7."), std::string::npos) << advice;
}

}  // namespace
}  // namespace orvel
