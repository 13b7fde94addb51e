#pragma once

#include <QWidget>
#include <chrono>

#include "simulator/TesterSimulator.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTableWidget;

namespace orvel::demo {

// The simulated tester's side of the demo: what it holds (company name and the 32 slots)
// and every request line it received and reply it sent, newest at the bottom.
class TrafficWindow : public QWidget {
  Q_OBJECT
 public:
  // tester must outlive the window, and must stop before the window goes, since it
  // reports its traffic from a thread of its own.
  explicit TrafficWindow(sim::TesterSimulator& tester, const QString& note);

  // May be called from any thread: the event is handed to the window's own thread.
  void Post(const sim::TrafficEvent& event);

  QLabel* Note = nullptr;
  QLineEdit* CompanyName = nullptr;
  QTableWidget* Slots = nullptr;
  QPlainTextEdit* TrafficLog = nullptr;

 private:
  void Show(const sim::TrafficEvent& event);
  void ShowTesterMemory();

  sim::TesterSimulator& tester_;
  std::chrono::steady_clock::time_point start_;
};

}  // namespace orvel::demo
