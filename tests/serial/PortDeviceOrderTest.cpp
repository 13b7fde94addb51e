#include "serial/PortDeviceMap.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace orvel {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

struct UartFake {
  std::set<std::string> withUart;
  std::vector<std::string> asked;

  UartCheck Check() {
    return [this](const std::string& name) {
      asked.push_back(name);
      return withUart.contains(name);
    };
  }
};

TEST(PortDeviceOrderTest, LegacyPortsWithAUartComeFirstThenUsbThenAcmEachByNumber) {
  UartFake uarts{{"ttyS0", "ttyS3", "ttyS12"}, {}};
  const std::vector<std::string> dev{"ttyACM0", "ttyUSB10", "ttyS12", "ttyS3",   "ttyUSB1",
                                     "ttyS1",   "ttyUSB2",  "ttyS0",  "ttyUSB0", "ttyACM1"};

  EXPECT_THAT(OrderSerialDevices(dev, uarts.Check()), ElementsAre("ttyS0", "ttyS3", "ttyS12", "ttyUSB0", "ttyUSB1",
                                                                  "ttyUSB2", "ttyUSB10", "ttyACM0", "ttyACM1"));
}

TEST(PortDeviceOrderTest, OnlyTheFirst32LegacyPortsCountAndOnlyTheyAreExamined) {
  UartFake uarts{{"ttyS31", "ttyS32"}, {}};

  const auto ordered = OrderSerialDevices({"ttyS31", "ttyS32", "ttyUSB0"}, uarts.Check());

  EXPECT_THAT(ordered, ElementsAre("ttyS31", "ttyUSB0"));
  EXPECT_THAT(uarts.asked, UnorderedElementsAre("ttyS31"));
}

TEST(PortDeviceOrderTest, NamesThatAreNotNumberedSerialDevicesAreIgnored) {
  UartFake uarts{{"ttyS", "ttyS01", "ttyS1x", "ttyS-1"}, {}};
  const std::vector<std::string> dev{"console", "tty0",   "tty12",    "ttyS",    "ttyS01",        "ttyS1x",
                                     "ttyS-1",  "ttyUSB", "ttyUSB+1", "ttyACMx", "ttyUSB9999999", "ptmx"};

  EXPECT_THAT(OrderSerialDevices(dev, uarts.Check()), IsEmpty());
  EXPECT_THAT(uarts.asked, IsEmpty());
}

}  // namespace
}  // namespace orvel
