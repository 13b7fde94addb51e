#include "link/IdListTransfer.h"

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

// One exchange of the transfer; false when the transfer has ended here, by failure or
// by Cancel.
bool Exchange(LinkSession& session, RequestCode code, TesterAddress address, const std::string& failureMessage) {
  session.SendRequest(code, address);
  switch (session.WaitForReply()) {
    case WaitOutcome::Reply:
      return true;
    case WaitOutcome::NoReply:
      session.Fail(failureMessage);
      return false;
    case WaitOutcome::Cancelled:
      session.EndCancelled();
      return false;
  }
  return false;
}

void StoreInSlotRow(TTable& idList, std::size_t slot, const std::string& field, const std::string& text) {
  const int row = static_cast<int>(slot) + 1;
  if (row <= idList.RecordCount()) {
    idList.SetRecNo(row);
    idList.Edit();
  } else {
    idList.Append();
  }
  idList.FieldByName(field).SetAsString(text);
  idList.Post();
}

std::string SlotRowText(TTable& idList, std::size_t slot, const std::string& field) {
  const int row = static_cast<int>(slot) + 1;
  if (row > idList.RecordCount()) return std::string();
  idList.SetRecNo(row);
  return idList.FieldByName(field).AsString();
}

// Reads one address series into one column; false when the transfer ended early.
bool ReadSeries(LinkSession& session, TTable& idList, const std::string& field, TesterAddress (*address)(std::size_t)) {
  idList.First();
  for (std::size_t slot = 0; slot < SlotCount; ++slot) {
    if (!Exchange(session, RequestCode::Read, address(slot), "Unable to read data")) return false;
    StoreInSlotRow(idList, slot, field, session.AnswerText());
  }
  return true;
}

bool SendText(LinkSession& session, const std::string& text, TesterAddress address) {
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
  if (!host.Confirm("Overwrite all current IDs?")) return;
  session.Run([&] {
    if (!session.Begin()) return;
    host.SetStatusText("Receiving IDs on Com " + std::to_string(session.Port().ComNumber()));
    ControlsHeld held(idList);
    const bool done = ReadSeries(session, idList, fields.trailer, TrailerAddress) &&
                      ReadSeries(session, idList, fields.vehicle, VehicleAddress);
    if (done) session.Succeed("IDs successfully acquired");
    idList.First();
  });
}

void SendIdList(LinkSession& session, TTable& idList, const IdListFields& fields) {
  LinkSessionHost& host = session.Host();
  if (!idList.Active()) {
    host.ShowInformation("Please select a group to read from");
    return;
  }
  idList.First();
  if (idList.RecordCount() != static_cast<int>(SlotCount) && !host.Confirm(RowCountQuestion(idList.RecordCount()))) {
    return;
  }
  session.Run([&] {
    if (!session.Begin()) return;
    host.SetStatusText("Sending IDs on Com" + std::to_string(session.Port().ComNumber()));
    bool done = true;
    {
      ControlsHeld held(idList);
      for (std::size_t slot = 0; done && slot < SlotCount; ++slot) {
        done = SendText(session, SlotRowText(idList, slot, fields.trailer), TrailerAddress(slot)) &&
               SendText(session, SlotRowText(idList, slot, fields.vehicle), VehicleAddress(slot));
      }
      idList.First();
    }
    if (done) session.Succeed("IDs successfully sent");
  });
}

}  // namespace orvel
