#include "serial/CommStateSettings.h"

#include "serial/PortErrors.h"

#include <string>

namespace orvel {

namespace {

[[noreturn]] void RaiseUnsupported(const std::string& what) {
  throw EInOutError(ERROR_INVALID_PARAMETER, "The serial port cannot use " + what, ERROR_INVALID_PARAMETER);
}

DWORD BitRateFor(std::int32_t baud) {
  if (baud <= 0) {
    RaiseUnsupported("a bit rate of " + std::to_string(baud) + " baud");
  }
  return static_cast<DWORD>(baud);
}

BYTE ByteSizeFor(std::uint16_t dataBits) {
  if (dataBits < 5 || dataBits > 8) {
    RaiseUnsupported(std::to_string(dataBits) + " data bits");
  }
  return static_cast<BYTE>(dataBits);
}

BYTE ParityFor(TParity parity) {
  switch (parity) {
    case TParity::pNone:
      return NOPARITY;
    case TParity::pOdd:
      return ODDPARITY;
    case TParity::pEven:
      return EVENPARITY;
    case TParity::pMark:
      return MARKPARITY;
    case TParity::pSpace:
      return SPACEPARITY;
  }
  RaiseUnsupported("that parity");
}

BYTE StopBitsFor(std::uint16_t stopBits) {
  switch (stopBits) {
    case 1:
      return ONESTOPBIT;
    case 2:
      return TWOSTOPBITS;
    default:
      RaiseUnsupported(std::to_string(stopBits) + " stop bits");
  }
}

// DTR and RTS stay raised (or lowered) while the port is open; with handshakes they
// may instead be the driver's to drive, where the settings ask for that.
void SetModemLineControl(DCB& block, const TSerialPortSettings& settings, bool handshakes) {
  const THWFlowOptions hardware = handshakes ? settings.HWFlowOptions : THWFlowOptions{};
  if (hardware.Contains(THWFlowOption::hwfUseDTR)) {
    block.fDtrControl = DTR_CONTROL_HANDSHAKE;
  } else {
    block.fDtrControl = settings.DTR ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
  }
  if (hardware.Contains(THWFlowOption::hwfUseRTS)) {
    block.fRtsControl = RTS_CONTROL_HANDSHAKE;
  } else {
    block.fRtsControl = settings.RTS ? RTS_CONTROL_ENABLE : RTS_CONTROL_DISABLE;
  }
}

}  // namespace

DCB LineStateFor(DCB current, const TSerialPortSettings& settings) {
  current.BaudRate = BitRateFor(settings.Baud);
  current.ByteSize = ByteSizeFor(settings.DataBits);
  current.Parity = ParityFor(settings.Parity);
  current.StopBits = StopBitsFor(settings.StopBits);
  current.fBinary = TRUE;
  current.fParity = FALSE;
  current.fDsrSensitivity = FALSE;
  current.fTXContinueOnXoff = TRUE;
  current.fNull = FALSE;
  SetModemLineControl(current, settings, false);
  return current;
}

DCB FlowControlStateFor(DCB current, const TSerialPortSettings& settings) {
  const THWFlowOptions hardware = settings.HWFlowOptions;
  current.fOutxCtsFlow = hardware.Contains(THWFlowOption::hwfRequireCTS) ? TRUE : FALSE;
  current.fOutxDsrFlow = hardware.Contains(THWFlowOption::hwfRequireDSR) ? TRUE : FALSE;
  SetModemLineControl(current, settings, true);
  const TSWFlowOptions software = settings.SWFlowOptions;
  current.fOutX = software == TSWFlowOptions::swfTransmit || software == TSWFlowOptions::swfBoth ? TRUE : FALSE;
  current.fInX = software == TSWFlowOptions::swfReceive || software == TSWFlowOptions::swfBoth ? TRUE : FALSE;
  current.XonChar = settings.XOnChar;
  current.XoffChar = settings.XOffChar;
  current.XonLim = settings.BufferResume;
  // BufferFull is the fill level at which the remote side would be held; the driver
  // counts that threshold in free bytes of the receive queue.
  current.XoffLim =
      settings.BufferFull < settings.InSize ? static_cast<WORD>(settings.InSize - settings.BufferFull) : 0;
  return current;
}

}  // namespace orvel
