#include "link/IdListTransfer.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "link/LinkPort.h"
#include "link/LinkSession.h"
#include "link/LinkSessionHost.h"
#include "link/WireText.h"
#include "tables/TTable.h"

namespace orvel {
namespace {

// Stops the grid following the table while the transfer walks its rows, and lets it
// follow again on every way out.
class ControlsHeld {
 public:
  explicit ControlsHeld(TTable& table) : table_(table) { table_.DisableControls(); }
  ~ControlsHeld() { table_.EnableControls(); }
  ControlsHeld(const ControlsHeld&) = delete;
  ControlsHeld& operator=(const ControlsHeld&) = delete;

 private:
  TTable& table_;
};

// One exchange of the transfer. A failure or Cancel ends the transfer here: the failed
// state with its message, or the cancel end.
WaitOutcome Exchange(LinkSession& session, RequestCode code, TesterAddress address, const std::string& failureMessage) {
  session.SendRequest(code, address);
  const WaitOutcome outcome = session.WaitForReply();
  if (outcome == WaitOutcome::NoReply) session.Fail(failureMessage);
  if (outcome == WaitOutcome::Cancelled) session.EndCancelled();
  return outcome;
}

// The grid goes back to the first row after a success or a Cancel; after a failure it
// stays on the row whose ID failed, so the operator sees where the transfer stopped.
void PlaceCursorAfter(WaitOutcome outcome, TTable& idList, std::size_t failedSlot) {
  if (outcome != WaitOutcome::NoReply) {
    idList.First();
  } else if (static_cast<int>(failedSlot) < idList.RecordCount()) {
    idList.SetRecNo(static_cast<int>(failedSlot) + 1);
  }
}

// Why the group's table cannot take part in a transfer, or nothing when it can: its file
// must still be there and readable, whatever happened to it since it was opened.
std::optional<std::string> IdListProblem(const TTable& idList) {
  const std::string which =
      "The ID list of this group (table \"" + idList.TableName() + "\" in " + idList.DatabaseName() + ")";
  if (!idList.Exists()) {
    return which + " is no longer on disk. Delete the group, or restore its file, then try again.";
  }
  try {
    TTable probe;
    probe.SetDatabaseName(idList.DatabaseName());
    probe.SetTableName(idList.TableName());
    probe.Open();
  } catch (const std::exception& error) {
    return which + " cannot be read: " + error.what() + " Delete the group, or restore its file, then try again.";
  }
  return std::nullopt;
}

// The first row that cannot be sent and why, with the cursor left on it, or nothing when
// every row that goes to the tester can.
std::optional<std::string> UnsendableRow(TTable& idList, const IdListFields& fields) {
  ControlsHeld held(idList);
  const int rows = std::min(idList.RecordCount(), static_cast<int>(SlotCount));
  for (int row = 1; row <= rows; ++row) {
    idList.SetRecNo(row);
    for (const auto& [field, name] : {std::pair{&fields.trailer, "Trailer ID"}, {&fields.vehicle, "Vehicle ID"}}) {
      if (const auto reason = UnsendableTextReason(idList.FieldByName(*field).AsString())) {
        return "Row " + std::to_string(row) + " cannot be sent: its " + name + " " + *reason +
               ". Correct the row, then send again. Nothing was sent.";
      }
    }
  }
  return std::nullopt;
}

void StoreInSlotRow(TTable& idList, std::size_t slot, const std::string& field, const std::string& text) {
  const int row = static_cast<int>(slot) + 1;
  if (row <= idList.RecordCount()) {
    idList.SetRecNo(row);
    idList.Edit();
  } else {
    idList.Append();
  }
  try {
    idList.FieldByName(field).SetAsString(text);
    idList.Post();
  } catch (...) {
    // The row must show what is stored, not an ID the store refused.
    idList.Cancel();
    throw;
  }
}

std::string SlotRowText(TTable& idList, std::size_t slot, const std::string& field) {
  const int row = static_cast<int>(slot) + 1;
  if (row > idList.RecordCount()) return std::string();
  idList.SetRecNo(row);
  return idList.FieldByName(field).AsString();
}

// Reads one address series into one column, storing each ID as it arrives.
WaitOutcome ReadSeries(LinkSession& session, TTable& idList, const std::string& field,
                       TesterAddress (*address)(std::size_t), std::size_t& slot) {
  idList.First();
  for (slot = 0; slot < SlotCount; ++slot) {
    const WaitOutcome outcome = Exchange(session, RequestCode::Read, address(slot), "Unable to read data");
    if (outcome != WaitOutcome::Reply) return outcome;
    StoreInSlotRow(idList, slot, field, session.AnswerText());
    session.Host().ShowSlotDone(slot + 1, field);
  }
  return WaitOutcome::Reply;
}

WaitOutcome SendText(LinkSession& session, const std::string& text, TesterAddress address) {
  session.PayloadText = text;
  PadTo16(session.PayloadText);
  return Exchange(session, RequestCode::Write, address, "Unable to send data");
}

std::string RowCountQuestion(int rows) {
  const std::string count = std::to_string(rows);
  if (rows > static_cast<int>(SlotCount)) {
    return "This group has " + count + " rows but the tester holds 32 pairs: rows 33 to " + count +
           " will not be sent. Send the first 32 rows?";
  }
  const std::string firstEmpty = std::to_string(rows + 1);
  return "This group has " + count + " rows but the tester holds 32 pairs: slots " + firstEmpty +
         " to 32 will be cleared in the tester. Send?";
}

}  // namespace

void ReadIdList(LinkSession& session, TTable& idList, const IdListFields& fields) {
  LinkSessionHost& host = session.Host();
  if (!idList.Active()) {
    host.ShowInformation("Please select a group to write to");
    return;
  }
  if (const auto problem = IdListProblem(idList)) {
    host.ShowInformation(*problem);
    return;
  }
  if (!host.Confirm("Overwrite all current IDs?")) return;
  session.Run([&] {
    if (!session.Begin()) return;
    host.SetStatusText("Receiving IDs on Com " + std::to_string(session.Port().ComNumber()));
    ControlsHeld held(idList);
    std::size_t slot = 0;
    WaitOutcome outcome = ReadSeries(session, idList, fields.trailer, TrailerAddress, slot);
    if (outcome == WaitOutcome::Reply) outcome = ReadSeries(session, idList, fields.vehicle, VehicleAddress, slot);
    if (outcome == WaitOutcome::Reply) session.Succeed("IDs successfully acquired");
    PlaceCursorAfter(outcome, idList, slot);
  });
}

void SendIdList(LinkSession& session, TTable& idList, const IdListFields& fields) {
  LinkSessionHost& host = session.Host();
  if (!idList.Active()) {
    host.ShowInformation("Please select a group to read from");
    return;
  }
  if (const auto problem = IdListProblem(idList)) {
    host.ShowInformation(*problem);
    return;
  }
  if (const auto unsendable = UnsendableRow(idList, fields)) {
    host.ShowInformation(*unsendable);
    return;
  }
  idList.First();
  if (idList.RecordCount() != static_cast<int>(SlotCount) && !host.Confirm(RowCountQuestion(idList.RecordCount()))) {
    return;
  }
  session.Run([&] {
    if (!session.Begin()) return;
    host.SetStatusText("Sending IDs on Com" + std::to_string(session.Port().ComNumber()));
    WaitOutcome outcome = WaitOutcome::Reply;
    {
      ControlsHeld held(idList);
      std::size_t slot = 0;
      for (; slot < SlotCount; ++slot) {
        outcome = SendText(session, SlotRowText(idList, slot, fields.trailer), TrailerAddress(slot));
        if (outcome == WaitOutcome::Reply) {
          host.ShowSlotDone(slot + 1, fields.trailer);
          outcome = SendText(session, SlotRowText(idList, slot, fields.vehicle), VehicleAddress(slot));
        }
        if (outcome == WaitOutcome::Reply) host.ShowSlotDone(slot + 1, fields.vehicle);
        if (outcome != WaitOutcome::Reply) break;
      }
      PlaceCursorAfter(outcome, idList, slot);
    }
    if (outcome == WaitOutcome::Reply) session.Succeed("IDs successfully sent");
  });
}

}  // namespace orvel
