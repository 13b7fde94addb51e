#include "link/TesterAddresses.h"

#include "link/ProtocolError.h"

#include <string>

namespace orvel {
namespace {

TesterAddress SlotAddress(TesterAddress first, std::size_t slot) {
  if (slot >= SlotCount) {
    throw EProtocol("The tester has " + std::to_string(SlotCount) + " ID slots (0 to " + std::to_string(SlotCount - 1) +
                    "); slot " + std::to_string(slot) + " does not exist. A group must not hold more than " +
                    std::to_string(SlotCount) + " rows.");
  }
  return static_cast<TesterAddress>(first + slot * SlotAddressStep);
}

}  // namespace

TesterAddress TrailerAddress(std::size_t slot) { return SlotAddress(FirstTrailerAddress, slot); }

TesterAddress VehicleAddress(std::size_t slot) { return SlotAddress(FirstVehicleAddress, slot); }

}  // namespace orvel
