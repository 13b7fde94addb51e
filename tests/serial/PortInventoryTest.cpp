#include "FakeDeviceTree.h"
#include "PtyPair.h"
#include "TempFolder.h"
#include "Unprivileged.h"

#include "serial/PortInventorySources.h"
#include "serial/ProbePort.h"

#include <linux/serial.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <ostream>

namespace orvel {

void PrintTo(const PortReport& report, std::ostream* out) {
  *out << "{" << report.comNumber << ", " << report.devicePath << ", \"" << report.description << "\", "
       << static_cast<int>(report.availability) << ", \"" << report.availabilityText << "\"}";
}

namespace {

using ::testing::ElementsAre;
using testing::FakeDeviceTree;
using testing::PtyPair;

// Notices every open of a file, by anyone, from now on; looking at a file
// without opening it (stat, following links) goes unnoticed.
class OpenWatch {
 public:
  explicit OpenWatch(const std::string& path) : watch_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    if (watch_ < 0 || ::inotify_add_watch(watch_, path.c_str(), IN_OPEN) < 0) {
      ADD_FAILURE() << "cannot watch " << path;
    }
  }
  OpenWatch(const OpenWatch&) = delete;
  OpenWatch& operator=(const OpenWatch&) = delete;
  ~OpenWatch() { ::close(watch_); }

  bool Opened() const {
    std::array<char, 4096> events{};
    return ::read(watch_, events.data(), events.size()) > 0;
  }

 private:
  int watch_;
};

class PortInventoryTest : public ::testing::Test {
 protected:
  testing::TempFolder folder;
  FakeDeviceTree host{folder.Path()};
};

TEST_F(PortInventoryTest, ListsEveryPortInSearchOrderNumberedAsTheSearchNumbersThem) {
  const PtyPair adapter;
  host.AddBuiltInPort("ttyS0", PORT_16550A);
  host.AddBuiltInPort("ttyS1", PORT_UNKNOWN);
  host.AddBuiltInPort("ttyS12", 99);
  host.AddUsbTerminal("ttyUSB10", {});
  host.AddUsbTerminal("ttyUSB2", {}, adapter.SlavePath());
  host.AddUsbTerminal("ttyACM0", {});
  for (const char* other : {"ttyS40", "tty0", "console", "ttyUSB"}) host.AddNode(other);

  const std::vector<PortReport> reports = SystemPortReports(host.Sources());

  const PortDeviceMap search = PortDevicesIn(host.Sources());
  std::vector<std::string> listed;
  for (std::size_t index = 0; index < reports.size(); ++index) {
    EXPECT_EQ(reports[index].comNumber, index + 1);
    EXPECT_EQ(search(reports[index].comNumber), reports[index].devicePath);
    listed.push_back(std::filesystem::path(reports[index].devicePath).filename().string());
  }
  EXPECT_EQ(search(static_cast<std::uint16_t>(reports.size() + 1)), std::nullopt);
  ASSERT_THAT(listed, ElementsAre("ttyS0", "ttyS12", "ttyUSB2", "ttyUSB10", "ttyACM0"));
  EXPECT_EQ(reports[0].description, "built-in serial port (16550A UART)");
  EXPECT_EQ(reports[1].description, "built-in serial port");
  EXPECT_EQ(reports[2].availability, PortAvailability::Available);
  EXPECT_EQ(reports[2].availabilityText, "available");
  EXPECT_EQ(reports[3].availability, PortAvailability::Failed);
  EXPECT_EQ(reports[3].availabilityText, "cannot be opened: not a terminal");
}

TEST_F(PortInventoryTest, DescribesUsbDevicesByWhatSysfsShowsOfThem) {
  host.AddUsbTerminal("ttyUSB0", {"0403", "6001", "FTDI", "FT232R USB UART", "A50285BI", "ftdi_sio"});
  host.AddUsbTerminal("ttyUSB1", {"1a86", "7523", "", "USB Serial", "", "ch341"});
  host.AddNode("ttyUSB2");
  host.AddUsbTerminal("ttyACM0", {"2341", "0043", "Arduino (www.arduino.cc)", "", "7553", "cdc_acm"});
  host.AddUsbTerminal("ttyACM1", {"04e2", "1410", " Acme\tModems \x01", "Dial\nUp  ", "", ""});

  std::vector<std::string> descriptions;
  for (const PortReport& report : SystemPortReports(host.Sources())) descriptions.push_back(report.description);

  EXPECT_THAT(
      descriptions,
      ElementsAre("USB serial adapter: FTDI FT232R USB UART, serial A50285BI (USB ID 0403:6001, driver ftdi_sio)",
                  "USB serial adapter: USB Serial (USB ID 1a86:7523, driver ch341)", "USB serial adapter",
                  "USB ACM device: Arduino (www.arduino.cc), serial 7553 (USB ID 2341:0043, driver cdc_acm)",
                  "USB ACM device: Acme Modems Dial Up (USB ID 04e2:1410)"));
}

TEST_F(PortInventoryTest, APortOtherProcessesHoldIsBusyWithItsHoldersAndIsNotOpened) {
  const PtyPair held;
  const PtyPair free;
  host.AddUsbTerminal("ttyUSB0", {}, held.SlavePath());
  host.AddUsbTerminal("ttyUSB1", {}, free.SlavePath());
  host.AddProcess(4800, "", {held.SlavePath(), "/dev/null", held.SlavePath()});
  host.AddProcess(4711, "minicom", {"/dev/null", host.Node("ttyUSB0").string()});
  host.AddProcess(4712, "bash", {"/dev/null", folder.Path().string()});
  std::filesystem::create_directories(host.Sources().procFolder / "self" / "fd");
  std::filesystem::create_symlink(held.SlavePath(), host.Sources().procFolder / "self" / "fd" / "3");
  const OpenWatch heldOpens(held.SlavePath());
  const OpenWatch freeOpens(free.SlavePath());

  const std::vector<PortReport> reports = SystemPortReports(host.Sources());
  const PortReport named = DescribePortDevice(7, held.SlavePath(), host.Sources());

  ASSERT_EQ(reports.size(), 2U);
  EXPECT_EQ(reports[0].availability, PortAvailability::Busy);
  EXPECT_EQ(reports[0].availabilityText, "busy: held by processes 4711 (minicom), 4800");
  EXPECT_EQ(named.availability, PortAvailability::Busy);
  EXPECT_EQ(named.availabilityText, reports[0].availabilityText);
  EXPECT_FALSE(heldOpens.Opened()) << "the held port was opened";
  EXPECT_EQ(reports[1].availabilityText, "available");
  EXPECT_TRUE(freeOpens.Opened()) << "the free port was not probed";
}

TEST_F(PortInventoryTest, APortThisUserMayNotOpenIsRefusedWithTheAdvice) {
  const PtyPair pty;
  host.AddUsbTerminal("ttyUSB0", {}, pty.SlavePath());
  ASSERT_EQ(::chmod(pty.SlavePath().c_str(), 0), 0);
  // Another user's process holds the port, and this user may not look at what it holds.
  host.AddProcess(4711, "minicom", {pty.SlavePath()});
  std::filesystem::permissions(host.Sources().procFolder / "4711" / "fd", std::filesystem::perms::none);
  const std::string node = host.Node("ttyUSB0").string();

  EXPECT_TRUE(testing::RunUnprivileged({folder.Path()}, [&] {
    const std::vector<PortReport> reports = SystemPortReports(host.Sources());
    return reports.size() == 1 && reports[0].availability == PortAvailability::PermissionDenied &&
           reports[0].availabilityText == "permission refused: " + PermissionAdvice(node);
  }));
}

TEST_F(PortInventoryTest, DescribesADeviceTheOperatorNames) {
  const PtyPair simulator;
  host.AddUsbTerminal("ttyUSB0", {"0403", "6001", "FTDI", "FT232R USB UART", "A50285BI", "ftdi_sio"});
  host.AddBuiltInPort("ttyS3", PORT_UNKNOWN);
  const std::string adapter = host.Node("ttyUSB0").string();
  const std::string missing = host.Node("ttyUSB9").string();
  const std::string notes = (folder / "notes.txt").string();
  std::ofstream(notes) << "not a port\n";

  const PortReport pseudoTerminal = DescribePortDevice(5, simulator.SlavePath(), host.Sources());
  const PortReport listed = DescribePortDevice(1, adapter, host.Sources());
  const PortReport gone = DescribePortDevice(3, missing, host.Sources());
  const PortReport phantom = DescribePortDevice(4, host.Node("ttyS3").string(), host.Sources());
  const PortReport file = DescribePortDevice(6, notes, host.Sources());

  EXPECT_EQ(pseudoTerminal,
            (PortReport{5, simulator.SlavePath(), "pseudo-terminal", PortAvailability::Available, "available"}));
  // This process holds the terminal's master as a simulated tester does, and its slave
  // too: it is the port's other end, not a program using the port.
  EXPECT_EQ(DescribePortDevice(5, simulator.SlavePath()), pseudoTerminal);
  EXPECT_EQ(listed, SystemPortReports(host.Sources()).at(0));
  EXPECT_EQ(gone, (PortReport{3, missing, "", PortAvailability::Missing, "missing"}));
  EXPECT_EQ(phantom.description, "built-in serial port without a UART");
  EXPECT_EQ(file, (PortReport{6, notes, "not a serial device", PortAvailability::Failed,
                              "cannot be opened: not a terminal"}));
}

}  // namespace
}  // namespace orvel
