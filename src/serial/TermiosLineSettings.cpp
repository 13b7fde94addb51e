#include "serial/TermiosLineSettings.h"

#include "serial/PortErrors.h"

#include <array>
#include <cerrno>
#include <cstdint>
#include <string>
#include <utility>

namespace orvel {

namespace {

// The bits that carry the character format and the hardware handshake.
constexpr tcflag_t kLineFormatFlags = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS;

[[noreturn]] void RaiseUnsupported(const std::string& what) {
  throw EInOutError(EINVAL, "The serial port cannot use " + what, EINVAL);
}

speed_t SpeedFor(std::int32_t baud) {
  static constexpr std::array<std::pair<std::int32_t, speed_t>, 21> kSpeeds{{
      {50, B50},         {75, B75},         {110, B110},         {134, B134},     {150, B150},       {200, B200},
      {300, B300},       {600, B600},       {1200, B1200},       {1800, B1800},   {2400, B2400},     {4800, B4800},
      {9600, B9600},     {19200, B19200},   {38400, B38400},     {57600, B57600}, {115200, B115200}, {230400, B230400},
      {460800, B460800}, {921600, B921600}, {1000000, B1000000},
  }};
  for (const auto& [rate, speed] : kSpeeds) {
    if (rate == baud) {
      return speed;
    }
  }
  RaiseUnsupported("a bit rate of " + std::to_string(baud) + " baud");
}

tcflag_t CharacterSizeFor(std::uint16_t dataBits) {
  switch (dataBits) {
    case 5:
      return CS5;
    case 6:
      return CS6;
    case 7:
      return CS7;
    case 8:
      return CS8;
    default:
      RaiseUnsupported(std::to_string(dataBits) + " data bits");
  }
}

tcflag_t ParityFor(TParity parity) {
  switch (parity) {
    case TParity::pNone:
      return 0;
    case TParity::pOdd:
      return PARENB | PARODD;
    case TParity::pEven:
      return PARENB;
    case TParity::pMark:
      return PARENB | CMSPAR | PARODD;
    case TParity::pSpace:
      return PARENB | CMSPAR;
  }
  RaiseUnsupported("that parity");
}

tcflag_t StopBitsFor(std::uint16_t stopBits) {
  switch (stopBits) {
    case 1:
      return 0;
    case 2:
      return CSTOPB;
    default:
      RaiseUnsupported(std::to_string(stopBits) + " stop bits");
  }
}

tcflag_t HardwareHandshakeFor(THWFlowOptions options) {
  if (options.Contains(THWFlowOption::hwfUseDTR) || options.Contains(THWFlowOption::hwfRequireDSR)) {
    RaiseUnsupported("DTR/DSR handshaking, which Linux does not offer");
  }
  // Linux couples the two directions of RTS/CTS handshaking in one flag.
  const bool rtsCts = options.Contains(THWFlowOption::hwfUseRTS) || options.Contains(THWFlowOption::hwfRequireCTS);
  return rtsCts ? CRTSCTS : 0;
}

tcflag_t SoftwareHandshakeFor(TSWFlowOptions options) {
  switch (options) {
    case TSWFlowOptions::swfNone:
      return 0;
    case TSWFlowOptions::swfReceive:
      return IXOFF;
    case TSWFlowOptions::swfTransmit:
      return IXON;
    case TSWFlowOptions::swfBoth:
      return IXON | IXOFF;
  }
  RaiseUnsupported("that software handshake");
}

}  // namespace

termios LineSettingsFor(termios line, const TSerialPortSettings& settings) {
  const speed_t speed = SpeedFor(settings.Baud);
  // Raw: bytes pass unchanged both ways, with no echo, no line editing, no
  // CR/LF translation, no signal or end-of-file characters, NULs kept.
  ::cfmakeraw(&line);
  line.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK | IGNPAR);
  line.c_iflag |= SoftwareHandshakeFor(settings.SWFlowOptions);
  line.c_cflag &= ~kLineFormatFlags;
  // CLOCAL: the modem status lines neither gate the open nor hang up the line.
  line.c_cflag |= CLOCAL | CREAD | CharacterSizeFor(settings.DataBits) | ParityFor(settings.Parity) |
                  StopBitsFor(settings.StopBits) | HardwareHandshakeFor(settings.HWFlowOptions);
  line.c_cc[VSTART] = static_cast<cc_t>(settings.XOnChar);
  line.c_cc[VSTOP] = static_cast<cc_t>(settings.XOffChar);
  // A read returns at once with whatever the driver holds.
  line.c_cc[VMIN] = 0;
  line.c_cc[VTIME] = 0;
  ::cfsetispeed(&line, speed);
  ::cfsetospeed(&line, speed);
  return line;
}

bool SameLineFormat(const termios& applied, const termios& wanted) noexcept {
  return ::cfgetospeed(&applied) == ::cfgetospeed(&wanted) && ::cfgetispeed(&applied) == ::cfgetispeed(&wanted) &&
         (applied.c_cflag & kLineFormatFlags) == (wanted.c_cflag & kLineFormatFlags);
}

void RaiseRefusedLineFormat() {
  throw EInOutError(EINVAL, "The serial device did not take the requested bit rate and character format", EINVAL);
}

}  // namespace orvel
