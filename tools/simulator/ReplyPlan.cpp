#include "simulator/ReplyPlan.h"

#include <algorithm>
#include <cctype>

namespace orvel::sim {
namespace {

std::string NoiseBytes(std::size_t count, std::mt19937_64& random) {
  std::uniform_int_distribution<int> byte(0, 255);
  std::string noise;
  for (std::size_t index = 0; index < count; ++index) {
    noise.push_back(static_cast<char>(byte(random)));
  }
  return noise;
}

bool HasHexLetter(const std::string& checksum) {
  return std::any_of(checksum.begin(), checksum.end(), [](char digit) { return digit >= 'A' && digit <= 'F'; });
}

// Lower case only shows when the checksum has a letter, so the last answer character is
// stepped until the sum gives one. The echoed address ahead of it is left alone, so a
// program can refuse the frame only for its checksum, and one that took it anyway would
// show a wrong answer.
void LowerCaseChecksum(TesterFrame& frame) {
  while (!frame.dataField.empty() && !HasHexLetter(frame.checksum)) {
    frame.dataField.back() = static_cast<char>(frame.dataField.back() + 1);
    frame.checksum = DataChecksum(frame.dataField);
  }
  std::transform(frame.checksum.begin(), frame.checksum.end(), frame.checksum.begin(),
                 [](char digit) { return static_cast<char>(std::tolower(static_cast<unsigned char>(digit))); });
}

void WrongChecksum(TesterFrame& frame) { frame.checksum = UpperHex((DataSum(frame.dataField) + 1) % 256, 2); }

// The checksum is kept true to the data, NUL included, so that the NUL is the only fault.
void PlaceNul(TesterFrame& frame, std::size_t position) {
  const std::size_t dataStart = 1 + frame.header.size();
  const std::size_t checksumStart = dataStart + frame.dataField.size();
  const std::size_t index = std::min(position, frame.Size()) - 1;
  if (index == 0) {
    frame.start = '\0';
  } else if (index < dataStart) {
    frame.header[index - 1] = '\0';
  } else if (index < checksumStart) {
    frame.dataField[index - dataStart] = '\0';
    frame.checksum = DataChecksum(frame.dataField);
  } else if (index < checksumStart + frame.checksum.size()) {
    frame.checksum[index - checksumStart] = '\0';
  } else {
    frame.end = '\0';
  }
}

void SpoilFrame(TesterFrame& frame, const ChosenFault& fault) {
  switch (fault.kind) {
    case FaultKind::NulByte:
      PlaceNul(frame, fault.settings.nulPosition);
      break;
    case FaultKind::LowerCaseChecksum:
      LowerCaseChecksum(frame);
      break;
    case FaultKind::WrongChecksum:
      WrongChecksum(frame);
      break;
    case FaultKind::WrongStartMarker:
      frame.start = '#';
      break;
    case FaultKind::WrongEndMarker:
      frame.end = '\n';
      break;
    default:
      break;
  }
}

}  // namespace

std::string ReplyPlan::Bytes() const {
  if (!frame || hangUp) {
    return {};
  }
  std::string bytes = noiseBefore;
  for (std::size_t copy = 0; copy < copies; ++copy) {
    bytes += frame->Bytes();
  }
  bytes += noiseAfter;
  return bytes;
}

bool KeepsRequestFromTester(FaultKind kind) {
  return kind == FaultKind::RequestLost || kind == FaultKind::AnswerFromResend || kind == FaultKind::HangUp;
}

void ApplyFault(ReplyPlan& plan, const ChosenFault& fault, std::mt19937_64& random) {
  const FaultSettings& settings = fault.settings;
  switch (fault.kind) {
    case FaultKind::NoiseBefore:
      plan.noiseBefore += NoiseBytes(settings.noiseBytes, random);
      break;
    case FaultKind::NoiseAfter:
      plan.noiseAfter += NoiseBytes(settings.noiseBytes, random);
      break;
    case FaultKind::TwoAnswers:
      plan.copies = 2;
      break;
    case FaultKind::DuplicateLater:
      plan.copyAfter = settings.delay;
      break;
    case FaultKind::LateAnswer:
      plan.delay += settings.delay;
      break;
    case FaultKind::HeldForNext:
      plan.heldForNext = true;
      break;
    case FaultKind::InPieces:
      plan.pieces = settings.pieces;
      plan.gap = settings.gap;
      break;
    case FaultKind::NoAnswer:
    case FaultKind::RequestLost:
    case FaultKind::AnswerFromResend:
      plan.frame.reset();
      break;
    case FaultKind::HangUp:
      plan.frame.reset();
      plan.hangUp = true;
      break;
    case FaultKind::NulByte:
    case FaultKind::LowerCaseChecksum:
    case FaultKind::WrongChecksum:
    case FaultKind::WrongStartMarker:
    case FaultKind::WrongEndMarker:
      if (plan.frame) {
        SpoilFrame(*plan.frame, fault);
      }
      break;
  }
}

}  // namespace orvel::sim
