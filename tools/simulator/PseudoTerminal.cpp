#include "simulator/PseudoTerminal.h"

#include "simulator/SystemError.h"

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <cerrno>
#include <climits>

namespace orvel::sim {

PseudoTerminal::PseudoTerminal() {
  termios raw{};
  ::cfmakeraw(&raw);
  ::cfsetispeed(&raw, B9600);
  ::cfsetospeed(&raw, B9600);

  int master = -1;
  int slave = -1;
  char path[PATH_MAX] = {};
  if (::openpty(&master, &slave, path, &raw, nullptr) != 0) {
    throw SystemFailure("creating a pseudo-terminal", errno);
  }
  m_master.Reset(master);
  m_slave.Reset(slave);
  m_slavePath = path;

  // Descriptors must not leak into programs that tests or the operator start.
  for (const int fd : {master, slave}) {
    if (::fcntl(fd, F_SETFD, FD_CLOEXEC) != 0) {
      throw SystemFailure("marking the pseudo-terminal close-on-exec", errno);
    }
  }
  // Writes must never block the simulator: a program that stops reading would otherwise
  // keep it from noticing a stop request.
  const int flags = ::fcntl(master, F_GETFL);
  if (flags < 0 || ::fcntl(master, F_SETFL, flags | O_NONBLOCK) != 0) {
    throw SystemFailure("making the pseudo-terminal master non-blocking", errno);
  }
}

void PseudoTerminal::HangUp() noexcept {
  m_slave.Reset();
  m_master.Reset();
}

}  // namespace orvel::sim
