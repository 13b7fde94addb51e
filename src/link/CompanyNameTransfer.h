#pragma once

#include <functional>
#include <string>

namespace orvel {

class LinkSession;

// Writes the company name into the tester, padded with blanks to 16 characters; an
// empty name writes 16 blanks. A name that cannot be sent (a control character, more
// than 16 characters) is refused with a message before the session starts.
void SendCompanyName(LinkSession& session, const std::string& companyName);

// Reads the company name from the tester and hands its 16 characters, trailing blanks
// included, to show. Nothing is handed over when the read fails or is cancelled.
void ReadCompanyName(LinkSession& session, const std::function<void(const std::string&)>& show);

}  // namespace orvel
