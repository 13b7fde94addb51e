#pragma once

#include "serial/PortInventorySources.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace orvel::testing {

// A /dev, /sys and /proc of a made-up Linux host under a folder, laid out as the
// kernel lays out the parts the port listing reads. Device nodes are links to real
// terminals (pseudo-terminals) or plain files.
class FakeDeviceTree {
 public:
  // What sysfs shows of a USB device; empty fields are left out of the tree.
  struct UsbDevice {
    std::string idVendor;
    std::string idProduct;
    std::string manufacturer;
    std::string product;
    std::string serial;
    std::string driver;
  };

  explicit FakeDeviceTree(std::filesystem::path root) : root_(std::move(root)) {
    for (const auto* folder : {"dev", "sys/class/tty", "sys/devices", "proc"}) {
      std::filesystem::create_directories(root_ / folder);
    }
  }

  PortInventorySources Sources() const { return {root_ / "dev", root_ / "sys", root_ / "proc"}; }
  std::filesystem::path Node(const std::string& name) const { return root_ / "dev" / name; }

  // A node in /dev with no sysfs entry: a link to target, or an empty file when target is empty.
  void AddNode(const std::string& name, const std::string& target = {}) const {
    if (target.empty()) {
      std::ofstream(Node(name)).flush();
    } else {
      std::filesystem::create_symlink(target, Node(name));
    }
  }

  // A built-in port whose sysfs shows UART type portType (0 for none behind the node).
  void AddBuiltInPort(const std::string& name, int portType, const std::string& target = {}) {
    AddNode(name, target);
    const auto platformDevice = root_ / "sys/devices/pnp0" / ("00:0" + std::to_string(++devices_));
    const auto tty = AddTerminalFolder(name, platformDevice / "tty" / name, platformDevice);
    Write(tty / "type", std::to_string(portType));
  }

  // A USB adapter (a ttyUSB name: a usb-serial port under the interface) or an ACM
  // device (a ttyACM name: the terminal right under the interface).
  void AddUsbTerminal(const std::string& name, const UsbDevice& usb, const std::string& target = {}) {
    AddNode(name, target);
    const std::string port = "1-" + std::to_string(++devices_);
    const auto device = root_ / "sys/devices/pci0000:00/0000:00:14.0/usb1" / port;
    const auto interface = device / (port + ":1.0");
    std::filesystem::create_directories(interface);
    for (const auto& [attribute, value] : {std::pair{"idVendor", usb.idVendor},
                                           {"idProduct", usb.idProduct},
                                           {"manufacturer", usb.manufacturer},
                                           {"product", usb.product},
                                           {"serial", usb.serial}}) {
      if (!value.empty()) Write(device / attribute, value);
    }
    const bool acm = name.starts_with("ttyACM");
    const auto driven = acm ? interface : interface / name;
    AddTerminalFolder(name, driven / "tty" / name, driven);
    if (!usb.driver.empty()) {
      const auto driver = root_ / "sys/bus" / (acm ? "usb" : "usb-serial") / "drivers" / usb.driver;
      std::filesystem::create_directories(driver);
      std::filesystem::create_directory_symlink(driver, driven / "driver");
    }
  }

  // A process with that command name (no comm file when empty) that has each of
  // openFiles open, as descriptors 3, 4, ...
  void AddProcess(long pid, const std::string& command, const std::vector<std::string>& openFiles) const {
    const auto process = root_ / "proc" / std::to_string(pid);
    std::filesystem::create_directories(process / "fd");
    if (!command.empty()) Write(process / "comm", command);
    int fd = 3;
    for (const std::string& file : openFiles) {
      std::filesystem::create_symlink(file, process / "fd" / std::to_string(fd++));
    }
  }

 private:
  static void Write(const std::filesystem::path& file, const std::string& value) {
    std::ofstream(file) << value << '\n';
  }

  // The terminal's own sysfs folder, its device link and its entry in class/tty.
  std::filesystem::path AddTerminalFolder(const std::string& name, const std::filesystem::path& tty,
                                          const std::filesystem::path& device) const {
    std::filesystem::create_directories(tty);
    std::filesystem::create_directory_symlink(device, tty / "device");
    std::filesystem::create_directory_symlink(tty, root_ / "sys/class/tty" / name);
    return tty;
  }

  std::filesystem::path root_;
  int devices_ = 0;
};

}  // namespace orvel::testing
