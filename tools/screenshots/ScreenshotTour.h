#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "demo/DemoSession.h"

class QWidget;

namespace orvel::screenshots {

// Walks through the program's windows on a demo session and saves a picture of each
// view the user guide shows: the start window, the three pages of the Configure IDs
// window (the Status page while IDs are being sent) and the simulated tester's window.
class ScreenshotTour {
 public:
  ScreenshotTour(demo::DemoSession& demo, std::filesystem::path outputFolder);

  // Runs the whole tour; returns the problems met, empty when every picture was saved.
  std::vector<std::string> Run();

 private:
  void InsideConfigureIds();
  void Save(QWidget& widget, const std::string& fileName);
  // Handles events until condition holds; false when it did not within the deadline.
  bool WaitUntil(const std::function<bool()>& condition, const std::string& what);

  demo::DemoSession& demo_;
  std::filesystem::path outputFolder_;
  std::vector<std::string> problems_;
};

}  // namespace orvel::screenshots
