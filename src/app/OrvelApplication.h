#pragma once

#include <QApplication>

namespace orvel {

// The application object. Every exception that escapes an event handler goes to the
// general error report, and the event loop goes on.
class OrvelApplication : public QApplication {
  Q_OBJECT
 public:
  OrvelApplication(int& argc, char** argv);

  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace orvel
