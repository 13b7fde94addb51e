// read, send and company: the window's transfers, headless.
#include <filesystem>
#include <iostream>
#include <optional>

#include "cli/CommandStore.h"
#include "cli/Commands.h"
#include "cli/CsvOperands.h"
#include "cli/LocalStamp.h"
#include "cli/OperandText.h"
#include "cli/PairComparison.h"
#include "cli/TesterTransfer.h"
#include "link/CompanyNameTransfer.h"
#include "link/IdListTransfer.h"
#include "link/LinkSession.h"
#include "link/LinkSessionHost.h"
#include "link/TesterAddresses.h"
#include "link/WireText.h"
#include "store/GroupManagement.h"
#include "store/IdListRows.h"
#include "store/StoreSchema.h"
#include "tables/FieldText.h"

namespace orvel::cli {
namespace {

const IdListFieldNames kFields{kTrailerIdField, kVehicleIdField};

// Reads the tester's pairs back after a Send and names every slot that differs.
void VerifySent(const CommandLine& line, const IdPairs& rows) {
  std::cerr << "Reading the IDs back to verify them.\n";
  const IdPairs held = ReadTesterPairs(line);
  std::string differences;
  for (const IdDifference& difference : DifferentIds(rows, held)) {
    differences += "\n  slot " + std::to_string(difference.slot) + ", " + difference.column + ": sent '" +
                   Latin1ToUtf8(difference.left) + "', the tester holds '" + Latin1ToUtf8(difference.right) + "'";
  }
  if (!differences.empty()) {
    throw ECommandFailed(ExitStatus::NoReply,
                         "The tester does not hold what was sent:" + differences + "\nSend the group again.");
  }
  std::cerr << "Verified: the tester holds the group's 32 pairs.\n";
}

// read --csv: the tester's pairs into a CSV file, with no group.
ExitStatus ReadIntoCsv(const CommandLine& line) {
  const std::string& file = *line.csv;
  // Refused before the transfer rather than after it.
  if (file != "-" && !line.force && std::filesystem::exists(std::filesystem::symlink_status(file))) {
    throw ECommandFailed(ExitStatus::BadInput,
                         "'" + file + "' already exists; nothing was read. Add --force to replace it.");
  }
  WriteCsvOperand(file, ReadTesterPairs(line), line.force);
  if (file != "-") std::cerr << "Read 32 pairs into " << file << ".\n";
  return ExitStatus::Success;
}

// send --csv: a CSV file's pairs into the tester, with no group.
ExitStatus SendFromCsv(const CommandLine& line) {
  const IdPairs rows = ReadCsvOperand(*line.csv);
  RunTesterTransfer(line, kIdListSteps, AnsweringFor(line),
                    [&](LinkSession& session, const SlotProgress& progress) { SendIdList(session, rows, progress); });
  std::cerr << "Sent the pairs of " << *line.csv << " into the tester.\n";
  if (line.verify) VerifySent(line, rows);
  return ExitStatus::Success;
}

}  // namespace

ExitStatus ReadGroup(const CommandLine& line) {
  if (line.csv) return ReadIntoCsv(line);
  // Refused before the store is taken: a name no group can have, a device that cannot be
  // used, leave no store made and no group added.
  const std::string name = NewGroupNameOperand(line.operands.at(0));
  CheckNamedDevice(line);
  CommandStore store(StoreTopLevel(line));
  store.OpenForWriting();
  std::optional<GroupEntry> group = store.FindGroupIfAny(name, line.index);
  const bool made = !group;
  if (made) {
    TTable scratch;
    AddGroup(store.GroupTable(), scratch, store.Folders().idLists, name, LocalStampClock(), kFields);
    group = store.Groups().back();
    std::cerr << "Made the new group '" << Latin1ToUtf8(name) << "'.\n";
  }
  try {
    TTable idList;
    OpenIdList(idList, store.Folders(), *group);
    std::optional<IdPairs> pairs;
    // A group made for this read has nothing to overwrite.
    RunTesterTransfer(line, kIdListSteps, made ? Answering::Yes : AnsweringFor(line),
                      [&](LinkSession& session, const SlotProgress& progress) {
                        if (const auto problem = IdListProblem(idList)) return session.Host().ShowInformation(*problem);
                        if (!session.Host().Confirm("Overwrite all current IDs?")) return;
                        pairs = ReadIdList(session, progress);
                      });
    idList.Close();
    StoreReadPairs(store.Folders().idLists, group->tableName, kFields, pairs.value());
  } catch (...) {
    if (made) {
      store.DeleteGroup(*group);
      std::cerr << "The new group '" << Latin1ToUtf8(name) << "' was removed again.\n";
    }
    throw;
  }
  std::cerr << "Read 32 pairs into group '" << Latin1ToUtf8(name) << "'.\n";
  return ExitStatus::Success;
}

ExitStatus SendGroup(const CommandLine& line) {
  if (line.csv) return SendFromCsv(line);
  const std::string name = GroupNameOperand(line.operands.at(0));
  CommandStore store(StoreTopLevel(line));
  store.OpenForReading();
  const GroupEntry group = store.FindGroup(name, line.index);
  TTable idList;
  OpenIdList(idList, store.Folders(), group);
  if (const auto problem = IdListProblem(idList)) throw ECommandFailed(ExitStatus::StoreError, *problem);
  const IdPairs rows = ReadIdListRows(store.Folders().idLists, group.tableName, kFields);
  RunTesterTransfer(line, kIdListSteps, AnsweringFor(line),
                    [&](LinkSession& session, const SlotProgress& progress) { SendIdList(session, rows, progress); });
  std::cerr << "Sent group '" << Latin1ToUtf8(name) << "' into the tester.\n";
  if (line.verify) VerifySent(line, rows);
  return ExitStatus::Success;
}

ExitStatus TransferCompanyName(const CommandLine& line) {
  if (!line.operands.empty()) {
    // Most often a shell variable that was never set, and it would clear the printouts' name.
    if (line.operands.front().empty()) {
      throw ECommandFailed(ExitStatus::BadInput,
                           "The company name is empty, and sending it would clear the tester's company name. To "
                           "clear it on purpose, send a single blank: orvel-ids company ' '. Nothing was sent.");
    }
    const std::string name = CompanyNameOperand(line.operands.front());
    RunTesterTransfer(line, 0, AnsweringFor(line),
                      [&](LinkSession& session, const SlotProgress&) { SendCompanyName(session, name); });
    return ExitStatus::Success;
  }
  std::optional<std::string> name;
  RunTesterTransfer(line, 0, AnsweringFor(line),
                    [&](LinkSession& session, const SlotProgress&) { name = ReadCompanyName(session); });
  std::cout << Latin1ToUtf8(WithoutTrailingBlanks(name.value_or(std::string()))) << '\n';
  return ExitStatus::Success;
}

}  // namespace orvel::cli
