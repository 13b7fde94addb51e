#pragma once

#include <filesystem>
#include <memory>

#include "demo/ThrowAwayFolder.h"
#include "simulator/TesterSimulator.h"

namespace orvel {
class TIntroForm;
}

namespace orvel::demo {

class TrafficWindow;

// The program's own windows on a throw-away ID store, with a simulated tester on a
// pseudo-terminal as serial port 1 and a window that shows the tester's side of the
// line. Everything goes with the session: the windows, the tester and the store.
class DemoSession {
 public:
  DemoSession();
  ~DemoSession();
  DemoSession(const DemoSession&) = delete;
  DemoSession& operator=(const DemoSession&) = delete;

  // Shows the start window and, beside where the Configure IDs window will stand, the
  // tester's window.
  void Show();

  TIntroForm& IntroForm() { return *intro_; }
  TrafficWindow& Traffic() { return *traffic_; }
  sim::TesterSimulator& Tester() { return tester_; }
  // The top-level folder of the throw-away ID store.
  std::filesystem::path TopLevelFolder() const { return folder_.Path() / "Kestrin"; }

 private:
  ThrowAwayFolder folder_;
  sim::TesterSimulator tester_;
  std::unique_ptr<TrafficWindow> traffic_;
  std::unique_ptr<orvel::TIntroForm> intro_;
};

}  // namespace orvel::demo
