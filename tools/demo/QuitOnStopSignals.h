#pragma once

#include <QObject>

class QSocketNotifier;

namespace orvel::demo {

// Ends the application's event loop on Ctrl+C, a termination request or a closed
// terminal, so that the demo tidies up (its folder, its simulated tester) on the way out
// instead of dying where it stands.
class QuitOnStopSignals : public QObject {
  Q_OBJECT
 public:
  // Holds those signals back from their default action. Call it first thing in main,
  // before any thread starts, so that every thread inherits the blocked set.
  static void BlockStopSignals();

  explicit QuitOnStopSignals(QObject* parent = nullptr);
  ~QuitOnStopSignals() override;
  QuitOnStopSignals(const QuitOnStopSignals&) = delete;
  QuitOnStopSignals& operator=(const QuitOnStopSignals&) = delete;

 private:
  void SignalArrived();

  int signalFd_ = -1;
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace orvel::demo
