#pragma once

#include <cstddef>
#include <cstdint>

namespace orvel {

// The request codes the tester understands, as written in decimal in a request line.
enum class RequestCode : unsigned {
  Identify = 1,
  Write = 2,
  Read = 3,
};

using TesterAddress = std::uint16_t;

inline constexpr TesterAddress IdentificationAddress = 0x0190;
// Sent once after identification and never awaited; its meaning belongs to the tester.
inline constexpr TesterAddress FollowUpAddress = 0x0107;
inline constexpr TesterAddress CompanyNameAddress = 0x01C2;
inline constexpr TesterAddress FirstTrailerAddress = 0xFF00;
inline constexpr TesterAddress FirstVehicleAddress = 0xFE00;
inline constexpr TesterAddress SlotAddressStep = 8;
inline constexpr std::size_t SlotCount = 32;
inline constexpr std::size_t IdTextLength = 16;

// Slot numbers run from 0 to SlotCount - 1. A larger number is refused: past the last
// vehicle slot the vehicle series runs into the trailer series and would overwrite it.
TesterAddress TrailerAddress(std::size_t slot);
TesterAddress VehicleAddress(std::size_t slot);

}  // namespace orvel
