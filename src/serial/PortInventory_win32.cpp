// The serial ports as Windows has them: the COM ports whose devices exist, with the names
// the device manager shows where the device's driver gives one.
#include "serial/PortInventory.h"

#include <windows.h>
#include <setupapi.h>

#include <map>
#include <optional>
#include <string>

#include "serial/PortDevice.h"
#include "serial/PortDeviceMap.h"
#include "serial/PortReportText.h"
#include "serial/WideText.h"

namespace orvel {
namespace {

// The device setup class "Ports (COM & LPT)".
const GUID kPortsClass = {0x4d36e978, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};

// 3 for "COM3"; nothing for any other name.
std::optional<std::uint16_t> ComNumberOf(const std::wstring& name) {
  if (name.size() < 4 || name.compare(0, 3, L"COM") != 0) return std::nullopt;
  unsigned number = 0;
  for (std::size_t at = 3; at < name.size(); ++at) {
    if (name[at] < L'0' || name[at] > L'9' || number > 1000) return std::nullopt;
    number = number * 10 + static_cast<unsigned>(name[at] - L'0');
  }
  if (number == 0 || number > kLastPortNumber) return std::nullopt;
  return static_cast<std::uint16_t>(number);
}

// A text value of the key: a port's name, as "COM3".
std::optional<std::wstring> TextValue(HKEY key, const wchar_t* name) {
  wchar_t text[256] = {};
  DWORD bytes = sizeof text - sizeof(wchar_t);
  DWORD type = 0;
  if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &bytes) != ERROR_SUCCESS ||
      type != REG_SZ) {
    return std::nullopt;
  }
  return std::wstring(text);
}

// The device manager's name of each port whose driver names one: "USB Serial Port (COM3)".
void AddDeviceNames(std::map<std::uint16_t, std::string>& names) {
  const HDEVINFO devices = ::SetupDiGetClassDevsW(&kPortsClass, nullptr, nullptr, DIGCF_PRESENT);
  if (devices == INVALID_HANDLE_VALUE) return;
  SP_DEVINFO_DATA device{};
  device.cbSize = sizeof device;
  for (DWORD index = 0; ::SetupDiEnumDeviceInfo(devices, index, &device); ++index) {
    const HKEY key = ::SetupDiOpenDevRegKey(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
    if (key == INVALID_HANDLE_VALUE) continue;
    const std::optional<std::wstring> portName = TextValue(key, L"PortName");
    ::RegCloseKey(key);
    const std::optional<std::uint16_t> number = portName ? ComNumberOf(*portName) : std::nullopt;
    if (!number) continue;
    wchar_t friendlyName[256] = {};
    if (::SetupDiGetDeviceRegistryPropertyW(devices, &device, SPDRP_FRIENDLYNAME, nullptr,
                                            reinterpret_cast<BYTE*>(friendlyName), sizeof friendlyName - sizeof(wchar_t),
                                            nullptr)) {
      names[*number] = Utf8FromWide(friendlyName);
    }
  }
  ::SetupDiDestroyDeviceInfoList(devices);
}

PortReport Report(std::uint16_t comNumber, const std::string& devicePath, std::string description,
                  const DeviceProbe& probe) {
  return {comNumber, devicePath, std::move(description), probe.availability, ProbeText(devicePath, probe)};
}

}  // namespace

// Every port the search would find: each COM number whose device exists now (Windows
// creates the device of a COM port only while its hardware is there), with the device
// manager's name where it has one.
std::vector<PortReport> SystemPortReports() {
  std::map<std::uint16_t, std::string> names;
  AddDeviceNames(names);
  const PortDeviceMap devices = SystemPortDevices();
  std::vector<PortReport> reports;
  for (std::uint16_t number = 1; number <= kLastPortNumber; ++number) {
    const std::string path = *devices(number);
    const DeviceProbe probe = ProbePortDevice(path);
    const auto name = names.find(number);
    if (probe.availability == PortAvailability::Missing && name == names.end()) continue;
    reports.push_back(Report(number, path, name == names.end() ? std::string() : name->second, probe));
  }
  return reports;
}

PortReport DescribePortDevice(std::uint16_t comNumber, const std::string& devicePath) {
  return Report(comNumber, devicePath, {}, ProbePortDevice(devicePath));
}

}  // namespace orvel
