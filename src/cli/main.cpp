// orvel-ids: the command-line companion of the Orvel IDs window.
#include <clocale>
#include <iostream>
#include <map>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/ExitStatus.h"
#include "store/StoreFolders.h"

namespace orvel::cli {

std::filesystem::path StoreTopLevel(const CommandLine& line) {
  return line.store ? std::filesystem::absolute(*line.store).lexically_normal() : DefaultTopLevelFolder();
}

namespace {

ExitStatus Run(const CommandLine& line) {
  static const std::map<std::string, ExitStatus (*)(const CommandLine&)> commands{
      {"groups", ListGroups}, {"export", ExportGroup}, {"import", ImportGroup}, {"ports", ListPorts},
      {"read", ReadGroup},    {"send", SendGroup},     {"company", TransferCompanyName},
  };
  return commands.at(line.command)(line);
}

}  // namespace
}  // namespace orvel::cli

int main(int argc, char** argv) {
  using orvel::cli::ExitStatus;
  // Group tables made here carry creation stamps in the user's date and time formats.
  std::setlocale(LC_TIME, "");
  try {
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    const orvel::cli::CommandLine line = orvel::cli::ParseCommandLine(arguments);
    if (line.help) {
      std::cout << orvel::cli::HelpText();
      return 0;
    }
    if (line.version) {
      std::cout << "orvel-ids " ORVEL_VERSION "\n";
      return 0;
    }
    return static_cast<int>(orvel::cli::Run(line));
  } catch (const orvel::cli::ECommandFailed& failure) {
    std::cerr << "orvel-ids: " << failure.what() << '\n';
    return static_cast<int>(failure.Status());
  } catch (const std::exception& error) {
    std::cerr << "orvel-ids: " << error.what() << '\n';
    return static_cast<int>(ExitStatus::Failure);
  }
}
