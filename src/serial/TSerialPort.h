#pragma once

#include "serial/PortDeviceMap.h"
#include "serial/PortSettings.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

namespace orvel {

class ActivePort;

// The serial port object the tester link drives. Every member function is
// called on the user-interface thread; while the port is open a worker thread
// of its own moves bytes to and from the device, so no call here waits for the
// line.
//
// Errors: EBadId, EAlreadyOpen and ECommNotOpen (all EOpenComm),
// EBufferIsEmpty and EOutputBufferTooSmall (ESerialIO), EInOutError for host
// failures without a port meaning, std::bad_alloc when memory runs out.
class TSerialPort {
 public:
  // devices says which device each port number names; tests give their own.
  explicit TSerialPort(PortDeviceMap devices = SystemPortDevices());
  TSerialPort(const TSerialPort&) = delete;
  TSerialPort& operator=(const TSerialPort&) = delete;
  // Closes the port if it is open.
  ~TSerialPort();

  std::uint16_t ComNumber() const noexcept { return comNumber_; }
  // On an open port: closes it, records the number and opens it again.
  void SetComNumber(std::uint16_t number);

  const TSerialPortSettings& Settings() const noexcept { return settings_; }
  // On an open port: closes it and opens it again with the new settings.
  void SetSettings(const TSerialPortSettings& settings);

  bool Open() const noexcept;
  // Opening an open port or closing a closed one does nothing. A failed open
  // leaves the port closed, with ComNumber and the settings unchanged.
  void SetOpen(bool open);

  // Bytes waiting in the input buffer; 0 on a closed port.
  std::uint16_t InputCount() const noexcept;
  // Bytes queued in the output buffer, not yet handed to the driver; 0 on a
  // closed port.
  std::uint16_t OutputCount() const noexcept;

  // Moves the destination.size() oldest received bytes into destination and
  // returns their number. Raises EBufferIsEmpty, taking nothing, when fewer
  // are buffered.
  std::uint16_t ReadBlock(std::span<char> destination);
  // Queues all of text for sending and returns at once. Raises
  // EOutputBufferTooSmall, queuing nothing, when it does not fit in the free
  // room of the output buffer.
  void WriteText(std::string_view text);
  // Drops everything received and not yet read, in the driver and here.
  void DiscardInput();
  // Stops the write in progress and drops everything not yet sent, here and
  // in the driver.
  void DiscardOutput();

 private:
  ActivePort& Active();
  void Reopen();

  PortDeviceMap devices_;
  std::uint16_t comNumber_ = 0;
  TSerialPortSettings settings_;
  std::unique_ptr<ActivePort> active_;
};

}  // namespace orvel
