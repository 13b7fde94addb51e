#pragma once

#include "simulator/TesterFrame.h"
#include "simulator/TesterRequest.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvel::sim {

inline constexpr std::size_t TesterSlotCount = 32;
inline constexpr std::uint16_t IdentificationAddress = 0x0190;
inline constexpr std::uint16_t FollowUpAddress = 0x0107;
inline constexpr std::uint16_t CompanyNameAddress = 0x01C2;
inline constexpr std::uint16_t TrailerSeriesStart = 0xFF00;
inline constexpr std::uint16_t VehicleSeriesStart = 0xFE00;
inline constexpr std::uint16_t SlotStep = 8;

// What the tester tells about itself in answer to the identification request. The 64
// characters of instrument data are the serial as two hex words, the second pair as one
// hex word, and the details filling the remaining 52 characters.
struct TesterIdentity {
  static constexpr std::size_t SerialLength = 4;
  static constexpr std::size_t SecondPairLength = 2;
  static constexpr std::size_t DetailsLength = 52;

  std::string serial = "0001";
  std::string secondPair = "V2";
  std::string details = "Orvel brake tester simulator";
};

// How the tester answers the follow-up request: with a short frame as for a read, with a
// long one laid out like the identification answer, or not at all.
enum class FollowUpFrame { Short, Long, Never };

// The tester's memory and its answers. Not synchronised: the simulator guards it.
class TesterMemory {
 public:
  TesterMemory();

  // Texts shorter than 16 characters are stored padded with spaces, as the tester keeps
  // them; longer ones do not fit a slot and are refused.
  void SetTrailerId(std::size_t slot, std::string_view text);
  void SetVehicleId(std::size_t slot, std::string_view text);
  void SetCompanyName(std::string_view text);
  void SetIdentity(TesterIdentity identity);
  void SetFollowUpFrame(FollowUpFrame frame) { m_followUpFrame = frame; }
  void SetAnswersFollowUp(bool answers) { m_followUpFrame = answers ? FollowUpFrame::Short : FollowUpFrame::Never; }
  // Whether the first four characters of every answer's data field carry the request's
  // address in hex, as the testers measured do, or zeros.
  void SetEchoesAddress(bool echoes) { m_echoesAddress = echoes; }

  const std::string& TrailerId(std::size_t slot) const;
  const std::string& VehicleId(std::size_t slot) const;
  const std::string& CompanyName() const { return m_companyName; }
  const TesterIdentity& Identity() const { return m_identity; }

  // Carries out the request (a write stores its payload) and returns the frame the tester
  // answers with, or nothing for a request it does not answer.
  std::optional<TesterFrame> Answer(const TesterRequest& request);

 private:
  std::string* TextAt(std::uint16_t address);
  std::optional<TesterFrame> FollowUpAnswer(const TesterRequest& request) const;
  TesterFrame ShortFrame(const TesterRequest& request, std::string_view text) const;
  TesterFrame IdentityFrame(const TesterRequest& request) const;
  std::string DataPrefix(const TesterRequest& request) const;

  std::array<std::string, TesterSlotCount> m_trailerIds;
  std::array<std::string, TesterSlotCount> m_vehicleIds;
  std::string m_companyName;
  TesterIdentity m_identity;
  FollowUpFrame m_followUpFrame = FollowUpFrame::Short;
  bool m_echoesAddress = true;
};

}  // namespace orvel::sim
