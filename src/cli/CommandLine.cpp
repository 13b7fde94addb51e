#include "cli/CommandLine.h"

#include <charconv>
#include <map>
#include <set>

#include "cli/ExitStatus.h"
#include "serial/PortDeviceMap.h"

namespace orvel::cli {
namespace {

constexpr int kLongestSearchSeconds = 24 * 60 * 60;

struct CommandRule {
  std::size_t fewestOperands;
  std::size_t mostOperands;
  std::set<std::string_view> options;
};

const std::map<std::string_view, CommandRule>& CommandRules() {
  static const std::map<std::string_view, CommandRule> rules{
      {"groups", {0, 0, {}}},
      {"export", {1, 2, {"--index", "--force", "--excel"}}},
      {"import", {2, 2, {"--index", "--replace", "--header", "--no-header"}}},
      {"ports", {0, 0, {"--device"}}},
      {"read", {0, 1, {"--index", "--port", "--device", "--yes", "--search-time", "--csv", "--force"}}},
      {"send", {0, 1, {"--index", "--port", "--device", "--yes", "--search-time", "--verify", "--csv"}}},
      {"company", {0, 1, {"--port", "--device", "--search-time"}}},
      {"diff", {2, 2, {"--index", "--port", "--device", "--search-time"}}},
  };
  return rules;
}

[[noreturn]] void Refuse(const std::string& problem) {
  throw ECommandFailed(ExitStatus::BadInput, problem + ". See 'orvel-ids --help'.");
}

int WholeNumber(std::string_view option, std::string_view text, int least, int most) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < least || value > most) {
    Refuse(std::string(option) + " takes a whole number from " + std::to_string(least) + " to " + std::to_string(most) +
           ", not '" + std::string(text) + "'");
  }
  return value;
}

bool TakesValue(std::string_view option) {
  static const std::set<std::string_view> valued{"--store", "--port", "--device", "--index", "--search-time", "--csv"};
  return valued.contains(option);
}

void SetOption(CommandLine& line, std::string_view option, std::string_view value) {
  // An empty value is most often a shell variable that was never set.
  if (TakesValue(option) && value.empty()) Refuse(std::string(option) + " needs a value, not an empty text");
  if (option == "--store") {
    line.store = std::filesystem::path(std::string(value));
  } else if (option == "--port") {
    line.port = static_cast<std::uint16_t>(WholeNumber(option, value, 1, kLastPortNumber));
  } else if (option == "--device") {
    line.device = std::string(value);
  } else if (option == "--csv") {
    line.csv = std::string(value);
  } else if (option == "--index") {
    line.index = WholeNumber(option, value, 1, 1'000'000'000);
  } else if (option == "--search-time") {
    line.searchTime = std::chrono::seconds(WholeNumber(option, value, 1, kLongestSearchSeconds));
  } else if (option == "--force") {
    line.force = true;
  } else if (option == "--excel") {
    line.excel = true;
  } else if (option == "--header" || option == "--no-header") {
    if (line.header && *line.header != (option == "--header")) Refuse("Give either --header or --no-header, not both");
    line.header = option == "--header";
  } else if (option == "--replace") {
    line.replace = true;
  } else if (option == "--verify") {
    line.verify = true;
  } else if (option == "--yes" || option == "-y") {
    line.yes = true;
  } else if (option == "--help" || option == "-h") {
    line.help = true;
  } else if (option == "--version") {
    line.version = true;
  } else {
    Refuse("Unknown option '" + std::string(option) + "'");
  }
}

void CheckAgainstRule(const CommandLine& line, const std::vector<std::string_view>& optionsGiven) {
  const auto rule = CommandRules().find(line.command);
  if (rule == CommandRules().end()) Refuse("Unknown command '" + line.command + "'");
  const CommandRule& expected = rule->second;
  if (line.operands.size() < expected.fewestOperands || line.operands.size() > expected.mostOperands) {
    Refuse("'" + line.command + "' takes " +
           (expected.fewestOperands == expected.mostOperands
                ? std::to_string(expected.fewestOperands)
                : std::to_string(expected.fewestOperands) + " or " + std::to_string(expected.mostOperands)) +
           (expected.mostOperands == 1 ? " operand" : " operands") + ", not " + std::to_string(line.operands.size()));
  }
  for (const std::string_view option : optionsGiven) {
    const std::string_view name = option == "-y" ? "--yes" : option;
    // A script may name its store on every command, whether or not the command uses it.
    if (name != "--store" && !expected.options.contains(name)) {
      Refuse("'" + line.command + "' does not take " + std::string(option));
    }
  }
  if (line.port && line.device) Refuse("Give either --port or --device, not both");
  if ((line.command == "read" || line.command == "send") && line.operands.empty() == !line.csv) {
    Refuse("'" + line.command + "' takes either a GROUP or --csv FILE");
  }
  if (line.csv && line.index) Refuse("--index chooses a group; it has no meaning with --csv");
  if (line.command == "read" && line.force && !line.csv) Refuse("--force replaces the --csv FILE; give both");
}

}  // namespace

CommandLine ParseCommandLine(std::span<const std::string_view> arguments) {
  CommandLine line;
  std::vector<std::string_view> optionsGiven;
  bool optionsEnded = false;
  std::vector<std::string> words;
  for (std::size_t at = 0; at < arguments.size(); ++at) {
    const std::string_view argument = arguments[at];
    if (optionsEnded || argument.empty() || argument[0] != '-' || argument == "-") {
      words.emplace_back(argument);
      continue;
    }
    if (argument == "--") {
      optionsEnded = true;
      continue;
    }
    const std::size_t equals = argument.find('=');
    const std::string_view option = argument.substr(0, equals);
    if (TakesValue(option)) {
      if (equals != std::string_view::npos) {
        SetOption(line, option, argument.substr(equals + 1));
      } else if (at + 1 < arguments.size()) {
        SetOption(line, option, arguments[++at]);
      } else {
        Refuse(std::string(option) + " needs a value");
      }
    } else if (equals != std::string_view::npos) {
      Refuse(std::string(option) + " takes no value");
    } else {
      SetOption(line, option, std::string_view());
    }
    if (option != "--help" && option != "-h" && option != "--version") optionsGiven.push_back(option);
  }
  if (line.help || line.version) return line;
  if (words.empty()) Refuse("No command given");
  line.command = words.front();
  line.operands.assign(words.begin() + 1, words.end());
  if (line.command == "help") {
    line.help = true;
    return line;
  }
  CheckAgainstRule(line, optionsGiven);
  return line;
}

std::string HelpText() {
  return R"(Usage: orvel-ids [OPTIONS] COMMAND [OPERANDS]

The command-line companion of Orvel IDs: ID lists to and from CSV files, the serial
ports, and the window's transfers with the brake tester, without the window.

Commands:
  groups                  List the groups: position, name, row count, table file.
  export GROUP [FILE]     Write the group's rows as CSV to FILE (standard output
                          when no FILE is given).
  import NAME FILE        Make a new group NAME from the CSV file FILE (standard
                          input when FILE is -).
  ports                   List the serial ports in search order and whether this
                          user can open each now.
  read GROUP              Read the tester's 32 pairs into GROUP (made when missing).
  read --csv FILE         Read them into the CSV file FILE (- for standard output).
  send GROUP              Send GROUP's pairs into the tester.
  send --csv FILE         Send the pairs of the CSV file FILE (- for standard input).
  company [NAME]          Read the tester's company name, or send NAME.
  diff A B                Show the slots in which A and B differ; each is 'tester',
                          a CSV file that exists (- for standard input), or a
                          group. Exit status 0 when they are alike, 1 when not.

Options:
  --store DIR             The folder holding the store's "Braketesting IDs" folder
                          (default: Kestrin in your home folder, as the window uses).
  --index N               Choose the group at position N of the list ('groups'
                          shows it) when several groups share a name.
  --force                 export, read --csv: replace FILE when it exists.
  --excel                 export: write each ID as ="ID", so that a spreadsheet
                          keeps IDs such as 00123 or =1+1 as text.
  --replace               import: replace the rows of the existing group NAME.
  --header, --no-header   import: the file's first line is a header, or holds IDs,
                          when it names a column but not as a header would.
  --port N                read, send, company: use port N (COM N) only.
  --device PATH           read, send, company, ports: use this serial device only,
                          as port 1.
  --search-time SECONDS   read, send, company: give up the search for the tester
                          after this long (default 30).
  -y, --yes               read, send: answer Yes to the transfer's question.
  --verify                send: read the 64 IDs back afterwards and name the slots
                          that differ (exit status 5 when any do).
  -h, --help              Show this help.
  --version               Show the version.
  --                      Ends the options: every word after it is an operand, so a
                          name or file may start with '-'.

CSV files: header "Slot,Trailer ID,Vehicle ID" (optional, any order and spelling such
as "Trailer,Vehicle"; a Slot column places each row in its slot), separated by commas,
semicolons or tabs, UTF-8, UTF-16 or Windows-1252. Rows after the 32nd stay in the
group but are not sent. Each ID holds at most 16 characters of the tester's 8-bit
(Latin-1) set, control characters excepted; ="ID" is read as ID.

Exit status: 0 success, 1 other failure (a failed write to standard output too),
2 bad input, 3 store error, 4 tester not found, 5 no reply from the tester,
6 cancelled, 7 the --device cannot be used.
)";
}

}  // namespace orvel::cli
