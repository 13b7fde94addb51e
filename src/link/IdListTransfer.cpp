#include "link/IdListTransfer.h"

#include <cctype>
#include <tuple>
#include <utility>
#include <vector>

#include "link/LinkSession.h"
#include "link/LinkSessionHost.h"
#include "link/TransferEnds.h"
#include "tables/TesterText.h"

namespace orvel {
namespace {

constexpr const char* kTrailerColumn = "Trailer ID";
constexpr const char* kVehicleColumn = "Vehicle ID";

const TransferStops& ReadStops() {
  static const TransferStops stops{std::string("Unable to read data. ") + kGroupKept,
                                   std::string(kOutOfStep) + " " + kGroupKept + " Read again.",
                                   kGroupKept,
                                   {}};
  return stops;
}

std::string Slots(std::size_t first, std::size_t last) {
  return first == last ? "slot " + std::to_string(first)
                       : "slots " + std::to_string(first) + " to " + std::to_string(last);
}

// The first row that cannot be sent and why, or nothing when every row that goes to the
// tester can.
std::optional<std::string> UnsendableRow(const IdPairs& rows) {
  for (std::size_t row = 0; row < rows.size() && row < SlotCount; ++row) {
    for (const auto& [text, column] :
         {std::pair{&rows[row].trailer, kTrailerColumn}, {&rows[row].vehicle, kVehicleColumn}}) {
      if (const auto reason = TesterTextFault(*text)) {
        return "Row " + std::to_string(row + 1) + " cannot be sent: its " + column + " " + *reason +
               ". Correct the row, then send again. Nothing was sent.";
      }
    }
  }
  return std::nullopt;
}

std::string RowCountQuestion(std::size_t rows) {
  const std::string count = std::to_string(rows);
  if (rows > SlotCount) {
    return "This group has " + count + " rows but the tester holds 32 pairs: rows 33 to " + count +
           " will not be sent. Send the first 32 rows?";
  }
  return "This group has " + count + " rows but the tester holds 32 pairs: " + Slots(rows + 1, SlotCount) +
         " will be cleared in the tester. Send?";
}

// A Cancel that came before any write went out leaves nothing to tell.
TransferStops SendStops(std::size_t acknowledgedWrites, bool writeWentOut) {
  const std::string holds = TesterAfterPartialSend(acknowledgedWrites, writeWentOut);
  return {"Unable to send data. " + holds,
          std::string(kOutOfStep) + " Some slots may not hold the group's IDs. Send again to complete the list.",
          {},
          writeWentOut || acknowledgedWrites > 0 ? holds : std::string()};
}

}  // namespace

std::string TesterAfterPartialSend(std::size_t acknowledgedWrites, bool lastWriteInDoubt) {
  if (acknowledgedWrites >= 2 * SlotCount) return "The tester acknowledged every ID of the group.";
  const std::size_t whole = acknowledgedWrites / 2;
  const bool trailerOnly = acknowledgedWrites % 2 == 1;
  const std::size_t firstOld = whole + (trailerOnly ? 2 : 1);
  std::vector<std::string> parts;
  if (whole > 0) parts.push_back(Slots(1, whole) + (whole == 1 ? " holds" : " hold") + " the group's pairs");
  if (trailerOnly) parts.push_back(Slots(whole + 1, whole + 1) + " has its new Trailer ID beside its old Vehicle ID");
  if (firstOld <= SlotCount) {
    parts.push_back(Slots(firstOld, SlotCount) + (firstOld == SlotCount ? " still holds" : " still hold") +
                    " the tester's old IDs");
  }
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : "; ") + part;
  if (lastWriteInDoubt) text += " (the ID being sent when the transfer stopped may or may not have arrived)";
  text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
  return text + ". Send again to complete the list.";
}

std::optional<IdPairs> ReadIdList(LinkSession& session, const SlotProgress& progress) {
  std::optional<IdPairs> read;
  session.Run([&] {
    if (!session.Begin()) return;
    session.Host().SetStatusText("Receiving IDs on Com " + std::to_string(session.ComNumber()));
    IdPairs pairs(SlotCount);
    for (const auto& [column, address] :
         {std::pair{kTrailerColumn, &TrailerAddress}, {kVehicleColumn, &VehicleAddress}}) {
      for (std::size_t slot = 0; slot < SlotCount; ++slot) {
        const ExchangeResult result = session.Exchange(RequestCode::Read, address(slot));
        if (result.outcome != ExchangeOutcome::Answered) return StopTransfer(session, result.outcome, ReadStops());
        const std::string what = std::string("the ") + column + " of slot " + std::to_string(slot + 1);
        if (FailUnstorableAnswer(session, result.answer, what, kGroupKept)) return;
        (column == kTrailerColumn ? pairs[slot].trailer : pairs[slot].vehicle) = result.answer;
        if (progress) progress(slot + 1, column);
      }
    }
    if (ConcludeTransfer(session, "IDs successfully acquired", ReadStops())) read = std::move(pairs);
  });
  return read;
}

bool SendIdList(LinkSession& session, const IdPairs& rows, const SlotProgress& progress) {
  LinkSessionHost& host = session.Host();
  if (const auto unsendable = UnsendableRow(rows)) {
    host.ShowInformation(*unsendable);
    return false;
  }
  if (rows.size() != SlotCount && !host.Confirm(RowCountQuestion(rows.size()))) return false;
  bool sent = false;
  session.Run([&] {
    if (!session.Begin()) return;
    host.SetStatusText("Sending IDs on Com" + std::to_string(session.ComNumber()));
    std::size_t acknowledged = 0;
    for (std::size_t slot = 0; slot < SlotCount; ++slot) {
      const IdPair pair = slot < rows.size() ? rows[slot] : IdPair{};
      for (const auto& [column, text, address] : {std::tuple{kTrailerColumn, &pair.trailer, TrailerAddress(slot)},
                                                  {kVehicleColumn, &pair.vehicle, VehicleAddress(slot)}}) {
        const ExchangeResult result = session.Exchange(RequestCode::Write, address, *text);
        if (result.outcome != ExchangeOutcome::Answered) {
          return StopTransfer(session, result.outcome, SendStops(acknowledged, result.requestWritten));
        }
        ++acknowledged;
        if (progress) progress(slot + 1, column);
      }
    }
    sent = ConcludeTransfer(session, "IDs successfully sent", SendStops(acknowledged, false));
  });
  return sent;
}

}  // namespace orvel
