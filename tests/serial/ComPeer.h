#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace orvel::testing {

// A COM port opened with plain blocking Win32 calls, independent of the port object
// under test: the far end of its null-modem line, a way to change the device's settings
// while the port object does not hold it, or, under Wine, which lets a second handle open a
// held port, a hand on the line the port object holds. Raw 9600 8N1 without flow
// control, with both queues emptied at open.
class ComPeer {
 public:
  explicit ComPeer(std::uint16_t port);
  ComPeer(const ComPeer&) = delete;
  ComPeer& operator=(const ComPeer&) = delete;
  ~ComPeer();

  // Fails the test if the bytes cannot all be written.
  void Send(std::string_view bytes) const;
  // Reads exactly count bytes, or fewer if the deadline passes.
  std::string Receive(std::size_t count) const;
  // Reads until the bytes received end with ending, or the deadline passes.
  std::string ReceiveUntil(std::string_view ending) const;

  // Suspends and resumes the line's output, as a remote XOFF and XON would; meanwhile
  // the driver takes nothing, so whatever a write hands over waits.
  void StopOutput() const;
  void RestartOutput() const;

  void SetState(DCB state) const;

 private:
  // Up to count bytes, as soon as the line pauses; empty when nothing came in time.
  std::string ReceiveSome(std::size_t count) const;

  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// The device control block of a COM port that nobody holds, read without changing it.
DCB StateOfPort(std::uint16_t port);

}  // namespace orvel::testing
