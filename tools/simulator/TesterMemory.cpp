#include "simulator/TesterMemory.h"

#include "simulator/SystemError.h"

#include <utility>

namespace orvel::sim {
namespace {

std::string FittedText(std::string_view text, std::size_t width, const char* what) {
  if (text.size() > width) {
    throw ESimulator(std::string("Tester simulator: the ") + what + " \"" + std::string(text) + "\" has " +
                     std::to_string(text.size()) + " characters; the tester holds " + std::to_string(width) + ".");
  }
  std::string fitted(text);
  fitted.append(width - text.size(), ' ');
  return fitted;
}

std::size_t CheckedSlot(std::size_t slot) {
  if (slot >= TesterSlotCount) {
    throw ESimulator("Tester simulator: slot " + std::to_string(slot) + " does not exist; slots run from 0 to " +
                     std::to_string(TesterSlotCount - 1) + ".");
  }
  return slot;
}

std::optional<std::size_t> SlotOf(std::uint16_t address, std::uint16_t seriesStart) {
  if (address < seriesStart || (address - seriesStart) % SlotStep != 0) {
    return std::nullopt;
  }
  const std::size_t slot = static_cast<std::size_t>(address - seriesStart) / SlotStep;
  return slot < TesterSlotCount ? std::optional<std::size_t>(slot) : std::nullopt;
}

// What this tester puts where the program does not look: the request echoed in the header.
std::string HeaderFor(const TesterRequest& request) {
  return std::to_string(request.code) + UpperHex(request.address, 4);
}

}  // namespace

TesterMemory::TesterMemory() {
  m_trailerIds.fill(std::string(PayloadLength, ' '));
  m_vehicleIds.fill(std::string(PayloadLength, ' '));
  m_companyName = std::string(PayloadLength, ' ');
  SetIdentity(TesterIdentity{});
}

void TesterMemory::SetTrailerId(std::size_t slot, std::string_view text) {
  m_trailerIds[CheckedSlot(slot)] = FittedText(text, PayloadLength, "Trailer ID");
}

void TesterMemory::SetVehicleId(std::size_t slot, std::string_view text) {
  m_vehicleIds[CheckedSlot(slot)] = FittedText(text, PayloadLength, "Vehicle ID");
}

void TesterMemory::SetCompanyName(std::string_view text) {
  m_companyName = FittedText(text, PayloadLength, "company name");
}

void TesterMemory::SetIdentity(TesterIdentity identity) {
  identity.serial = FittedText(identity.serial, TesterIdentity::SerialLength, "serial");
  identity.secondPair = FittedText(identity.secondPair, TesterIdentity::SecondPairLength, "second pair");
  identity.details = FittedText(identity.details, TesterIdentity::DetailsLength, "identity details");
  m_identity = std::move(identity);
}

const std::string& TesterMemory::TrailerId(std::size_t slot) const { return m_trailerIds[CheckedSlot(slot)]; }

const std::string& TesterMemory::VehicleId(std::size_t slot) const { return m_vehicleIds[CheckedSlot(slot)]; }

std::optional<TesterFrame> TesterMemory::Answer(const TesterRequest& request) {
  if (request.code == IdentifyCode) {
    if (request.address == IdentificationAddress) {
      return IdentityFrame(request);
    }
    if (request.address == FollowUpAddress) {
      return FollowUpAnswer(request);
    }
    return std::nullopt;
  }
  std::string* stored = TextAt(request.address);
  if (stored == nullptr) {
    return std::nullopt;
  }
  if (request.code == WriteCode) {
    *stored = request.payload;
  }
  return ShortFrame(request, *stored);
}

std::optional<TesterFrame> TesterMemory::FollowUpAnswer(const TesterRequest& request) const {
  switch (m_followUpFrame) {
    case FollowUpFrame::Short:
      return ShortFrame(request, std::string(PayloadLength, ' '));
    case FollowUpFrame::Long:
      return IdentityFrame(request);
    case FollowUpFrame::Never:
      break;
  }
  return std::nullopt;
}

std::string* TesterMemory::TextAt(std::uint16_t address) {
  if (address == CompanyNameAddress) {
    return &m_companyName;
  }
  if (const auto slot = SlotOf(address, TrailerSeriesStart)) {
    return &m_trailerIds[*slot];
  }
  if (const auto slot = SlotOf(address, VehicleSeriesStart)) {
    return &m_vehicleIds[*slot];
  }
  return nullptr;
}

TesterFrame TesterMemory::ShortFrame(const TesterRequest& request, std::string_view text) const {
  return MakeFrame(HeaderFor(request), DataPrefix(request) + std::string(text));
}

TesterFrame TesterMemory::IdentityFrame(const TesterRequest& request) const {
  const std::string instrumentData =
      EncodeHexWords(m_identity.serial) + EncodeHexWords(m_identity.secondPair) + m_identity.details;
  return MakeFrame(HeaderFor(request), DataPrefix(request) + instrumentData);
}

// The echoed address is what tells a late or repeated answer from the one awaited; a
// tester without it leaves zeros there.
std::string TesterMemory::DataPrefix(const TesterRequest& request) const {
  return m_echoesAddress ? UpperHex(request.address, 4) : std::string(4, '0');
}

}  // namespace orvel::sim
