#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "store/IdPairs.h"

namespace orvel {

class LinkSession;

// A transfer has read or sent the ID of this slot (1 to 32) in this column ("Trailer ID"
// or "Vehicle ID"), for front ends that show progress.
using SlotProgress = std::function<void(std::size_t slot, const std::string& column)>;

// Said of the group whenever a Read does not complete.
inline constexpr const char* kGroupKept = "The group was not changed.";

// Read IDs: the tester's 32 pairs, all Trailer IDs first, then all Vehicle IDs, each with
// its trailing blanks. Only a whole list comes back, so that the caller stores all 32
// pairs in one step or nothing: a pair is never half new. Nothing comes back when the
// read failed, came out of step or was cancelled; the session has then told the operator
// that the group was not changed.
std::optional<IdPairs> ReadIdList(LinkSession& session, const SlotProgress& progress = {});

// Send IDs: writes a group's rows into the tester row by row, Trailer ID then Vehicle ID,
// each padded with blanks to 16 characters. The tester has 32 slots: rows after the 32nd
// are not sent, and the slots of rows a shorter group lacks are cleared with blanks, so
// the tester ends up holding exactly the group's first 32 pairs. When the group does not
// have 32 rows, the operator is told which and asked first. A row that cannot be sent (a
// control character, more than 16 characters) is named to the operator before the
// session starts, and nothing is sent. A Send that stops part way says which slots the
// tester acknowledged and which still hold their old IDs. True on success.
bool SendIdList(LinkSession& session, const IdPairs& rows, const SlotProgress& progress = {});

// What the tester holds after a Send that stopped once this many of its 64 writes (Trailer
// ID then Vehicle ID of each slot in turn) had been acknowledged, with the next write
// gone out unacknowledged or not.
std::string TesterAfterPartialSend(std::size_t acknowledgedWrites, bool lastWriteInDoubt);

}  // namespace orvel
