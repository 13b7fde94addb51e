#include "serial/CommStateSettings.h"

#include "PortTesting.h"

#include <gtest/gtest.h>

namespace orvel {
namespace {

// A control block as another program may leave a device: another rate and format,
// parity checking, both handshakes, NUL stripping, DSR sensitivity, lines lowered.
DCB ForeignState() {
  DCB state{};
  state.DCBlength = sizeof state;
  state.BaudRate = CBR_19200;
  state.ByteSize = 7;
  state.Parity = EVENPARITY;
  state.StopBits = TWOSTOPBITS;
  state.fBinary = FALSE;
  state.fParity = TRUE;
  state.fOutxCtsFlow = TRUE;
  state.fOutxDsrFlow = TRUE;
  state.fDtrControl = DTR_CONTROL_HANDSHAKE;
  state.fDsrSensitivity = TRUE;
  state.fTXContinueOnXoff = FALSE;
  state.fOutX = TRUE;
  state.fInX = TRUE;
  state.fNull = TRUE;
  state.fRtsControl = RTS_CONTROL_TOGGLE;
  state.XonLim = 10;
  state.XoffLim = 10;
  state.XonChar = 'q';
  state.XoffChar = 's';
  // Left as the driver holds them.
  state.fErrorChar = TRUE;
  state.ErrorChar = '?';
  state.fAbortOnError = TRUE;
  state.EvtChar = '\n';
  return state;
}

DCB TesterState(const TSerialPortSettings& settings = TesterPortSettings()) {
  return FlowControlStateFor(LineStateFor(ForeignState(), settings), settings);
}

TEST(CommStateSettingsTest, TheTesterLineIsRaw9600Baud8N1WithoutHandshakes) {
  const DCB state = TesterState();

  EXPECT_EQ(state.BaudRate, 9600U);
  EXPECT_EQ(state.ByteSize, 8);
  EXPECT_EQ(state.Parity, NOPARITY);
  EXPECT_EQ(state.StopBits, ONESTOPBIT);
  EXPECT_TRUE(state.fBinary);
  EXPECT_FALSE(state.fParity);
  EXPECT_FALSE(state.fNull);
  EXPECT_FALSE(state.fDsrSensitivity);
  EXPECT_TRUE(state.fTXContinueOnXoff);
  EXPECT_FALSE(state.fOutxCtsFlow);
  EXPECT_FALSE(state.fOutxDsrFlow);
  EXPECT_EQ(state.fDtrControl, DWORD{DTR_CONTROL_ENABLE});
  EXPECT_EQ(state.fRtsControl, DWORD{RTS_CONTROL_ENABLE});
  EXPECT_FALSE(state.fOutX);
  EXPECT_FALSE(state.fInX);
  EXPECT_EQ(state.XonChar, 0x11);
  EXPECT_EQ(state.XoffChar, 0x13);
  EXPECT_EQ(state.XonLim, 1000);
  EXPECT_EQ(state.XoffLim, 4096 - 1000);
  EXPECT_TRUE(state.fErrorChar);
  EXPECT_EQ(state.ErrorChar, '?');
  EXPECT_TRUE(state.fAbortOnError);
  EXPECT_EQ(state.EvtChar, '\n');
}

struct FormatCase {
  const char* name;
  void (*configure)(TSerialPortSettings&);
  BYTE byteSize, parity, stopBits;
};

class CommFormatTest : public ::testing::TestWithParam<FormatCase> {};

INSTANTIATE_TEST_SUITE_P(Settings, CommFormatTest,
                         ::testing::Values(FormatCase{"OddSevenTwo",
                                                      [](TSerialPortSettings& s) {
                                                        s.Parity = TParity::pOdd;
                                                        s.DataBits = 7;
                                                        s.StopBits = 2;
                                                      },
                                                      7, ODDPARITY, TWOSTOPBITS},
                                           FormatCase{"EvenFive",
                                                      [](TSerialPortSettings& s) {
                                                        s.Parity = TParity::pEven;
                                                        s.DataBits = 5;
                                                      },
                                                      5, EVENPARITY, ONESTOPBIT},
                                           FormatCase{"Mark", [](TSerialPortSettings& s) { s.Parity = TParity::pMark; },
                                                      8, MARKPARITY, ONESTOPBIT},
                                           FormatCase{"Space",
                                                      [](TSerialPortSettings& s) { s.Parity = TParity::pSpace; }, 8,
                                                      SPACEPARITY, ONESTOPBIT}),
                         testing::CaseName());

TEST_P(CommFormatTest, TakesTheConfiguredCharacterFormat) {
  TSerialPortSettings settings = TesterPortSettings();
  GetParam().configure(settings);

  const DCB state = TesterState(settings);

  EXPECT_EQ(state.ByteSize, GetParam().byteSize);
  EXPECT_EQ(state.Parity, GetParam().parity);
  EXPECT_EQ(state.StopBits, GetParam().stopBits);
  EXPECT_FALSE(state.fParity) << "parity is never checked: bytes pass as they come";
}

TEST(CommStateSettingsTest, HandshakesAreTheOnesAskedFor) {
  TSerialPortSettings settings = TesterPortSettings();
  settings.HWFlowOptions = {THWFlowOption::hwfRequireCTS, THWFlowOption::hwfUseRTS};
  settings.SWFlowOptions = TSWFlowOptions::swfReceive;
  settings.DTR = false;

  const DCB state = TesterState(settings);

  EXPECT_TRUE(state.fOutxCtsFlow);
  EXPECT_FALSE(state.fOutxDsrFlow);
  EXPECT_EQ(state.fRtsControl, DWORD{RTS_CONTROL_HANDSHAKE});
  EXPECT_EQ(state.fDtrControl, DWORD{DTR_CONTROL_DISABLE});
  EXPECT_TRUE(state.fInX);
  EXPECT_FALSE(state.fOutX);
}

struct RefusedCase {
  const char* name;
  void (*configure)(TSerialPortSettings&);
};

class RefusedFormatTest : public ::testing::TestWithParam<RefusedCase> {};

INSTANTIATE_TEST_SUITE_P(Settings, RefusedFormatTest,
                         ::testing::Values(RefusedCase{"NineDataBits", [](TSerialPortSettings& s) { s.DataBits = 9; }},
                                           // 264 would pass as 8 if it were cut to the block's byte.
                                           RefusedCase{"DataBitsBeyondAByte",
                                                       [](TSerialPortSettings& s) { s.DataBits = 264; }},
                                           RefusedCase{"ThreeStopBits", [](TSerialPortSettings& s) { s.StopBits = 3; }},
                                           RefusedCase{"NoBitRate", [](TSerialPortSettings& s) { s.Baud = 0; }}),
                         testing::CaseName());

TEST_P(RefusedFormatTest, RaisesAnInOutErrorNamingIt) {
  TSerialPortSettings settings = TesterPortSettings();
  GetParam().configure(settings);

  try {
    LineStateFor(ForeignState(), settings);
    ADD_FAILURE() << "the format was taken";
  } catch (const EInOutError& error) {
    EXPECT_EQ(error.ErrorCode(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(std::string(error.what()).rfind("The serial port cannot use ", 0), 0U) << error.what();
  }
}

}  // namespace
}  // namespace orvel
