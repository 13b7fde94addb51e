#include "simulator/Faults.h"

#include "simulator/SystemError.h"

#include <algorithm>
#include <array>
#include <utility>

namespace orvel::sim {
namespace {

constexpr std::array<std::pair<FaultKind, std::string_view>, 16> KindNames{{
    {FaultKind::NulByte, "nul"},
    {FaultKind::LowerCaseChecksum, "lower-case-checksum"},
    {FaultKind::WrongChecksum, "wrong-checksum"},
    {FaultKind::WrongStartMarker, "wrong-start"},
    {FaultKind::WrongEndMarker, "wrong-end"},
    {FaultKind::NoiseBefore, "noise-before"},
    {FaultKind::NoiseAfter, "noise-after"},
    {FaultKind::TwoAnswers, "two-answers"},
    {FaultKind::DuplicateLater, "duplicate-later"},
    {FaultKind::LateAnswer, "late"},
    {FaultKind::HeldForNext, "held-for-next"},
    {FaultKind::InPieces, "pieces"},
    {FaultKind::NoAnswer, "no-answer"},
    {FaultKind::RequestLost, "request-lost"},
    {FaultKind::AnswerFromResend, "from-resend"},
    {FaultKind::HangUp, "hang-up"},
}};

}  // namespace

std::string_view FaultKindName(FaultKind kind) {
  const auto named =
      std::find_if(KindNames.begin(), KindNames.end(), [kind](const auto& entry) { return entry.first == kind; });
  return named->second;
}

std::optional<FaultKind> FaultKindFromName(std::string_view name) {
  const auto named =
      std::find_if(KindNames.begin(), KindNames.end(), [name](const auto& entry) { return entry.second == name; });
  if (named == KindNames.end()) {
    return std::nullopt;
  }
  return named->first;
}

const std::vector<FaultKind>& AllFaultKinds() {
  static const std::vector<FaultKind> kinds = [] {
    std::vector<FaultKind> all;
    for (const auto& entry : KindNames) {
      all.push_back(entry.first);
    }
    return all;
  }();
  return kinds;
}

void CheckFaultSettings(const FaultSettings& settings) {
  if (settings.pieces == 0) {
    throw ESimulator("Tester simulator: an answer in pieces needs at least one piece.");
  }
  if (settings.resendsBeforeAnswer == 0) {
    throw ESimulator("Tester simulator: an answer from the n-th re-send needs n of at least 1.");
  }
  if (settings.nulPosition == 0) {
    throw ESimulator("Tester simulator: NUL byte positions are counted from 1.");
  }
  if (settings.delay.count() < 0 || settings.gap.count() < 0) {
    throw ESimulator("Tester simulator: delays and gaps cannot be negative.");
  }
}

}  // namespace orvel::sim
