#pragma once

#include <cstddef>
#include <string>

namespace orvel::test {

// What the tester puts on the line, built here from the protocol's layout rather than by
// the program's own frame code, so that a fault in one is not hidden by the same fault in
// the other.

// ":", five bytes nobody reads, the data field, the byte sum of the data field modulo 256
// as two upper-case hex digits, and a carriage return.
std::string ReplyFrame(const std::string& dataField);
// A 29-byte frame whose 16 answer characters are answer, padded with blanks.
std::string ShortFrame(const std::string& answer);
// A 77-byte frame carrying 64 characters of instrument data, padded with '0'.
std::string LongFrame(const std::string& instrumentData);
// The same, from a tester that puts the request's address in the data field's first four
// characters.
std::string ShortFrameFor(unsigned address, const std::string& answer);
std::string LongFrameFor(unsigned address, const std::string& instrumentData);
// frame with the byte at the 1-based position replaced.
std::string WithByte(std::string frame, std::size_t position, char byte);

// Request lines as the tester expects them.
std::string ReadLine(unsigned address);
std::string WriteLine(unsigned address, const std::string& payload16);
inline const std::string IdentificationLine = "!000010190\r";
inline const std::string FollowUpLine = "!000010107\r";
// Where the tester keeps a slot's IDs, slots counted from 0, and its company name.
inline unsigned TrailerAddressOf(std::size_t slot) { return 0xFF00 + 8 * static_cast<unsigned>(slot); }
inline unsigned VehicleAddressOf(std::size_t slot) { return 0xFE00 + 8 * static_cast<unsigned>(slot); }
inline constexpr unsigned CompanyNameAddress = 0x01C2;

// Instrument data whose serial words 3132 and 3334 read "2143".
inline const std::string SerialOnly2143 = "313233343536";

}  // namespace orvel::test
