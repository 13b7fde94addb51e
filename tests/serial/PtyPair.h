#pragma once

#include "serial/PortDeviceMap.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace orvel::testing {

// A pseudo-terminal pair standing in for a serial line. The master end plays
// the remote device. The slave end is what the port under test opens, by path;
// the pair also keeps one slave descriptor of its own, opened before the port,
// through which a test can look at and steer the line the port holds (its
// termios, its output flow, the bytes the driver still queues).
class PtyPair {
 public:
  PtyPair();
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;
  ~PtyPair();

  const std::string& SlavePath() const { return slavePath_; }
  // Port 1 names this pair's slave; every other number names nothing.
  PortDeviceMap Map() const;

  int Control() const { return control_; }

  // The remote device sends bytes; fails the test if they cannot be written
  // within the deadline.
  void Send(std::string_view bytes) const;
  // Reads exactly count bytes sent by the port, or fewer if the deadline passes.
  std::string Receive(std::size_t count) const;
  // Reads until the bytes received end with ending, or the deadline passes.
  std::string ReceiveUntil(std::string_view ending) const;
  // Bytes the port has sent that the remote device has not read.
  std::size_t PendingAtRemote() const;
  // Bytes the remote device has sent that still wait in the slave's driver.
  std::size_t PendingInDriver() const;

  // The remote device vanishes, as when a USB adapter is pulled out.
  void CloseMaster();

 private:
  int master_ = -1;
  int control_ = -1;
  std::string slavePath_;
};

}  // namespace orvel::testing
