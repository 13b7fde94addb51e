#include "PtyPair.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <stdexcept>

namespace orvel::testing {

namespace {

constexpr int kDeadlineMs = 5000;

bool WaitFor(int fd, short events) {
  pollfd watched{fd, events, 0};
  return ::poll(&watched, 1, kDeadlineMs) == 1 && (watched.revents & events) != 0;
}

std::size_t QueuedBytes(int fd) {
  int count = 0;
  if (::ioctl(fd, FIONREAD, &count) != 0) {
    throw std::runtime_error("FIONREAD failed on the pseudo-terminal");
  }
  return static_cast<std::size_t>(count);
}

}  // namespace

PtyPair::PtyPair() {
  std::array<char, 128> name{};
  if (::openpty(&master_, &control_, name.data(), nullptr, nullptr) != 0) {
    throw std::runtime_error("openpty failed");
  }
  slavePath_ = name.data();
  ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
}

PtyPair::~PtyPair() {
  CloseMaster();
  ::close(control_);
}

PortDeviceMap PtyPair::Map() const {
  return [path = slavePath_](std::uint16_t port) -> std::optional<std::string> {
    if (port != 1) {
      return std::nullopt;
    }
    return path;
  };
}

void PtyPair::Send(std::string_view bytes) const {
  while (!bytes.empty()) {
    ASSERT_TRUE(WaitFor(master_, POLLOUT)) << "the pseudo-terminal took no more bytes";
    const ssize_t written = ::write(master_, bytes.data(), bytes.size());
    ASSERT_GE(written, 0) << "writing to the pseudo-terminal master failed";
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
}

std::string PtyPair::Receive(std::size_t count) const {
  std::string received;
  std::array<char, 4096> chunk{};
  while (received.size() < count && WaitFor(master_, POLLIN)) {
    const std::size_t wanted = std::min(chunk.size(), count - received.size());
    const ssize_t got = ::read(master_, chunk.data(), wanted);
    if (got < 0 && errno == EAGAIN) {
      continue;
    }
    if (got <= 0) {
      break;
    }
    received.append(chunk.data(), static_cast<std::size_t>(got));
  }
  return received;
}

std::string PtyPair::ReceiveUntil(std::string_view ending) const {
  std::string received;
  while (!received.ends_with(ending)) {
    const std::string next = Receive(1);
    if (next.empty()) {
      break;
    }
    received += next;
  }
  return received;
}

std::size_t PtyPair::PendingAtRemote() const { return QueuedBytes(master_); }

std::size_t PtyPair::PendingInDriver() const { return QueuedBytes(control_); }

void PtyPair::CloseMaster() {
  if (master_ >= 0) {
    ::close(master_);
    master_ = -1;
  }
}

}  // namespace orvel::testing
