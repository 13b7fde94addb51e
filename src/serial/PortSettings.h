#pragma once

#include <cstdint>
#include <initializer_list>

namespace orvel {

enum class TParity { pNone, pOdd, pEven, pMark, pSpace };

enum class TSWFlowOptions { swfNone, swfReceive, swfTransmit, swfBoth };

enum class THWFlowOption : std::uint8_t {
  hwfUseDTR = 1U << 0U,
  hwfUseRTS = 1U << 1U,
  hwfRequireDSR = 1U << 2U,
  hwfRequireCTS = 1U << 3U,
};

// A set of hardware flow-control options; empty means no hardware handshake.
class THWFlowOptions {
 public:
  constexpr THWFlowOptions() noexcept = default;
  constexpr THWFlowOptions(std::initializer_list<THWFlowOption> options) noexcept {
    for (const THWFlowOption option : options) {
      bits_ = static_cast<std::uint8_t>(bits_ | static_cast<std::uint8_t>(option));
    }
  }

  constexpr bool Contains(THWFlowOption option) const noexcept {
    return (bits_ & static_cast<std::uint8_t>(option)) != 0;
  }

  bool operator==(const THWFlowOptions&) const = default;

 private:
  std::uint8_t bits_ = 0;
};

// The configuration of a serial port object. The defaults are the port
// object's own; the port number is set separately because changing it on an
// open port reopens the port.
struct TSerialPortSettings {
  std::int32_t Baud = 19200;
  std::uint16_t DataBits = 8;
  TParity Parity = TParity::pNone;
  std::uint16_t StopBits = 1;
  // Receive queue size asked of the driver. Linux terminals have fixed
  // queues, so there it is only recorded.
  std::uint16_t InSize = 4096;
  // Size of the port's output buffer, allocated once per open.
  std::uint16_t OutSize = 4096;
  bool DTR = true;
  bool RTS = true;
  THWFlowOptions HWFlowOptions;
  TSWFlowOptions SWFlowOptions = TSWFlowOptions::swfNone;
  char XOnChar = 0x11;
  char XOffChar = 0x13;
  // Flow-control thresholds of the driver's receive queue. Linux terminals
  // apply their own, so there they are only recorded.
  std::uint16_t BufferFull = 0;
  std::uint16_t BufferResume = 0;
  // When true, the first operation on a closed port opens it.
  bool AutoOpen = true;

  bool operator==(const TSerialPortSettings&) const = default;
};

// The settings the Configure IDs window gives its port for talking to the
// tester: 9600 baud 8N1, no flow control, and no opening behind its back.
TSerialPortSettings TesterPortSettings();

}  // namespace orvel
