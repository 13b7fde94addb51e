#include "link/SerialLinkPort.h"

#include <thread>
#include <utility>

#include "serial/TSerialPort.h"

namespace orvel {

SerialLinkPort::SerialLinkPort(TSerialPort& port, PortDeviceMap devices) : port_(port), devices_(std::move(devices)) {}

PortProbe SerialLinkPort::Probe(std::uint16_t portNumber) { return ProbePortAvailability(portNumber, devices_); }

bool SerialLinkPort::IsOpen() const { return port_.Open(); }

void SerialLinkPort::Open(std::uint16_t portNumber) {
  port_.SetComNumber(portNumber);
  port_.SetOpen(true);
}

void SerialLinkPort::Close() { port_.SetOpen(false); }

std::uint16_t SerialLinkPort::ComNumber() const { return port_.ComNumber(); }

std::uint16_t SerialLinkPort::InputCount() const { return port_.InputCount(); }

std::uint16_t SerialLinkPort::ReadBlock(std::span<char> destination) { return port_.ReadBlock(destination); }

void SerialLinkPort::WriteText(std::string_view text) { port_.WriteText(text); }

void SerialLinkPort::DiscardInput() { port_.DiscardInput(); }

void SerialLinkPort::DiscardOutput() { port_.DiscardOutput(); }

bool SerialLinkPort::AwaitQuietInput(std::chrono::milliseconds quietFor, std::chrono::milliseconds atMost) {
  using Clock = std::chrono::steady_clock;
  // The input buffer is looked at often enough that a frame arriving at 9600 baud, about
  // a byte a millisecond, keeps the line from counting as quiet.
  constexpr std::chrono::milliseconds kLook{1};
  const Clock::time_point giveUp = Clock::now() + atMost;
  Clock::time_point quietSince = Clock::now();
  bool arrived = false;
  for (;;) {
    const Clock::time_point now = Clock::now();
    if (now - quietSince >= quietFor || now >= giveUp) return arrived;
    std::this_thread::sleep_for(kLook);
    if (port_.InputCount() > 0) {
      port_.DiscardInput();
      arrived = true;
      quietSince = Clock::now();
    }
  }
}

}  // namespace orvel
