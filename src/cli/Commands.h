#pragma once

#include "cli/CommandLine.h"
#include "cli/ExitStatus.h"

namespace orvel::cli {

// Each runs one command to its end and returns Success, or throws ECommandFailed with
// the status and the message for the operator.
ExitStatus ListGroups(const CommandLine& line);
ExitStatus ExportGroup(const CommandLine& line);
ExitStatus ImportGroup(const CommandLine& line);
ExitStatus ListPorts(const CommandLine& line);
ExitStatus ReadGroup(const CommandLine& line);
ExitStatus SendGroup(const CommandLine& line);
ExitStatus TransferCompanyName(const CommandLine& line);
ExitStatus DiffLists(const CommandLine& line);

// The store the command names: --store, or the one the window uses.
std::filesystem::path StoreTopLevel(const CommandLine& line);

}  // namespace orvel::cli
