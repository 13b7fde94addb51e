#pragma once

#include <string>

namespace orvel::cli {

// The program's 8-bit text of a group name given on the command line (UTF-8), refused as
// bad input with the window's message when it holds a character the tester's set lacks
// or a control character.
std::string GroupNameOperand(const std::string& utf8);

// The same for a name the command is about to make a group of: also at most 30 characters.
std::string NewGroupNameOperand(const std::string& utf8);

// The 8-bit text of a company name given on the command line, held to the same character
// rule; the length is left to the transfer's own check.
std::string CompanyNameOperand(const std::string& utf8);

// A group name or an ID in the program's 8-bit text as messages and listings show it: in
// UTF-8, between single quotes, so that blanks at its ends can be seen.
std::string Quoted(const std::string& latin1);

}  // namespace orvel::cli
