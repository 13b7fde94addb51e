// Listing the ports of a host with 40 serial device nodes: 4 built-in ports, 30 USB
// adapters and 6 ACM devices, each a pseudo-terminal, under a made-up /dev and /sys.
// The processes are a made-up /proc of a busy desktop, 3 of them holding ports, and
// then this host's own /proc, where this process is the other end of every terminal it
// made, which holds none of them. Every port not held is probed, as in a real listing.
#include <linux/serial.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "BenchFigures.h"
#include "FakeDeviceTree.h"
#include "PtyPair.h"
#include "TempFolder.h"
#include "serial/PortInventorySources.h"

namespace orvel::bench {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRuns = 15;
constexpr int kBuiltInPorts = 4;
constexpr int kUsbAdapters = 30;
constexpr int kAcmDevices = 6;
constexpr int kPorts = kBuiltInPorts + kUsbAdapters + kAcmDevices;
constexpr int kProcesses = 400;
constexpr int kFilesPerProcess = 25;
constexpr int kHeldPorts = 3;

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::vector<std::unique_ptr<testing::PtyPair>> BuildHost(testing::FakeDeviceTree& host,
                                                         const std::filesystem::path& otherFile) {
  std::vector<std::unique_ptr<testing::PtyPair>> terminals;
  const auto terminal = [&terminals] {
    terminals.push_back(std::make_unique<testing::PtyPair>());
    return terminals.back()->SlavePath();
  };
  for (int port = 0; port < kBuiltInPorts; ++port) {
    host.AddBuiltInPort("ttyS" + std::to_string(port), PORT_16550A, terminal());
  }
  for (int port = 0; port < kUsbAdapters; ++port) {
    host.AddUsbTerminal("ttyUSB" + std::to_string(port),
                        {"0403", "6001", "FTDI", "FT232R USB UART", "A5028" + std::to_string(port), "ftdi_sio"},
                        terminal());
  }
  for (int port = 0; port < kAcmDevices; ++port) {
    host.AddUsbTerminal("ttyACM" + std::to_string(port), {"2341", "0043", "Arduino", "Uno", "", "cdc_acm"}, terminal());
  }
  for (int process = 0; process < kProcesses; ++process) {
    std::vector<std::string> openFiles(kFilesPerProcess, otherFile.string());
    if (process < kHeldPorts) openFiles.back() = terminals[static_cast<std::size_t>(process) * 10]->SlavePath();
    host.AddProcess(1000 + process, "process" + std::to_string(process), openFiles);
  }
  return terminals;
}

std::vector<double> TimeListings(const PortInventorySources& sources, int expectedBusy) {
  std::vector<double> times;
  for (int run = 0; run < kRuns; ++run) {
    const Clock::time_point start = Clock::now();
    const std::vector<PortReport> reports = SystemPortReports(sources);
    times.push_back(MillisecondsSince(start));
    int busy = 0;
    for (const PortReport& report : reports) busy += report.availability == PortAvailability::Busy ? 1 : 0;
    if (reports.size() != kPorts || busy != expectedBusy) {
      throw std::runtime_error("the listing showed " + std::to_string(reports.size()) + " ports, " +
                               std::to_string(busy) + " busy");
    }
  }
  return times;
}

}  // namespace
}  // namespace orvel::bench

int main() {
  using namespace orvel;
  try {
    const testing::TempFolder folder;
    testing::FakeDeviceTree host(folder / "host");
    const auto terminals = bench::BuildHost(host, folder.Path());
    PortInventorySources ownProcesses = host.Sources();
    ownProcesses.procFolder = "/proc";

    std::printf("Port listing, %d device nodes:\n", bench::kPorts);
    bench::PrintFigure("made-up /proc, 400 processes x 25 files, 3 holding", bench::TimeListings(host.Sources(), 3),
                       "ms", "under 100 ms");
    bench::PrintFigure("this host's /proc, all 40 probed", bench::TimeListings(ownProcesses, 0), "ms",
                       "under 100 ms");
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "ports benchmark: %s\n", error.what());
    return 1;
  }
}
