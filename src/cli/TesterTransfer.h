#pragma once

#include <cstddef>
#include <functional>

#include "cli/CommandLine.h"
#include "cli/HeadlessHost.h"
#include "link/IdListTransfer.h"

namespace orvel {
class LinkSession;
}

namespace orvel::cli {

// Runs one transfer with the tester as the window runs it: a session on the serial
// ports the command line allows, the search, the transfer's requests, the end. Returns
// once it succeeded; throws ECommandFailed saying how it ended otherwise (not found, no
// reply, cancelled, refused before it began).
// The transfer is given the session and the progress display's slot steps.
void RunTesterTransfer(const CommandLine& line, std::size_t steps, Answering answering,
                       const std::function<void(LinkSession&, const SlotProgress&)>& transfer);

// Every ID of the list: 32 Trailer IDs and 32 Vehicle IDs.
inline constexpr std::size_t kIdListSteps = 64;

// Reads the tester's 32 pairs; throws as RunTesterTransfer does.
IdPairs ReadTesterPairs(const CommandLine& line);

// Throws ECommandFailed (DeviceUnusable) when the device named with --device cannot be
// used now, saying why.
void CheckNamedDevice(const CommandLine& line);

// How questions are answered: --yes, else on a terminal, else No.
Answering AnsweringFor(const CommandLine& line);

}  // namespace orvel::cli
