#pragma once

#include "link/TesterAddresses.h"

#include <string>
#include <string_view>

namespace orvel {

inline constexpr char RequestTerminator = '\r';

// "!0000", the code in decimal, the address as four upper-case hex digits, the payload,
// and a carriage return. Write requests carry exactly IdTextLength payload characters and
// the other codes none; a carriage return inside a payload would end the line early at the
// tester, so such payloads are refused with EProtocol rather than sent.
std::string BuildRequestLine(RequestCode code, TesterAddress address, std::string_view payload = {});

}  // namespace orvel
