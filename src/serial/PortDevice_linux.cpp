#include "serial/PortDevice.h"

#include "serial/PortErrors.h"
#include "serial/SystemError.h"
#include "serial/TermiosLineSettings.h"
#include "serial/UniqueFd.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>

namespace orvel {

namespace {

constexpr int kOpenFlags = O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC;

void ApplyLineSettings(int fd, const TSerialPortSettings& settings) {
  termios line{};
  if (::tcgetattr(fd, &line) != 0) {
    RaiseSystemError(errno);
  }
  const termios wanted = LineSettingsFor(line, settings);
  if (::tcsetattr(fd, TCSANOW, &wanted) != 0) {
    RaiseSystemError(errno);
  }
  termios applied{};
  if (::tcgetattr(fd, &applied) != 0) {
    RaiseSystemError(errno);
  }
  if (!SameLineFormat(applied, wanted)) {
    RaiseRefusedLineFormat();
  }
}

void SetModemLine(int fd, int line, bool raised) {
  if (::ioctl(fd, raised ? TIOCMBIS : TIOCMBIC, &line) == 0) {
    return;
  }
  const int error = errno;
  // Pseudo-terminals and some adapters have no modem lines and refuse these
  // requests. Nothing in the exchange depends on the lines, so that alone is
  // no reason to refuse the port.
  if (error == ENOTTY || error == EINVAL) {
    return;
  }
  RaiseSystemError(error);
}

UniqueFd CreateWakeUp() {
  UniqueFd wakeUp(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC));
  if (!wakeUp) {
    RaiseSystemError(errno);
  }
  return wakeUp;
}

bool MeansLoss(int error) noexcept { return error != EAGAIN && error != EINTR; }

// A terminal held for this process alone. TIOCEXCL refuses later opens, but
// not to root, and not to an open that slipped in between open() and the
// ioctl; a non-blocking flock closes both gaps. The lock is taken first, so a
// port that someone else holds is never marked exclusive on their behalf.
class ExclusiveTerminal {
 public:
  explicit ExclusiveTerminal(const std::string& path) : fd_(::open(path.c_str(), kOpenFlags)) {
    if (!fd_) {
      RaiseOpenError(errno);
    }
    if (::flock(fd_.Get(), LOCK_EX | LOCK_NB) != 0) {
      const int error = errno;
      if (error == EWOULDBLOCK) {
        throw EAlreadyOpen();
      }
      RaiseSystemError(error);
    }
    if (::ioctl(fd_.Get(), TIOCEXCL) != 0) {
      RaiseSystemError(errno);
    }
  }
  ExclusiveTerminal(const ExclusiveTerminal&) = delete;
  ExclusiveTerminal& operator=(const ExclusiveTerminal&) = delete;

  ~ExclusiveTerminal() {
    // A pseudo-terminal keeps the exclusive mark after its last close for as
    // long as its master side lives; cleared here so that the next open by
    // an unprivileged user is not refused. The lock goes with the close.
    ::ioctl(fd_.Get(), TIOCNXCL);
  }

  int Fd() const noexcept { return fd_.Get(); }

 private:
  UniqueFd fd_;
};

class TermiosDevice final : public PortDevice {
 public:
  TermiosDevice(const std::string& path, const TSerialPortSettings& settings) : terminal_(path) {
    ApplyLineSettings(terminal_.Fd(), settings);
    SetModemLine(terminal_.Fd(), TIOCM_DTR, settings.DTR);
    SetModemLine(terminal_.Fd(), TIOCM_RTS, settings.RTS);
  }

  DeviceActivity Wait(bool watchInput, bool watchOutput, bool watchDevice) noexcept override {
    const auto deviceEvents = static_cast<short>((watchInput ? POLLIN : 0) | (watchOutput ? POLLOUT : 0));
    std::array<pollfd, 2> watched{{
        {wakeUp_.Get(), POLLIN, 0},
        {watchDevice ? terminal_.Fd() : -1, deviceEvents, 0},
    }};
    if (::poll(watched.data(), watched.size(), -1) < 0) {
      // When poll itself fails for anything but a signal, the device can
      // no longer be waited on; calling it lost stops the worker from
      // retrying in a tight loop.
      return {.lost = errno != EINTR};
    }
    if ((watched[0].revents & POLLIN) != 0) {
      // Reading resets the counter: one pass of the worker answers every
      // wake-up that came before it.
      std::uint64_t pending = 0;
      [[maybe_unused]] const ssize_t drained = ::read(wakeUp_.Get(), &pending, sizeof pending);
    }
    const short seen = watched[1].revents;
    return {.inputReady = (seen & POLLIN) != 0,
            .outputReady = (seen & POLLOUT) != 0,
            .lost = (seen & (POLLHUP | POLLERR | POLLNVAL)) != 0};
  }

  void Wake() noexcept override {
    const std::uint64_t one = 1;
    // Can only fail when the counter is saturated, and then a wake-up is
    // pending anyway.
    [[maybe_unused]] const ssize_t signalled = ::write(wakeUp_.Get(), &one, sizeof one);
  }

  DeviceTransfer Read(std::span<char> destination) noexcept override {
    const ssize_t count = ::read(terminal_.Fd(), destination.data(), destination.size());
    if (count >= 0) {
      return {.bytes = static_cast<std::size_t>(count)};
    }
    return {.lost = MeansLoss(errno)};
  }

  DeviceTransfer Write(std::span<const char> bytes) noexcept override {
    const ssize_t count = ::write(terminal_.Fd(), bytes.data(), bytes.size());
    if (count >= 0) {
      return {.bytes = static_cast<std::size_t>(count)};
    }
    return {.lost = MeansLoss(errno)};
  }

  int PurgeInput() noexcept override { return Purge(TCIFLUSH); }
  int PurgeOutput() noexcept override { return Purge(TCOFLUSH); }

 private:
  int Purge(int queue) const noexcept { return ::tcflush(terminal_.Fd(), queue) == 0 ? 0 : errno; }

  ExclusiveTerminal terminal_;
  UniqueFd wakeUp_ = CreateWakeUp();
};

}  // namespace

std::unique_ptr<PortDevice> OpenPortDevice(const std::string& path, const TSerialPortSettings& settings) {
  return std::make_unique<TermiosDevice>(path, settings);
}

DeviceProbe ProbePortDevice(const std::string& path) noexcept {
  const UniqueFd device(::open(path.c_str(), kOpenFlags));
  if (!device) {
    const int error = errno;
    return {AvailabilityAfterOpenError(error), error};
  }
  if (::isatty(device.Get()) == 0) {
    return {PortAvailability::Failed, errno};
  }
  if (::flock(device.Get(), LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    return {error == EWOULDBLOCK ? PortAvailability::Busy : PortAvailability::Failed, error};
  }
  return {PortAvailability::Available, 0};
}

}  // namespace orvel
