#include "store/IdCharacters.h"

namespace orvel {
namespace {

constexpr char32_t kFirstPrintableCode = ' ';
constexpr char32_t kDeleteCode = 127;
constexpr char32_t kLastEightBitCode = 255;

}  // namespace

bool IsRefusedIdCharacter(unsigned char code) {
  return (code >= 33 && code <= 44) || (code >= 46 && code <= 47) || (code >= 58 && code <= 64) ||
         (code >= 91 && code <= 96) || (code >= 123 && code <= 150);
}

const char* IdCharacterRefusal(char32_t character) {
  // The tester's character set has no such character: it could be neither stored nor sent.
  if (character > kLastEightBitCode) return "The tester cannot show this character; please enter another";
  // A control character in an ID is invisible in the cell and ends or garbles the request line.
  if (character < kFirstPrintableCode || character == kDeleteCode ||
      IsRefusedIdCharacter(static_cast<unsigned char>(character))) {
    return "Please enter an alphabetical or numerical character";
  }
  return nullptr;
}

}  // namespace orvel
