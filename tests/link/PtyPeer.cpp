#include "PtyPeer.h"

#include "Polling.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace orvel::test {

PtyPeer::PtyPeer(const std::string& path) : m_fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)) {
  if (m_fd < 0) {
    throw std::runtime_error("cannot open " + path + ": " + std::strerror(errno));
  }
  termios settings{};
  ::tcgetattr(m_fd, &settings);
  ::cfmakeraw(&settings);
  ::tcsetattr(m_fd, TCSANOW, &settings);
}

PtyPeer::~PtyPeer() { ::close(m_fd); }

void PtyPeer::Send(std::string_view bytes) {
  if (::write(m_fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
    throw std::runtime_error(std::string("writing to the pseudo-terminal failed: ") + std::strerror(errno));
  }
}

bool PtyPeer::ReadSome(std::string& into) {
  char buffer[256];
  const ssize_t count = ::read(m_fd, buffer, sizeof buffer);
  if (count > 0) {
    into.append(buffer, static_cast<std::size_t>(count));
    return true;
  }
  return false;
}

std::string PtyPeer::Receive(std::size_t count) {
  std::string received;
  PollUntil([&] {
    ReadSome(received);
    return received.size() >= count;
  });
  return received;
}

std::string PtyPeer::ReceiveThrough(std::string_view marker, std::size_t bytesAfter) {
  std::string received;
  PollUntil([&] {
    ReadSome(received);
    const std::size_t found = received.find(marker);
    return found != std::string::npos && received.size() >= found + marker.size() + bytesAfter;
  });
  return received;
}

bool PtyPeer::SeesHangUp() {
  return PollUntil([&] {
    pollfd watched{m_fd, POLLIN, 0};
    return ::poll(&watched, 1, 0) > 0 && (watched.revents & POLLHUP) != 0;
  });
}

}  // namespace orvel::test
