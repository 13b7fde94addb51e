#pragma once

#include "serial/ByteRing.h"
#include "serial/PortDevice.h"

#include <atomic>
#include <cstddef>
#include <memory>
#include <mutex>
#include <span>
#include <string_view>
#include <thread>

namespace orvel {

// A port while it is open: the device, the 8192-byte input ring, the output
// ring, and one worker thread that moves bytes between the rings and the
// device. Every other member function runs on the user-interface thread and
// never waits for the line: it only holds a ring's lock for a short copy.
//
// Guarantees the user-interface thread relies on:
// - InputCount is exact, and only the user-interface thread removes input, so
//   ReadBlock of the count just read always succeeds.
// - Bytes leave in the order WriteText queued them.
// - After DiscardOutput returns, no byte queued before it reaches the driver.
// - Input that finds the ring full stays in the driver until room is made.
// - When the device is lost (hung up, unplugged) the worker stops touching it
//   and drops queued output, and a close still ends at once.
class ActivePort {
 public:
  static constexpr std::size_t kInputCapacity = 8192;

  ActivePort(std::unique_ptr<PortDevice> device, std::size_t outputCapacity);
  ActivePort(const ActivePort&) = delete;
  ActivePort& operator=(const ActivePort&) = delete;
  // Drops unsent output and unread input, ends the worker, releases the device.
  ~ActivePort();

  std::size_t InputCount() const;
  std::size_t OutputCount() const;
  // Raises EBufferIsEmpty, taking nothing, when fewer bytes are buffered.
  void ReadBlock(std::span<char> destination);
  // Raises EOutputBufferTooSmall, queuing nothing, when the text does not fit.
  void WriteText(std::string_view text);
  // Raise the host error when the driver refuses the purge.
  void DiscardInput();
  void DiscardOutput();

 private:
  int DropInput() noexcept;
  int DropOutput() noexcept;

  void Run() noexcept;
  bool HasInputRoom() const;
  bool HasOutputQueued() const;
  bool Receive();
  bool Transmit();
  void DropOutputOfLostDevice();

  std::unique_ptr<PortDevice> device_;

  mutable std::mutex inputLock_;
  ByteRing input_;

  mutable std::mutex outputLock_;
  ByteRing output_;

  // Held by the worker for one device write, so that a discard can wait for
  // the write in progress without holding up WriteText.
  std::mutex transmitLock_;

  std::atomic<bool> stopping_{false};
  // Last: starts once everything it touches exists.
  std::thread worker_;
};

}  // namespace orvel
