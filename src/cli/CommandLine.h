#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orvel::cli {

// What the operator asked for on the command line. Options may stand anywhere, as
// "--name value" or "--name=value"; "--" ends them.
struct CommandLine {
  std::string command;
  std::vector<std::string> operands;
  // The folder that holds the store's "Braketesting IDs" folder.
  std::optional<std::filesystem::path> store;
  std::optional<std::uint16_t> port;
  std::optional<std::string> device;
  // A group's position in the list, from 1, to choose among groups of the same name.
  std::optional<int> index;
  // read, send: the CSV file that takes the place of a group.
  std::optional<std::string> csv;
  bool force = false;
  // export: IDs as Excel's text form ="...".
  bool excel = false;
  // import: --header or --no-header, when the file's first line is in doubt.
  std::optional<bool> header;
  bool replace = false;
  bool yes = false;
  // send: read the IDs back afterwards and report the slots that differ.
  bool verify = false;
  bool help = false;
  bool version = false;
  std::chrono::seconds searchTime{30};
};

// Throws ECommandFailed (BadInput) naming what is wrong and pointing at --help.
CommandLine ParseCommandLine(std::span<const std::string_view> arguments);

std::string HelpText();

}  // namespace orvel::cli
