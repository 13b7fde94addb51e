#include "serial/PortDescription.h"

#include "serial/PortErrors.h"

#include <linux/major.h>
#include <linux/serial.h>
#include <linux/serial_core.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <fstream>
#include <iterator>
#include <optional>
#include <string_view>

namespace orvel {

namespace {

namespace fs = std::filesystem;

// The names the kernel's 8250 driver gives its UART types.
std::optional<std::string_view> UartName(int portType) {
  switch (portType) {
    case PORT_8250:
      return "8250";
    case PORT_16450:
      return "16450";
    case PORT_16550:
      return "16550";
    case PORT_16550A:
      return "16550A";
    case PORT_CIRRUS:
      return "Cirrus";
    case PORT_16650:
      return "ST16650";
    case PORT_16650V2:
      return "ST16650V2";
    case PORT_16750:
      return "TI16750";
    case PORT_STARTECH:
      return "Startech";
    case PORT_16C950:
      return "16C950/954";
    case PORT_16654:
      return "ST16654";
    case PORT_16850:
      return "XR16850";
    case PORT_RSA:
      return "RSA";
    case PORT_NS16550A:
      return "NS16550A";
    case PORT_XSCALE:
      return "XScale";
    default:
      return std::nullopt;
  }
}

// A sysfs attribute as one line without surrounding blanks; empty when it is
// absent or unreadable. USB string descriptors come from the device itself and
// may hold anything.
std::string Attribute(const fs::path& file) {
  std::ifstream stream(file);
  const std::string text = OneLineMessage(std::string(std::istreambuf_iterator<char>(stream), {}));
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) {
    return {};
  }
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string Joined(std::string_view separator, std::initializer_list<std::string> parts) {
  std::string joined;
  for (const std::string& part : parts) {
    if (part.empty()) {
      continue;
    }
    if (!joined.empty()) {
      joined += separator;
    }
    joined += part;
  }
  return joined;
}

// The USB device a terminal's device sits under: the nearest folder above it
// that carries a USB vendor ID.
std::optional<fs::path> UsbDeviceAbove(const fs::path& device, const fs::path& sysRoot) {
  std::error_code error;
  for (fs::path folder = device; folder != sysRoot && folder.has_relative_path(); folder = folder.parent_path()) {
    if (fs::exists(folder / "idVendor", error)) {
      return folder;
    }
  }
  return std::nullopt;
}

std::string UsbDetails(const fs::path& device, const fs::path& sysRoot) {
  std::error_code error;
  const std::string driver = fs::read_symlink(device / "driver", error).filename().string();
  std::string maker;
  std::string serial;
  std::string usbId;
  if (const auto usbDevice = UsbDeviceAbove(device, sysRoot)) {
    maker = Joined(" ", {Attribute(*usbDevice / "manufacturer"), Attribute(*usbDevice / "product")});
    serial = Attribute(*usbDevice / "serial");
    const std::string vendor = Attribute(*usbDevice / "idVendor");
    const std::string product = Attribute(*usbDevice / "idProduct");
    if (!vendor.empty() && !product.empty()) {
      usbId = "USB ID " + vendor + ":" + product;
    }
  }
  std::string details = maker.empty() ? "" : ": " + maker;
  if (!serial.empty()) {
    details += ", serial " + serial;
  }
  const std::string identifiers = Joined(", ", {usbId, driver.empty() ? "" : "driver " + driver});
  if (!identifiers.empty()) {
    details += " (" + identifiers + ")";
  }
  return details;
}

std::string DescribeBuiltInPort(const PortInventorySources& sources, const std::string& name) {
  const auto portType = UartTypeFromSysfs(sources, name);
  if (portType == PORT_UNKNOWN) {
    return "built-in serial port without a UART";
  }
  const auto uart = portType ? UartName(*portType) : std::nullopt;
  return uart ? "built-in serial port (" + std::string(*uart) + " UART)" : "built-in serial port";
}

bool IsPseudoTerminal(const struct stat& status) {
  const unsigned deviceMajor = major(status.st_rdev);
  return S_ISCHR(status.st_mode) && deviceMajor >= UNIX98_PTY_SLAVE_MAJOR &&
         deviceMajor < UNIX98_PTY_SLAVE_MAJOR + UNIX98_PTY_MAJOR_COUNT;
}

}  // namespace

std::string DescribeTerminal(const PortInventorySources& sources, const std::string& name) {
  if (name.starts_with("ttyS")) {
    return DescribeBuiltInPort(sources, name);
  }
  std::string kind = "serial device " + name;
  if (name.starts_with("ttyUSB")) {
    kind = "USB serial adapter";
  } else if (name.starts_with("ttyACM")) {
    kind = "USB ACM device";
  }
  std::error_code error;
  const fs::path sysRoot = fs::canonical(sources.sysFolder, error);
  const fs::path device = fs::canonical(sources.sysFolder / "class/tty" / name / "device", error);
  if (error) {
    return kind;
  }
  return kind + UsbDetails(device, sysRoot);
}

std::string DescribeDeviceNode(const PortInventorySources& sources, const std::string& path) {
  struct stat status {};
  std::error_code error;
  const fs::path node = fs::canonical(path, error);
  if (error || ::stat(node.c_str(), &status) != 0) {
    return {};
  }
  if (IsPseudoTerminal(status)) {
    return "pseudo-terminal";
  }
  const std::string name = node.filename().string();
  if (fs::exists(sources.sysFolder / "class/tty" / name, error)) {
    return DescribeTerminal(sources, name);
  }
  return S_ISCHR(status.st_mode) ? std::string() : "not a serial device";
}

}  // namespace orvel
