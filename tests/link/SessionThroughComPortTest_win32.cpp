// Whole link sessions on Windows: the program's serial port object on a COM port, found
// by the port search, with orvel-tester-sim on the far end of the line (see ComPorts.h),
// polled as the window polls, every 100 ms.
#include "ComPorts.h"
#include "SoakHost.h"

#include "link/CompanyNameTransfer.h"
#include "link/IdListTransfer.h"
#include "link/LinkSession.h"
#include "link/SerialLinkPort.h"
#include "serial/TSerialPort.h"
#include "store/IdPairs.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>

namespace orvel {
namespace {

constexpr std::size_t kSlots = 32;
// A minute of ticks: a transfer that needs more has hung.
constexpr std::size_t kTickBudget = 600;

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
  }
  ~SessionThroughComPort() override {
    if (session.PortOpen()) {
      session.EndLinkSession();
    }
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
    EXPECT_FALSE(session.PortOpen());
  }

  const std::uint16_t testerPort = testing::ComPortNamedBy("ORVEL_TEST_COM_TESTER");
  TSerialPort serialPort{testing::OnlyComPort(testerPort)};
  SerialLinkPort linkPort{serialPort, testing::OnlyComPort(testerPort)};
  testing::SoakHost host{std::chrono::milliseconds(100), kTickBudget};
  LinkSession session{linkPort, host};
};

TEST_F(SessionThroughComPort, IdsAndTheCompanyNameSentToTheTesterComeBackUnchanged) {
  IdPairs rows;
  IdPairs sent;
  for (std::size_t slot = 0; slot < kSlots; ++slot) {
    rows.push_back({TrailerFor(slot), VehicleFor(slot)});
    sent.push_back({Padded(TrailerFor(slot)), Padded(VehicleFor(slot))});
  }

  ExpectSuccess([&] { SendIdList(session, rows); }, "IDs successfully sent");
  std::optional<IdPairs> read;
  ExpectSuccess([&] { read = ReadIdList(session); }, "IDs successfully acquired");
  EXPECT_EQ(read, sent);

  ExpectSuccess([&] { SendCompanyName(session, "Brakes via COM"); }, "Company ID successfully sent");
  std::optional<std::string> shown;
  ExpectSuccess([&] { shown = ReadCompanyName(session); }, "Company ID successfully acquired");
  EXPECT_EQ(shown, "Brakes via COM  ");
}

}  // namespace
}  // namespace orvel
