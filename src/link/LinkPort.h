#pragma once

#include <chrono>
#include <cstdint>
#include <span>
#include <string_view>

#include "serial/ProbePort.h"

namespace orvel {

// What the link session needs of the serial port and the port probe. The program gives
// it the window's serial port object; tests can give a scripted one to count poll ticks
// exactly.
class LinkPort {
 public:
  virtual ~LinkPort() = default;

  virtual PortProbe Probe(std::uint16_t portNumber) = 0;
  virtual bool IsOpen() const = 0;
  // Sets the port number and opens the port; raises EOpenComm when the port is missing
  // or held by another program.
  virtual void Open(std::uint16_t portNumber) = 0;
  virtual void Close() = 0;
  virtual std::uint16_t ComNumber() const = 0;
  virtual std::uint16_t InputCount() const = 0;
  virtual std::uint16_t ReadBlock(std::span<char> destination) = 0;
  virtual void WriteText(std::string_view text) = 0;
  virtual void DiscardInput() = 0;
  virtual void DiscardOutput() = 0;
  // Returns once no byte has arrived for quietFor, discarding every byte that arrives
  // meanwhile, or after atMost on a line that never falls quiet. True when bytes came.
  virtual bool AwaitQuietInput(std::chrono::milliseconds quietFor, std::chrono::milliseconds atMost) = 0;
};

}  // namespace orvel
