// Whole link sessions on Windows: the program's serial port object on a COM port, found
// by the port search, with orvel-tester-sim on the far end of the line (see ComPorts.h),
// polled as the window polls, every 100 ms.
#include "ComPorts.h"
#include "SoakHost.h"
#include "TempFolder.h"

#include "link/CompanyNameTransfer.h"
#include "link/IdListTransfer.h"
#include "link/LinkSession.h"
#include "link/SerialLinkPort.h"
#include "serial/TSerialPort.h"
#include "tables/TTable.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <utility>
#include <vector>

namespace orvel {
namespace {

using IdPairs = std::vector<std::pair<std::string, std::string>>;

constexpr std::size_t kSlots = 32;
// A minute of ticks: a transfer that needs more has hung.
constexpr std::size_t kTickBudget = 600;
const IdListFields kFields{"Trailer ID", "Vehicle ID"};

std::string Padded(std::string text) {
  text.resize(16, ' ');
  return text;
}

// IDs that differ in every slot, with a blank one and one of the full 16 characters.
std::string TrailerFor(std::size_t slot) {
  return slot == 4 ? "" : slot == 5 ? "TRAILER 16 CHARS" : "TR-" + std::to_string(1000 + slot);
}
std::string VehicleFor(std::size_t slot) { return "VEH " + std::to_string(slot * 7); }

class SessionThroughComPort : public ::testing::Test {
 protected:
  SessionThroughComPort() {
    host.Attach(session);
    serialPort.SetSettings(TesterPortSettings());
    table.SetDatabaseName(folder.Path().string());
    table.SetTableName("Through COM");
    table.FieldDefs().Add(kFields.trailer, 16);
    table.FieldDefs().Add(kFields.vehicle, 16);
    table.CreateTable();
    table.Open();
  }
  ~SessionThroughComPort() override {
    if (session.Port().IsOpen()) {
      session.EndLinkSession();
    }
  }

  void FillTable(std::string (*trailer)(std::size_t), std::string (*vehicle)(std::size_t)) {
    table.First();
    for (std::size_t slot = 0; slot < kSlots; ++slot) {
      if (table.Eof()) {
        table.Append();
      } else {
        table.Edit();
      }
      table.FieldByName(kFields.trailer).SetAsString(trailer(slot));
      table.FieldByName(kFields.vehicle).SetAsString(vehicle(slot));
      table.Post();
      table.Next();
    }
  }

  IdPairs TableRows() {
    IdPairs rows;
    for (table.First(); !table.Eof(); table.Next()) {
      rows.emplace_back(table.FieldByName(kFields.trailer).AsString(), table.FieldByName(kFields.vehicle).AsString());
    }
    return rows;
  }

  // Runs one transfer as the window's button would and checks that it ended as a
  // success, with no box for the operator and within its ticks.
  template <typename Transfer>
  void ExpectSuccess(Transfer transfer, const std::string& statusText) {
    host.BeginTransfer();
    transfer();
    EXPECT_EQ(host.StatusText(), statusText);
    EXPECT_TRUE(host.InformationBoxes().empty()) << host.InformationBoxes().front();
    EXPECT_FALSE(host.RanOutOfTicks());
    EXPECT_FALSE(session.Port().IsOpen());
  }

  const std::uint16_t testerPort = testing::ComPortNamedBy("ORVEL_TEST_COM_TESTER");
  TSerialPort serialPort{testing::OnlyComPort(testerPort)};
  SerialLinkPort linkPort{serialPort, testing::OnlyComPort(testerPort)};
  testing::SoakHost host{std::chrono::milliseconds(100), kTickBudget};
  LinkSession session{linkPort, host};
  testing::TempFolder folder;
  TTable table;
};

TEST_F(SessionThroughComPort, IdsAndTheCompanyNameSentToTheTesterComeBackUnchanged) {
  FillTable(TrailerFor, VehicleFor);
  IdPairs sent;
  for (std::size_t slot = 0; slot < kSlots; ++slot) {
    sent.emplace_back(Padded(TrailerFor(slot)), Padded(VehicleFor(slot)));
  }

  ExpectSuccess([&] { SendIdList(session, table, kFields); }, "IDs successfully sent");
  FillTable([](std::size_t) { return std::string("OLD TRAILER"); }, [](std::size_t) { return std::string("OLD"); });
  ExpectSuccess([&] { ReadIdList(session, table, kFields); }, "IDs successfully acquired");
  EXPECT_EQ(TableRows(), sent);

  ExpectSuccess([&] { SendCompanyName(session, "Brakes via COM"); }, "Company ID successfully sent");
  std::vector<std::string> shown;
  ExpectSuccess([&] { ReadCompanyName(session, [&](const std::string& name) { shown.push_back(name); }); },
                "Company ID successfully acquired");
  EXPECT_EQ(shown, std::vector<std::string>{"Brakes via COM  "});
}

}  // namespace
}  // namespace orvel
