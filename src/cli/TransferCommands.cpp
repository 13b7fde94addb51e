// read, send and company: the window's transfers, headless.
#include <iostream>

#include "cli/CommandStore.h"
#include "cli/Commands.h"
#include "cli/LocalStamp.h"
#include "cli/OperandText.h"
#include "cli/TesterTransfer.h"
#include "link/CompanyNameTransfer.h"
#include "link/IdListTransfer.h"
#include "store/GroupManagement.h"
#include "store/StoreSchema.h"
#include "tables/FieldText.h"

namespace orvel::cli {
namespace {

// Every ID of the list: 32 Trailer IDs and 32 Vehicle IDs.
constexpr std::size_t kIdListSteps = 64;

const IdListFields kFields{kTrailerIdField, kVehicleIdField};

std::string TrimmedRight(std::string text) {
  text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

}  // namespace

ExitStatus ReadGroup(const CommandLine& line) {
  const std::string name = GroupNameOperand(line.operands.at(0));
  CommandStore store(StoreTopLevel(line));
  store.OpenForWriting();
  std::optional<GroupEntry> group = store.FindGroupIfAny(name, line.index);
  const bool made = !group;
  if (made) {
    const std::string newName = NewGroupNameOperand(line.operands.at(0));
    TTable scratch;
    AddGroup(store.GroupTable(), scratch, store.Folders().idLists, newName, LocalStampClock(),
             {kTrailerIdField, kVehicleIdField});
    group = store.Groups().back();
    std::cerr << "Made the new group '" << Latin1ToUtf8(name) << "'.\n";
  }
  TTable idList;
  OpenIdList(idList, store.Folders(), *group);
  try {
    // A group made for this read has nothing to overwrite.
    RunTesterTransfer(line, kIdListSteps, made ? Answering::Yes : AnsweringFor(line),
                      [&](LinkSession& session) { ReadIdList(session, idList, kFields); });
  } catch (...) {
    if (made) {
      idList.Close();
      store.DeleteGroup(*group);
      std::cerr << "The new group '" << Latin1ToUtf8(name) << "' was removed again.\n";
    }
    throw;
  }
  std::cerr << "Read 32 pairs into group '" << Latin1ToUtf8(name) << "'.\n";
  return ExitStatus::Success;
}

ExitStatus SendGroup(const CommandLine& line) {
  const std::string name = GroupNameOperand(line.operands.at(0));
  CommandStore store(StoreTopLevel(line));
  store.OpenForReading();
  const GroupEntry group = store.FindGroup(name, line.index);
  TTable idList;
  OpenIdList(idList, store.Folders(), group);
  RunTesterTransfer(line, kIdListSteps, AnsweringFor(line),
                    [&](LinkSession& session) { SendIdList(session, idList, kFields); });
  std::cerr << "Sent group '" << Latin1ToUtf8(name) << "' into the tester.\n";
  return ExitStatus::Success;
}

ExitStatus TransferCompanyName(const CommandLine& line) {
  if (!line.operands.empty()) {
    const std::string name = CompanyNameOperand(line.operands.front());
    RunTesterTransfer(line, 0, AnsweringFor(line), [&](LinkSession& session) { SendCompanyName(session, name); });
    return ExitStatus::Success;
  }
  std::string name;
  RunTesterTransfer(line, 0, AnsweringFor(line), [&](LinkSession& session) {
    ReadCompanyName(session, [&name](const std::string& read) { name = read; });
  });
  std::cout << Latin1ToUtf8(TrimmedRight(name)) << '\n';
  return ExitStatus::Success;
}

}  // namespace orvel::cli
