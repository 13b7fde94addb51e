#include "simulator/SimulatorCommandLine.h"
#include "simulator/TesterSimulator.h"
#include "simulator/TrafficDisplay.h"

#include <pthread.h>
#include <csignal>
#include <exception>
#include <iostream>
#include <string_view>
#include <vector>

namespace {

// Ctrl+C and termination are taken by sigwait on the main thread. They are blocked before
// the simulator's thread starts so that it inherits the mask and is never interrupted.
sigset_t BlockStopSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  return signals;
}

int RunSimulator(const orvel::sim::SimulatorSetup& setup) {
  const sigset_t stopSignals = BlockStopSignals();
  orvel::sim::TesterSimulator simulator;
  setup.ApplyTo(simulator);

  const auto start = std::chrono::steady_clock::now();
  simulator.SetTrafficObserver(
      [start](const orvel::sim::TrafficEvent& event) { orvel::sim::ShowTraffic(std::cout, event, start); });
  std::cout << "Simulated tester ready. Open this device as the serial port: " << simulator.DevicePath() << '\n'
            << "Press Ctrl+C to stop." << std::endl;
  simulator.Start();

  int received = 0;
  sigwait(&stopSignals, &received);
  simulator.Stop();

  std::cout << "\nStopped after " << simulator.RequestCount() << " request lines and "
            << simulator.InjectedFaults().size() << " injected faults." << std::endl;
  const std::string failure = simulator.Failure();
  if (!failure.empty()) {
    std::cerr << failure << std::endl;
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    const orvel::sim::SimulatorSetup setup = orvel::sim::ParseCommandLine(arguments);
    if (setup.helpRequested) {
      std::cout << orvel::sim::CommandLineHelp();
      return 0;
    }
    return RunSimulator(setup);
  } catch (const std::exception& error) {
    std::cerr << error.what() << std::endl;
    return 1;
  }
}
