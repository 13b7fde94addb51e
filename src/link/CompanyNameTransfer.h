#pragma once

#include <optional>
#include <string>

namespace orvel {

class LinkSession;

// Writes the company name into the tester, padded with blanks to 16 characters; an
// empty name writes 16 blanks. A name that cannot be sent (a control character, more
// than 16 characters) is refused with a message before the session starts. True on
// success.
bool SendCompanyName(LinkSession& session, const std::string& companyName);

// Reads the company name from the tester: its 16 characters, trailing blanks included.
// Nothing when the read failed, came out of step or was cancelled.
std::optional<std::string> ReadCompanyName(LinkSession& session);

}  // namespace orvel
