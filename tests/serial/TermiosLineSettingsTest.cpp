#include "serial/TermiosLineSettings.h"

#include "PortTesting.h"

#include <gtest/gtest.h>

namespace orvel {
namespace {

// A terminal as a login shell leaves it: line editing, echo, CR/LF
// translation, XON/XOFF, 7 bits with even parity.
termios CookedTerminal() {
  termios line{};
  line.c_iflag = ICRNL | IXON | IXANY | INPCK | ISTRIP;
  line.c_oflag = OPOST | ONLCR;
  line.c_lflag = ICANON | ECHO | ISIG | IEXTEN;
  line.c_cflag = CS7 | PARENB | HUPCL;
  line.c_cc[VMIN] = 1;
  line.c_cc[VTIME] = 5;
  ::cfsetspeed(&line, B38400);
  return line;
}

struct LineFormatCase {
  const char* name;
  void (*configure)(TSerialPortSettings&);
  tcflag_t controlFlags;  // of CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS
  tcflag_t inputFlags;    // of IXON | IXOFF | IXANY
  speed_t speed;
};

class LineFormatTest : public ::testing::TestWithParam<LineFormatCase> {};

INSTANTIATE_TEST_SUITE_P(
    Settings, LineFormatTest,
    ::testing::Values(LineFormatCase{"Tester", [](TSerialPortSettings&) {}, CS8, 0, B9600},
                      LineFormatCase{"OddSevenTwo",
                                     [](TSerialPortSettings& s) {
                                       s.Parity = TParity::pOdd;
                                       s.DataBits = 7;
                                       s.StopBits = 2;
                                     },
                                     CS7 | PARENB | PARODD | CSTOPB, 0, B9600},
                      LineFormatCase{"Mark", [](TSerialPortSettings& s) { s.Parity = TParity::pMark; },
                                     CS8 | PARENB | PARODD | CMSPAR, 0, B9600},
                      LineFormatCase{"RtsCts",
                                     [](TSerialPortSettings& s) { s.HWFlowOptions = {THWFlowOption::hwfRequireCTS}; },
                                     CS8 | CRTSCTS, 0, B9600},
                      LineFormatCase{"XoffWhenReceiving",
                                     [](TSerialPortSettings& s) {
                                       s.SWFlowOptions = TSWFlowOptions::swfReceive;
                                       s.Baud = 115200;
                                     },
                                     CS8, IXOFF, B115200}),
    testing::CaseName());

TEST_P(LineFormatTest, GivesARawLineInTheConfiguredFormat) {
  TSerialPortSettings settings = TesterPortSettings();
  GetParam().configure(settings);

  const termios line = LineSettingsFor(CookedTerminal(), settings);

  EXPECT_EQ(line.c_cflag & (CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS), GetParam().controlFlags);
  EXPECT_EQ(line.c_cflag & (CLOCAL | CREAD), tcflag_t{CLOCAL | CREAD});
  EXPECT_EQ(line.c_iflag & (IXON | IXOFF | IXANY), GetParam().inputFlags);
  EXPECT_EQ(line.c_iflag & (ICRNL | INPCK | ISTRIP), 0U);
  EXPECT_EQ(line.c_oflag & OPOST, 0U);
  EXPECT_EQ(line.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0U);
  EXPECT_EQ(line.c_cc[VMIN], 0);
  EXPECT_EQ(line.c_cc[VTIME], 0);
  EXPECT_EQ(line.c_cc[VSTART], 0x11);
  EXPECT_EQ(line.c_cc[VSTOP], 0x13);
  EXPECT_EQ(::cfgetispeed(&line), GetParam().speed);
  EXPECT_EQ(::cfgetospeed(&line), GetParam().speed);
}

}  // namespace
}  // namespace orvel
