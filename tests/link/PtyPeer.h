#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orvel::test {

// The program's end of the pseudo-terminal opened with plain POSIX calls, so the simulator
// can be tested without the serial port object.
class PtyPeer {
 public:
  explicit PtyPeer(const std::string& path);
  ~PtyPeer();
  PtyPeer(const PtyPeer&) = delete;
  PtyPeer& operator=(const PtyPeer&) = delete;

  void Send(std::string_view bytes);
  // Reads until `count` bytes have arrived in all, or the deadline passes; returns what came.
  std::string Receive(std::size_t count);
  // Reads until `marker` has arrived followed by `bytesAfter` more bytes, or the deadline passes.
  std::string ReceiveThrough(std::string_view marker, std::size_t bytesAfter);
  // True once the other end has hung up.
  bool SeesHangUp();

 private:
  bool ReadSome(std::string& into);

  int m_fd = -1;
};

}  // namespace orvel::test
