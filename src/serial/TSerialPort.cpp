#include "serial/TSerialPort.h"

#include "serial/ActivePort.h"
#include "serial/PortDevice.h"
#include "serial/PortErrors.h"

#include <utility>

namespace orvel {

TSerialPort::TSerialPort(PortDeviceMap devices) : devices_(std::move(devices)) {}

TSerialPort::~TSerialPort() = default;

void TSerialPort::SetComNumber(std::uint16_t number) {
  if (number == comNumber_) {
    return;
  }
  comNumber_ = number;
  Reopen();
}

void TSerialPort::SetSettings(const TSerialPortSettings& settings) {
  if (settings == settings_) {
    return;
  }
  settings_ = settings;
  Reopen();
}

bool TSerialPort::Open() const noexcept { return active_ != nullptr; }

void TSerialPort::SetOpen(bool open) {
  if (open == Open()) {
    return;
  }
  if (!open) {
    // reset() clears the pointer before the close runs, so Open() already
    // reads false while the port is closing.
    active_.reset();
    return;
  }
  const auto path = devices_(comNumber_);
  if (!path) {
    throw EBadId();
  }
  active_ = std::make_unique<ActivePort>(OpenPortDevice(*path, settings_), settings_.OutSize);
}

void TSerialPort::Reopen() {
  if (Open()) {
    SetOpen(false);
    SetOpen(true);
  }
}

std::uint16_t TSerialPort::InputCount() const noexcept {
  return Open() ? static_cast<std::uint16_t>(active_->InputCount()) : 0;
}

std::uint16_t TSerialPort::OutputCount() const noexcept {
  return Open() ? static_cast<std::uint16_t>(active_->OutputCount()) : 0;
}

std::uint16_t TSerialPort::ReadBlock(std::span<char> destination) {
  Active().ReadBlock(destination);
  // A successful read took no more than the input buffer's 8192 bytes.
  return static_cast<std::uint16_t>(destination.size());
}

void TSerialPort::WriteText(std::string_view text) { Active().WriteText(text); }

void TSerialPort::DiscardInput() { Active().DiscardInput(); }

void TSerialPort::DiscardOutput() { Active().DiscardOutput(); }

ActivePort& TSerialPort::Active() {
  if (!Open() && settings_.AutoOpen) {
    SetOpen(true);
  }
  if (!Open()) {
    throw ECommNotOpen();
  }
  return *active_;
}

}  // namespace orvel
