#include "serial/PortDevice.h"

#include "serial/CommStateSettings.h"
#include "serial/SystemError.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <mutex>
#include <new>
#include <utility>
#include <vector>

namespace orvel {

namespace {

// Received character, CTS, DSR and carrier-detect changes, break, line error, ring.
constexpr DWORD kSerialEvents = EV_RXCHAR | EV_CTS | EV_DSR | EV_RLSD | EV_BREAK | EV_ERR | EV_RING;
// The line's own events, for a device without modem lines: a pseudo-terminal under
// Wine refuses to wait for modem-line changes at all.
constexpr DWORD kLineEvents = EV_RXCHAR | EV_BREAK | EV_ERR;
// The longest a received byte waits in the driver when no event announces it.
constexpr DWORD kReceivePollMs = 50;
// The same for a device whose events are not waited for (a pseudo-terminal under Wine,
// whose every event wait ends in failure after a few milliseconds), for a while after
// the line was last used: during an exchange it is looked at often enough that a frame
// starting to arrive shows within a few bytes' time at 9600 baud, well inside the quiet
// time the link waits before each request, and a frame's end shows in the poll tick it
// arrives in. A line left quiet goes back to the slower poll, which keeps an open port
// from costing processor time.
constexpr DWORD kPolledReceiveMs = 5;
constexpr std::chrono::milliseconds kBriskPollingAfterUse{500};
// Event waits that failed in a row, with nothing received in between, after which the
// device's events are no longer waited for; the receive poll alone then serves.
constexpr int kFailedWaitsBeforePolling = 3;

// Owns a handle of the host from the moment it exists. CreateFile reports failure with
// INVALID_HANDLE_VALUE, CreateEvent with null; both count as no handle.
class UniqueHandle {
 public:
  UniqueHandle() noexcept = default;
  explicit UniqueHandle(HANDLE handle) noexcept : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
      Close();
      handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { Close(); }

  HANDLE Get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return handle_ != nullptr; }

 private:
  void Close() noexcept {
    if (handle_ != nullptr) {
      ::CloseHandle(handle_);
    }
  }

  HANDLE handle_ = nullptr;
};

int LastError() noexcept { return static_cast<int>(::GetLastError()); }

// Read and write access, held exclusively, existing devices only, asynchronous I/O.
UniqueHandle OpenDevice(const std::string& path) noexcept {
  return UniqueHandle(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr));
}

UniqueHandle OpenDeviceOrRaise(const std::string& path) {
  UniqueHandle device = OpenDevice(path);
  if (!device) {
    RaiseOpenError(LastError());
  }
  return device;
}

UniqueHandle CreateSignal(bool manualReset) {
  UniqueHandle signal(::CreateEventA(nullptr, manualReset ? TRUE : FALSE, FALSE, nullptr));
  if (!signal) {
    throw std::bad_alloc();
  }
  return signal;
}

// One asynchronous operation on the device at a time, with the manual-reset signal
// that its completion raises.
class Completion {
 public:
  OVERLAPPED* Start() noexcept {
    ::ResetEvent(signal_.Get());
    overlapped_ = {};
    overlapped_.hEvent = signal_.Get();
    return &overlapped_;
  }
  OVERLAPPED* Overlapped() noexcept { return &overlapped_; }
  HANDLE Signal() const noexcept { return signal_.Get(); }
  bool Done() const noexcept { return ::WaitForSingleObject(signal_.Get(), 0) == WAIT_OBJECT_0; }

 private:
  UniqueHandle signal_ = CreateSignal(true);
  OVERLAPPED overlapped_{};
};

// Reads the device control block, changes it and writes it back. Returns the host
// error of a refusal, or 0.
template <typename Change>
int ChangeState(HANDLE device, Change change) {
  DCB state{};
  state.DCBlength = sizeof state;
  if (!::GetCommState(device, &state)) {
    return LastError();
  }
  DCB wanted = change(state);
  return ::SetCommState(device, &wanted) ? 0 : LastError();
}

enum class EventWatch { AllEvents, LineEvents, Off };

class CommDevice final : public PortDevice {
 public:
  CommDevice(const std::string& path, const TSerialPortSettings& settings)
      : device_(OpenDeviceOrRaise(path)), writeBuffer_(settings.OutSize) {
    if (!::SetupComm(device_.Get(), settings.InSize, settings.OutSize)) {
      RaiseOpenError(LastError());
    }
    if (const int error = ChangeState(device_.Get(), [&](DCB state) { return LineStateFor(state, settings); })) {
      RaiseOpenError(error);
    }
    RaiseModemLines(settings);
    ::ClearCommError(device_.Get(), nullptr, nullptr);
    // A read returns at once with what the driver holds: the worker waits for each
    // read it starts, and must never wait for the line.
    COMMTIMEOUTS timeouts{MAXDWORD, 0, 0, 0, 0};
    if (!::SetCommTimeouts(device_.Get(), &timeouts)) {
      RaiseSystemError(LastError());
    }
    if (!::SetCommMask(device_.Get(), kSerialEvents)) {
      watch_ = EventWatch::Off;
    }
    if (const int error = ChangeState(device_.Get(), [&](DCB state) { return FlowControlStateFor(state, settings); })) {
      RaiseSystemError(error);
    }
    RaiseModemLines(settings);
  }

  CommDevice(const CommDevice&) = delete;
  CommDevice& operator=(const CommDevice&) = delete;

  ~CommDevice() override {
    // An empty mask ends a pending event wait; the cancels make sure on every driver.
    ::SetCommMask(device_.Get(), 0);
    if (eventWaitPending_) {
      Abandon(serialEvent_);
    }
    if (writePending_) {
      Abandon(writing_);
    }
  }

  DeviceActivity Wait(bool watchInput, bool watchOutput, bool watchDevice) noexcept override {
    const bool pollInput = watchDevice && watchInput;
    std::array<HANDLE, 3> signals{wakeUp_.Get()};
    DWORD count = 1;
    bool eventWatched = false;
    if (pollInput && watch_ != EventWatch::Off) {
      if (!eventWaitPending_ && !StartEventWait()) {
        // An event was already there, or the device refused the wait: either way the
        // input deserves a look now.
        return {.inputReady = true};
      }
      signals[count++] = serialEvent_.Signal();
      eventWatched = true;
    }
    bool outputNow = false;
    bool writeWatched = false;
    if (watchDevice && watchOutput) {
      const std::lock_guard lock(writeLock_);
      // The driver takes output whenever no write of ours is in progress.
      outputNow = !writePending_;
      if (writePending_) {
        signals[count++] = writing_.Signal();
        writeWatched = true;
      }
    }
    DWORD timeout = INFINITE;
    if (pollInput) {
      const bool brisk = !eventWatched && std::chrono::steady_clock::now() - lastUse_ < kBriskPollingAfterUse;
      timeout = brisk ? kPolledReceiveMs : kReceivePollMs;
    }
    if (outputNow) {
      timeout = 0;
    }
    const DWORD woken = ::WaitForMultipleObjects(count, signals.data(), FALSE, timeout);
    if (woken == WAIT_FAILED) {
      // Nothing can be waited for any more; calling the device lost stops the worker
      // from retrying in a tight loop.
      return {.lost = true};
    }
    DeviceActivity activity;
    activity.inputReady = pollInput && woken == WAIT_TIMEOUT;
    if (eventWatched && serialEvent_.Done()) {
      FinishEventWait();
      activity.inputReady = true;
    }
    activity.outputReady = outputNow || (writeWatched && writing_.Done());
    return activity;
  }

  void Wake() noexcept override { ::SetEvent(wakeUp_.Get()); }

  DeviceTransfer Read(std::span<char> destination) noexcept override {
    COMSTAT status{};
    DWORD lineErrors = 0;
    // Also clears a line error, which would otherwise hold up reading on a driver set
    // to abort on errors.
    if (!::ClearCommError(device_.Get(), &lineErrors, &status)) {
      return {.lost = true};
    }
    const auto wanted = static_cast<DWORD>(std::min<std::size_t>(status.cbInQue, destination.size()));
    if (wanted == 0) {
      return {};
    }
    OVERLAPPED* const operation = reading_.Start();
    if (!::ReadFile(device_.Get(), destination.data(), wanted, nullptr, operation) &&
        ::GetLastError() != ERROR_IO_PENDING) {
      return Failed(::GetLastError(), 0);
    }
    DWORD received = 0;
    if (!::GetOverlappedResult(device_.Get(), operation, &received, TRUE)) {
      return Failed(::GetLastError(), 0);
    }
    if (received > 0) {
      lastUse_ = std::chrono::steady_clock::now();
      failedEventWaits_ = 0;
    }
    return {.bytes = received};
  }

  DeviceTransfer Write(std::span<const char> bytes) noexcept override {
    const std::lock_guard lock(writeLock_);
    if (writePending_) {
      return CollectWrite(bytes.size());
    }
    if (bytes.empty()) {
      return {};
    }
    // The bytes are copied because the write outlives this call: the caller's run may
    // be emptied by a discard while the driver still reads from the copy.
    const auto length = static_cast<DWORD>(std::min(bytes.size(), writeBuffer_.size()));
    std::copy_n(bytes.begin(), length, writeBuffer_.begin());
    lastUse_ = std::chrono::steady_clock::now();
    OVERLAPPED* const operation = writing_.Start();
    if (::WriteFile(device_.Get(), writeBuffer_.data(), length, nullptr, operation)) {
      DWORD written = 0;
      ::GetOverlappedResult(device_.Get(), operation, &written, FALSE);
      return {.bytes = written};
    }
    const DWORD error = ::GetLastError();
    if (error == ERROR_IO_PENDING) {
      writePending_ = true;
      writeLength_ = length;
      return {};
    }
    return Failed(error, length);
  }

  int PurgeInput() noexcept override { return Purge(PURGE_RXABORT | PURGE_RXCLEAR); }

  int PurgeOutput() noexcept override {
    const std::lock_guard lock(writeLock_);
    if (writePending_) {
      // Not every driver's purge ends a write in progress (Wine's does not), so the
      // write is cancelled outright; what it handed over before goes with the purge.
      Abandon(writing_);
      writePending_ = false;
    }
    return Purge(PURGE_TXABORT | PURGE_TXCLEAR);
  }

 private:
  static void RaiseModemLine(HANDLE device, bool raised, DWORD function) noexcept {
    if (raised) {
      ::EscapeCommFunction(device, function);
    }
  }

  // The control block already holds DTR and RTS raised; raising them again is for
  // drivers that apply it only to the lines. A pseudo-terminal and some adapters have no
  // modem lines and refuse, and nothing in the exchange depends on them.
  void RaiseModemLines(const TSerialPortSettings& settings) const noexcept {
    RaiseModemLine(device_.Get(), settings.DTR, SETDTR);
    RaiseModemLine(device_.Get(), settings.RTS, SETRTS);
  }

  // Starts waiting for the next serial event. False when no wait is pending afterwards:
  // an event was already there, or the device refused the wait.
  bool StartEventWait() noexcept {
    if (::WaitCommEvent(device_.Get(), &eventsSeen_, serialEvent_.Start())) {
      return false;
    }
    if (::GetLastError() == ERROR_IO_PENDING) {
      eventWaitPending_ = true;
      return true;
    }
    if (watch_ == EventWatch::AllEvents && ::SetCommMask(device_.Get(), kLineEvents)) {
      watch_ = EventWatch::LineEvents;
    } else {
      watch_ = EventWatch::Off;
    }
    return false;
  }

  // Wine ends a pending event wait with an error when bytes arrive, so a failed wait
  // still means "look at the input". Only a run of failures with nothing received
  // shows that the device's events cannot be relied on.
  void FinishEventWait() noexcept {
    eventWaitPending_ = false;
    DWORD unused = 0;
    if (::GetOverlappedResult(device_.Get(), serialEvent_.Overlapped(), &unused, FALSE)) {
      failedEventWaits_ = 0;
    } else if (++failedEventWaits_ >= kFailedWaitsBeforePolling) {
      watch_ = EventWatch::Off;
    }
  }

  DeviceTransfer CollectWrite(std::size_t offered) noexcept {
    DWORD written = 0;
    if (::GetOverlappedResult(device_.Get(), writing_.Overlapped(), &written, FALSE)) {
      writePending_ = false;
      return {.bytes = std::min<std::size_t>(written, offered)};
    }
    const DWORD error = ::GetLastError();
    if (error == ERROR_IO_INCOMPLETE) {
      return {};
    }
    writePending_ = false;
    return Failed(error, std::min<std::size_t>(writeLength_, offered));
  }

  // A driver set to abort on line errors ends reads and writes with
  // ERROR_OPERATION_ABORTED until the error is cleared, which the next receive pass
  // does: the read delivers nothing, the write's bytes are dropped. Any other failure
  // means the device is gone.
  static DeviceTransfer Failed(DWORD error, std::size_t dropped) noexcept {
    if (error == ERROR_OPERATION_ABORTED) {
      return {.bytes = dropped};
    }
    return {.lost = true};
  }

  // Ends an operation in progress and waits until the driver has let go of its buffer.
  void Abandon(Completion& operation) const noexcept {
    ::CancelIoEx(device_.Get(), operation.Overlapped());
    DWORD unused = 0;
    ::GetOverlappedResult(device_.Get(), operation.Overlapped(), &unused, TRUE);
  }

  int Purge(DWORD queues) const noexcept { return ::PurgeComm(device_.Get(), queues) ? 0 : LastError(); }

  UniqueHandle device_;
  UniqueHandle wakeUp_ = CreateSignal(false);

  // Touched by the worker only, and by the destructor once the worker has ended.
  Completion serialEvent_;
  DWORD eventsSeen_ = 0;
  bool eventWaitPending_ = false;
  EventWatch watch_ = EventWatch::AllEvents;
  int failedEventWaits_ = 0;
  // When the last bytes were received or handed over for sending.
  std::chrono::steady_clock::time_point lastUse_{};
  Completion reading_;

  // The write in progress, which a discard on the user-interface thread may end.
  std::mutex writeLock_;
  Completion writing_;
  std::vector<char> writeBuffer_;
  bool writePending_ = false;
  std::size_t writeLength_ = 0;
};

}  // namespace

std::unique_ptr<PortDevice> OpenPortDevice(const std::string& path, const TSerialPortSettings& settings) {
  return std::make_unique<CommDevice>(path, settings);
}

DeviceProbe ProbePortDevice(const std::string& path) noexcept {
  const UniqueHandle device = OpenDevice(path);
  if (!device) {
    const int error = LastError();
    return {AvailabilityAfterOpenError(error), error};
  }
  return {PortAvailability::Available, 0};
}

}  // namespace orvel
