// orvel-ids-demo: the program's windows against a simulated tester and a throw-away ID
// store, for trying Orvel IDs without a tester.
#include <iostream>
#include <memory>

#include "app/ErrorReport.h"
#include "app/OrvelApplication.h"
#include "demo/DemoSession.h"
#include "demo/QuitOnStopSignals.h"

int main(int argc, char** argv) {
  orvel::demo::QuitOnStopSignals::BlockStopSignals();
  orvel::OrvelApplication application(argc, argv);
  orvel::demo::QuitOnStopSignals quitOnStopSignals;
  std::unique_ptr<orvel::demo::DemoSession> demo;
  if (!orvel::RunReportingErrors([&] { demo = std::make_unique<orvel::demo::DemoSession>(); })) return 1;
  // For a terminal beside the windows: the command line reaches the same tester.
  std::cout << "The simulated tester is on " << demo->Tester().DevicePath() << "; orvel-ids --device "
            << demo->Tester().DevicePath() << " ... talks to it." << std::endl;
  demo->Show();
  return application.exec();
}
