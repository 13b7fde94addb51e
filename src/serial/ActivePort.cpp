#include "serial/ActivePort.h"

#include "serial/PortErrors.h"
#include "serial/SystemError.h"

#include <utility>

namespace orvel {

ActivePort::ActivePort(std::unique_ptr<PortDevice> device, std::size_t outputCapacity)
    : device_(std::move(device)), input_(kInputCapacity), output_(outputCapacity), worker_(&ActivePort::Run, this) {}

ActivePort::~ActivePort() {
  // Unsent output is dropped, not drained. A device that has vanished
  // refuses the purges; that must not keep the port from closing.
  static_cast<void>(DropOutput());
  static_cast<void>(DropInput());
  stopping_.store(true);
  device_->Wake();
  worker_.join();
}

std::size_t ActivePort::InputCount() const {
  const std::lock_guard lock(inputLock_);
  return input_.Size();
}

std::size_t ActivePort::OutputCount() const {
  const std::lock_guard lock(outputLock_);
  return output_.Size();
}

void ActivePort::ReadBlock(std::span<char> destination) {
  bool madeRoom = false;
  {
    const std::lock_guard lock(inputLock_);
    if (destination.size() > input_.Size()) {
      throw EBufferIsEmpty();
    }
    madeRoom = input_.Full() && !destination.empty();
    input_.Take(destination);
  }
  // A full ring is not watched for input; tell the worker there is room again.
  if (madeRoom) {
    device_->Wake();
  }
}

void ActivePort::WriteText(std::string_view text) {
  if (text.empty()) {
    return;
  }
  {
    const std::lock_guard lock(outputLock_);
    if (text.size() > output_.Free()) {
      throw EOutputBufferTooSmall();
    }
    output_.Append(text);
  }
  device_->Wake();
}

void ActivePort::DiscardInput() {
  if (const int error = DropInput()) {
    RaiseSystemError(error);
  }
}

void ActivePort::DiscardOutput() {
  if (const int error = DropOutput()) {
    RaiseSystemError(error);
  }
}

int ActivePort::DropInput() noexcept {
  bool wasFull = false;
  int error = 0;
  {
    // Under the lock the worker cannot slip old bytes in between the purge
    // and the emptying: whatever counts afterwards arrived afterwards.
    const std::lock_guard lock(inputLock_);
    wasFull = input_.Full();
    input_.Clear();
    error = device_->PurgeInput();
  }
  if (wasFull) {
    device_->Wake();
  }
  return error;
}

int ActivePort::DropOutput() noexcept {
  // Waits for a device write in progress (it never blocks), and keeps the
  // worker from starting another until the driver is purged too.
  const std::lock_guard transmitting(transmitLock_);
  {
    const std::lock_guard lock(outputLock_);
    output_.Clear();
  }
  return device_->PurgeOutput();
}

void ActivePort::Run() noexcept {
  bool deviceLost = false;
  while (!stopping_.load()) {
    if (deviceLost) {
      // Only a wake-up ends this wait: a lost device would report its
      // hang-up again at once and keep the thread spinning.
      DropOutputOfLostDevice();
      device_->Wait(false, false, false);
      continue;
    }
    const DeviceActivity activity = device_->Wait(HasInputRoom(), HasOutputQueued(), true);
    deviceLost = activity.lost;
    if (!deviceLost && activity.inputReady) {
      deviceLost = !Receive();
    }
    if (!deviceLost && activity.outputReady) {
      deviceLost = !Transmit();
    }
  }
}

bool ActivePort::HasInputRoom() const {
  const std::lock_guard lock(inputLock_);
  return !input_.Full();
}

bool ActivePort::HasOutputQueued() const {
  const std::lock_guard lock(outputLock_);
  return !output_.Empty();
}

bool ActivePort::Receive() {
  const std::lock_guard lock(inputLock_);
  // At most two reads: up to the end of the ring, then on from its start.
  while (!input_.Full()) {
    const std::span<char> room = input_.WritableRun();
    const DeviceTransfer received = device_->Read(room);
    input_.CommitWrite(received.bytes);
    if (received.lost) {
      return false;
    }
    if (received.bytes < room.size()) {
      break;
    }
  }
  return true;
}

bool ActivePort::Transmit() {
  const std::lock_guard transmitting(transmitLock_);
  std::span<const char> run;
  {
    const std::lock_guard lock(outputLock_);
    run = output_.ReadableRun();
  }
  // The write runs outside the output lock, so WriteText never waits for it.
  // WriteText only fills free room, never the run being written.
  const DeviceTransfer sent = device_->Write(run);
  const std::lock_guard lock(outputLock_);
  output_.Consume(sent.bytes);
  return !sent.lost;
}

void ActivePort::DropOutputOfLostDevice() {
  const std::lock_guard lock(outputLock_);
  output_.Clear();
}

}  // namespace orvel
