#include "ComPeer.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace orvel::testing {

namespace {

// Generous on purpose: it only matters when something is broken.
constexpr DWORD kDeadlineMs = 5000;
// A read returns once the line has paused this long after its first byte.
constexpr DWORD kPauseMs = 100;

[[noreturn]] void Fail(const std::string& what) {
  throw std::runtime_error(what + " failed with system error " + std::to_string(::GetLastError()));
}

std::string DeviceName(std::uint16_t port) { return "\\\\.\\COM" + std::to_string(port); }

HANDLE OpenPort(std::uint16_t port) {
  const HANDLE handle =
      ::CreateFileA(DeviceName(port).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    Fail("opening " + DeviceName(port));
  }
  return handle;
}

DCB StateOf(HANDLE handle) {
  DCB state{};
  state.DCBlength = sizeof state;
  if (!::GetCommState(handle, &state)) {
    Fail("reading the device control block");
  }
  return state;
}

}  // namespace

ComPeer::ComPeer(std::uint16_t port) : handle_(OpenPort(port)) {
  DCB state = StateOf(handle_);
  state.BaudRate = CBR_9600;
  state.ByteSize = 8;
  state.Parity = NOPARITY;
  state.StopBits = ONESTOPBIT;
  state.fBinary = TRUE;
  state.fParity = FALSE;
  state.fOutxCtsFlow = FALSE;
  state.fOutxDsrFlow = FALSE;
  state.fOutX = FALSE;
  state.fInX = FALSE;
  state.fNull = FALSE;
  SetState(state);
  COMMTIMEOUTS timeouts{kPauseMs, 0, kDeadlineMs, 0, kDeadlineMs};
  if (!::SetCommTimeouts(handle_, &timeouts)) {
    Fail("setting the time-outs of " + DeviceName(port));
  }
  ::PurgeComm(handle_, PURGE_RXCLEAR | PURGE_TXCLEAR);
}

ComPeer::~ComPeer() { ::CloseHandle(handle_); }

void ComPeer::Send(std::string_view bytes) const {
  DWORD written = 0;
  ASSERT_TRUE(::WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
      << "writing to the far end failed with system error " << ::GetLastError();
  ASSERT_EQ(written, bytes.size()) << "the far end took only part of the bytes";
}

std::string ComPeer::ReceiveSome(std::size_t count) const {
  std::string bytes(count, '\0');
  DWORD received = 0;
  if (!::ReadFile(handle_, bytes.data(), static_cast<DWORD>(count), &received, nullptr)) {
    ADD_FAILURE() << "reading from the far end failed with system error " << ::GetLastError();
    received = 0;
  }
  bytes.resize(received);
  return bytes;
}

std::string ComPeer::Receive(std::size_t count) const {
  std::string received;
  while (received.size() < count) {
    const std::string more = ReceiveSome(count - received.size());
    if (more.empty()) {
      break;
    }
    received += more;
  }
  return received;
}

std::string ComPeer::ReceiveUntil(std::string_view ending) const {
  constexpr std::size_t kChunk = 4096;
  std::string received;
  while (!received.ends_with(ending)) {
    const std::string more = ReceiveSome(kChunk);
    if (more.empty()) {
      break;
    }
    received += more;
  }
  return received;
}

void ComPeer::StopOutput() const {
  if (!::EscapeCommFunction(handle_, SETXOFF)) {
    Fail("suspending the output");
  }
}

void ComPeer::RestartOutput() const {
  if (!::EscapeCommFunction(handle_, SETXON)) {
    Fail("resuming the output");
  }
}

void ComPeer::SetState(DCB state) const {
  if (!::SetCommState(handle_, &state)) {
    Fail("writing the device control block");
  }
}

DCB StateOfPort(std::uint16_t port) {
  const HANDLE handle = OpenPort(port);
  const DCB state = StateOf(handle);
  ::CloseHandle(handle);
  return state;
}

}  // namespace orvel::testing
