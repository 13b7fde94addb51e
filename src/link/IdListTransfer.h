#pragma once

#include <string>

namespace orvel {

class LinkSession;
class TTable;

// The field names of the ID list table, as the window holds them.
struct IdListFields {
  std::string trailer;
  std::string vehicle;
};

// Both refuse, with one message and before anything else, a group whose table is no
// longer on disk or cannot be read. After a success or a Cancel the table's cursor is on
// the first row; after a failure, on the row whose ID failed.
//
// Read IDs: copies the tester's 32 pairs into the open ID list table, all Trailer IDs
// first, then all Vehicle IDs, each stored with its trailing blanks as soon as it
// arrives. Row n takes slot n; a table with fewer than 32 rows gets the missing rows
// appended, and rows after the 32nd keep their values.
void ReadIdList(LinkSession& session, TTable& idList, const IdListFields& fields);

// Send IDs: writes the open ID list table into the tester row by row, Trailer ID then
// Vehicle ID, each padded with blanks to 16 characters. The tester has 32 slots: rows
// after the 32nd are not sent, and the slots of rows a shorter table lacks are cleared
// with blanks, so the tester ends up holding exactly the table's first 32 pairs. When
// the table does not have 32 rows, the operator is told which and asked first. A row
// that cannot be sent (a control character, more than 16 characters) is named to the
// operator before the session starts, and nothing is sent.
void SendIdList(LinkSession& session, TTable& idList, const IdListFields& fields);

}  // namespace orvel
