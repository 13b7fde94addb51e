#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

#include "IdText.h"
#include "PollUntil.h"
#include "SoakHost.h"
#include "TempFolder.h"
#include "link/IdListTransfer.h"
#include "link/LinkSession.h"
#include "link/SerialLinkPort.h"
#include "serial/PortSettings.h"
#include "serial/TSerialPort.h"
#include "simulator/TesterSimulator.h"
#include "store/IdListRows.h"
#include "tables/TTable.h"

namespace orvel::testing {
namespace {

constexpr std::size_t kSlots = 32;
constexpr const char* kTableName = "Crash pairs";
constexpr const char* kTrailerField = "Trailer ID";
constexpr const char* kVehicleField = "Vehicle ID";
// The Read is killed once the tester is asked for this slot's Trailer ID, with the answers
// of every earlier slot taken.
constexpr std::size_t kKilledAtSlot = 8;

std::string OldText(std::size_t row) { return "Old " + std::to_string(row); }
std::string TesterTrailer(std::size_t slot) { return PaddedId("Tester T" + std::to_string(slot)); }

void CreateTableOfOldPairs(const std::filesystem::path& folder) {
  TTable table;
  table.SetDatabaseName(folder.string());
  table.SetTableName(kTableName);
  table.FieldDefs().Add(kTrailerField, static_cast<int>(kIdTextWidth));
  table.FieldDefs().Add(kVehicleField, static_cast<int>(kIdTextWidth));
  table.CreateTable();
  table.Open();
  for (std::size_t row = 0; row < kSlots; ++row) {
    table.Append();
    table.FieldByName(kTrailerField).SetAsString(OldText(row));
    table.FieldByName(kVehicleField).SetAsString(OldText(row));
    table.Post();
  }
}

// The program's side in the child: a Read of the tester's pairs into the table, with a
// poll slow enough for answers paced at 9600 baud. It is killed long before it ends.
[[noreturn]] void ReadIdsInChild(const std::filesystem::path& folder, const std::string& device) {
  int exitCode = 2;
  try {
    const PortDeviceMap devices = [device](std::uint16_t port) -> std::optional<std::string> {
      return port == 1 ? std::optional(device) : std::nullopt;
    };
    TSerialPort serialPort(devices);
    serialPort.SetSettings(TesterPortSettings());
    SerialLinkPort linkPort(serialPort, devices);
    SoakHost host(std::chrono::milliseconds(20), 100000);
    LinkSession session(linkPort, host);
    host.Attach(session);
    if (const auto pairs = ReadIdList(session))
      StoreReadPairs(folder, kTableName, {kTrailerField, kVehicleField}, *pairs);
    exitCode = 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "child: %s\n", error.what());
  }
  _exit(exitCode);
}

bool TesterWasAskedFor(const sim::TesterSimulator& tester, const std::string& line) {
  const auto log = tester.RequestLog();
  return std::any_of(log.begin(), log.end(), [&](const sim::ReceivedLine& received) { return received.text == line; });
}

TEST(CrashSafetyTest, AReadKilledHalfWayLeavesEveryOldPairAndTheTableOpensCleanly) {
  const TempFolder folder;
  CreateTableOfOldPairs(folder.Path());
  sim::TesterSimulator tester;
  tester.SetPacing(sim::Pacing::Baud9600);
  for (std::size_t slot = 0; slot < kSlots; ++slot) tester.SetTrailerId(slot, TesterTrailer(slot));

  // The child starts while this process has no other thread, so it inherits no lock held
  // by a thread that does not exist in it.
  const pid_t child = fork();
  ASSERT_GE(child, 0) << "fork failed";
  if (child == 0) ReadIdsInChild(folder.Path(), tester.DevicePath());
  tester.Start();

  char request[16];
  std::snprintf(request, sizeof request, "!00003%04zX\r", 0xFF00 + 8 * kKilledAtSlot);
  const bool reachedSlot = PollUntil([&] { return TesterWasAskedFor(tester, request); }, std::chrono::seconds(30));
  ::kill(child, SIGKILL);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(reachedSlot) << "the Read never asked for slot " << kKilledAtSlot;
  ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the Read ended before it was killed";

  TTable table;
  table.SetDatabaseName(folder.Path().string());
  table.SetTableName(kTableName);
  ASSERT_NO_THROW(table.Open());
  ASSERT_EQ(table.RecordCount(), static_cast<int>(kSlots));
  // A Read stores its pairs whole or not at all: new Trailer IDs never stand beside old
  // Vehicle IDs.
  for (std::size_t row = 0; row < kSlots; ++row) {
    EXPECT_EQ(table.CellText(static_cast<int>(row), 0), OldText(row)) << "row " << row;
    EXPECT_EQ(table.CellText(static_cast<int>(row), 1), OldText(row)) << "row " << row;
  }
  // Nothing the killed process held keeps the table from being written again.
  table.Last();
  table.Edit();
  table.FieldByName(kVehicleField).SetAsString("After the kill");
  ASSERT_NO_THROW(table.Post());
  table.Close();
  table.Open();
  table.Last();
  EXPECT_EQ(table.FieldByName(kVehicleField).AsString(), "After the kill");
}

}  // namespace
}  // namespace orvel::testing
