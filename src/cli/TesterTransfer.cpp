#include "cli/TesterTransfer.h"

#include <iostream>

#include "cli/Console.h"
#include "cli/ExitStatus.h"
#include "cli/ProgressDisplay.h"
#include "cli/StopRequests.h"
#include "link/LinkSession.h"
#include "link/PortLost.h"
#include "link/SerialLinkPort.h"
#include "link/TransferEnds.h"
#include "serial/PortDeviceMap.h"
#include "serial/PortInventory.h"
#include "serial/PortSettings.h"
#include "serial/TSerialPort.h"

namespace orvel::cli {
namespace {

// The ports a transfer may use: the host's in search order, or the one the operator named.
struct TesterLine {
  PortDeviceMap devices;
  std::uint8_t firstPort = 1;
};

TesterLine LineFor(const CommandLine& line) {
  if (line.device) {
    return {[device = *line.device](std::uint16_t port) -> std::optional<std::string> {
              if (port == 1) return device;
              return std::nullopt;
            },
            1};
  }
  if (line.port) {
    return {[system = SystemPortDevices(), only = *line.port](std::uint16_t port) -> std::optional<std::string> {
              if (port == only) return system(port);
              return std::nullopt;
            },
            static_cast<std::uint8_t>(*line.port)};
  }
  return {SystemPortDevices(), 1};
}

std::string WhereSearched(const CommandLine& line) {
  if (line.device) return "on " + *line.device;
  if (line.port) return "on COM" + std::to_string(*line.port);
  return "on any serial port";
}

[[noreturn]] void ThrowEnd(const CommandLine& line, const LinkSession& session, const HeadlessHost& host) {
  if (host.SearchGaveUp()) {
    throw ECommandFailed(ExitStatus::NotFound,
                         "The tester was not found " + WhereSearched(line) + " within " +
                             std::to_string(line.searchTime.count()) +
                             " s. Check that it is switched on and its cable is plugged in; 'orvel-ids ports' "
                             "lists the ports this user can open. Nothing was transferred.");
  }
  // A Send stopped part way has said what the tester now holds.
  const std::string cancelled = "Cancelled." + (host.LastMessage() ? " " + *host.LastMessage() : std::string());
  if (host.StopRequested()) throw ECommandFailed(ExitStatus::Cancelled, cancelled);
  switch (session.LastEnd()) {
    case SessionEnd::Failed: {
      const std::string message = host.LastMessage().value_or("The tester stopped answering");
      if (FailureExplainsItself(message)) throw ECommandFailed(ExitStatus::NoReply, message);
      throw ECommandFailed(ExitStatus::NoReply, message +
                                                    ": the tester stopped answering. Check the cable and that "
                                                    "the tester is idle, then run the command again.");
    }
    case SessionEnd::Cancelled:
      throw ECommandFailed(ExitStatus::Cancelled, cancelled);
    case SessionEnd::None:
      if (host.QuestionDeclined()) throw ECommandFailed(ExitStatus::Cancelled, "Answered No: nothing was transferred.");
      throw ECommandFailed(ExitStatus::BadInput,
                           host.LastMessage().value_or("The transfer was refused") + " (nothing was transferred)");
    case SessionEnd::Succeeded:
      break;
  }
  throw std::logic_error("RunTesterTransfer: a successful session taken for a failed one");
}

}  // namespace

Answering AnsweringFor(const CommandLine& line) {
  if (line.yes) return Answering::Yes;
  return StandardInputIsTerminal() && StandardErrorIsTerminal() ? Answering::Ask : Answering::Refuse;
}

void CheckNamedDevice(const CommandLine& line) {
  if (!line.device) return;
  // A search on a device that cannot be used would only end in "not found" after the
  // whole search time; its own cause is known at once.
  const PortReport device = DescribePortDevice(1, *line.device);
  if (device.availability == PortAvailability::Available) return;
  throw ECommandFailed(ExitStatus::DeviceUnusable, "The serial device '" + *line.device +
                                                       "' cannot be used: " + device.availabilityText +
                                                       ". Nothing was transferred. 'orvel-ids ports' lists the "
                                                       "serial ports.");
}

void RunTesterTransfer(const CommandLine& line, std::size_t steps, Answering answering,
                       const std::function<void(LinkSession&, const SlotProgress&)>& transfer) {
  CheckNamedDevice(line);
  const TesterLine testerLine = LineFor(line);
  StopRequests stops;
  ProgressDisplay progress(std::cerr, StandardErrorIsTerminal(), steps);
  HeadlessHost host(progress, stops, answering, line.searchTime);
  TSerialPort port(testerLine.devices);
  port.SetSettings(TesterPortSettings());
  SerialLinkPort linkPort(port, testerLine.devices);
  LinkSession session(linkPort, host, testerLine.firstPort);
  host.Attach(session);
  try {
    transfer(session, [&host](std::size_t slot, const std::string& column) { host.ShowSlotDone(slot, column); });
    // A failed transfer leaves its session open for the window's Cancel; here it ends.
    if (linkPort.IsOpen()) session.EndLinkSession();
  } catch (const EPortLost& lost) {
    throw ECommandFailed(ExitStatus::NoReply, lost.what());
  }
  progress.Finish();
  if (session.LastEnd() != SessionEnd::Succeeded || host.SearchGaveUp()) ThrowEnd(line, session, host);
}

IdPairs ReadTesterPairs(const CommandLine& line) {
  std::optional<IdPairs> held;
  RunTesterTransfer(line, kIdListSteps, Answering::Yes,
                    [&](LinkSession& session, const SlotProgress& progress) { held = ReadIdList(session, progress); });
  return held.value();
}

}  // namespace orvel::cli
