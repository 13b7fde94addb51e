// orvel-ids: the command-line companion of the Orvel IDs window.
#include <cerrno>
#include <clocale>
#include <cstring>
#include <iostream>
#include <map>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/Console.h"
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
      {"read", ReadGroup},    {"send", SendGroup},     {"company", TransferCompanyName}, {"diff", DiffLists},
  };
  return commands.at(line.command)(line);
}

// What a command wrote to standard output reached it only when the stream is still good
// once flushed: a full disk or a closed output must not look like a listing or a backup
// that worked.
void CheckOutputWritten() {
  errno = 0;
  std::cout.flush();
  if (std::cout) return;
  const int error = errno;
  throw ECommandFailed(ExitStatus::Failure,
                       std::string("Cannot write to standard output") + (error != 0 ? ": " + std::string(std::strerror(error)) : "") +
                           ". What the command wrote there is incomplete; check the disk or the pipe, then run it again.");
}

}  // namespace
}  // namespace orvel::cli

int main(int argc, char** argv) {
  using orvel::cli::ExitStatus;
  // Group tables made here carry creation stamps in the user's date and time formats.
  std::setlocale(LC_TIME, "");
  try {
    orvel::cli::PrepareConsole();
    const std::vector<std::string> words = orvel::cli::CommandWords(argc, argv);
    const std::vector<std::string_view> arguments(words.begin(), words.end());
    const orvel::cli::CommandLine line = orvel::cli::ParseCommandLine(arguments);
    ExitStatus status = ExitStatus::Success;
    if (line.help) {
      std::cout << orvel::cli::HelpText();
    } else if (line.version) {
      std::cout << "orvel-ids " ORVEL_VERSION "\n";
    } else {
      status = orvel::cli::Run(line);
    }
    orvel::cli::CheckOutputWritten();
    return static_cast<int>(status);
  } catch (const orvel::cli::ECommandFailed& failure) {
    std::cerr << "orvel-ids: " << failure.what() << '\n';
    return static_cast<int>(failure.Status());
  } catch (const std::exception& error) {
    std::cerr << "orvel-ids: " << error.what() << '\n';
    return static_cast<int>(ExitStatus::Failure);
  }
}
