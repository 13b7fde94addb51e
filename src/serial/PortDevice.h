#pragma once

#include "serial/PortAvailability.h"
#include "serial/PortSettings.h"

#include <cstddef>
#include <memory>
#include <span>
#include <string>

namespace orvel {

// What a wait on the device ended with. Several may hold at once.
struct DeviceActivity {
  bool inputReady = false;
  bool outputReady = false;
  // Hung up, removed or failed: the device will deliver and accept nothing more.
  bool lost = false;
};

struct DeviceTransfer {
  std::size_t bytes = 0;
  bool lost = false;
};

// One open serial device, held exclusively, at the line settings it was opened
// with. The seam between the port object and the host: each platform has one
// backend file that implements it. Wait and the transfers are called by the
// port's worker thread only; Wake and the purges by the user-interface thread.
class PortDevice {
 public:
  PortDevice() = default;
  PortDevice(const PortDevice&) = delete;
  PortDevice& operator=(const PortDevice&) = delete;
  // Releases the device; unsent output still in the driver may be dropped.
  virtual ~PortDevice() = default;

  // Blocks until received bytes wait (when watchInput), the driver takes
  // output (when watchOutput), the device is lost, or Wake is called. With
  // watchDevice false only Wake ends the wait.
  virtual DeviceActivity Wait(bool watchInput, bool watchOutput, bool watchDevice) noexcept = 0;
  // Ends the current or the next Wait. Safe from any thread.
  virtual void Wake() noexcept = 0;

  // Never block: they move what the driver holds or has room for now.
  virtual DeviceTransfer Read(std::span<char> destination) noexcept = 0;
  virtual DeviceTransfer Write(std::span<const char> bytes) noexcept = 0;

  // Drop what the driver has received / still has to send. Return 0, or the
  // host error of the refusal.
  virtual int PurgeInput() noexcept = 0;
  virtual int PurgeOutput() noexcept = 0;
};

// Opens the device at path exclusively and applies the line settings and
// modem lines. Raises EBadId when it does not exist, EAlreadyOpen when another
// program holds it, EInOutError for settings the device cannot take and other
// host failures.
std::unique_ptr<PortDevice> OpenPortDevice(const std::string& path, const TSerialPortSettings& settings);

// What a probe of a device found. hostError is the error of the call that
// failed, 0 when none did, so that a failure can be explained to the operator.
struct DeviceProbe {
  PortAvailability availability = PortAvailability::Missing;
  int hostError = 0;
};

// Opens the device at path for a moment, as OpenPortDevice would, to see
// whether it could be used. Changes no setting and raises nothing.
DeviceProbe ProbePortDevice(const std::string& path) noexcept;

}  // namespace orvel
