// orvel-screenshots FOLDER: saves the user guide's pictures of the program's windows into
// FOLDER, made on a demo session so that they show the simulated tester's example IDs.
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

#include "app/OrvelApplication.h"
#include "demo/DemoSession.h"
#include "screenshots/ExampleGroup.h"
#include "screenshots/ScreenshotTour.h"
#include "store/StoreFolders.h"

int main(int argc, char** argv) {
  orvel::OrvelApplication application(argc, argv);
  if (argc != 2) {
    std::cerr << "Usage: orvel-screenshots FOLDER\nSaves pictures of the program's windows into FOLDER.\n";
    return 2;
  }
  try {
    const std::filesystem::path output = argv[1];
    std::filesystem::create_directories(output);
    orvel::demo::DemoSession demo;
    orvel::screenshots::AddExampleGroup(orvel::StoreFoldersUnder(demo.TopLevelFolder()), "Depot North");
    const std::vector<std::string> problems = orvel::screenshots::ScreenshotTour(demo, output).Run();
    for (const std::string& problem : problems) std::cerr << "orvel-screenshots: " << problem << '\n';
    return problems.empty() ? 0 : 1;
  } catch (const std::exception& error) {
    std::cerr << "orvel-screenshots: " << error.what() << '\n';
    return 1;
  }
}
