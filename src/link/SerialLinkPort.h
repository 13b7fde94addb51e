#pragma once

#include "link/LinkPort.h"
#include "serial/PortDeviceMap.h"

namespace orvel {

class TSerialPort;

// The link's view of a serial port object, probing port numbers through the same
// mapping to devices that the port object uses.
class SerialLinkPort : public LinkPort {
 public:
  SerialLinkPort(TSerialPort& port, PortDeviceMap devices);

  PortProbe Probe(std::uint16_t portNumber) override;
  bool IsOpen() const override;
  void Open(std::uint16_t portNumber) override;
  void Close() override;
  std::uint16_t ComNumber() const override;
  std::uint16_t InputCount() const override;
  std::uint16_t ReadBlock(std::span<char> destination) override;
  void WriteText(std::string_view text) override;
  void DiscardInput() override;
  void DiscardOutput() override;
  bool AwaitQuietInput(std::chrono::milliseconds quietFor, std::chrono::milliseconds atMost) override;

 private:
  TSerialPort& port_;
  PortDeviceMap devices_;
};

}  // namespace orvel
