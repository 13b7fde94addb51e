#include "store/IdCharacters.h"

namespace orvel {

bool IsRefusedIdCharacter(unsigned char code) {
  return (code >= 33 && code <= 44) || (code >= 46 && code <= 47) || (code >= 58 && code <= 64) ||
         (code >= 91 && code <= 96) || (code >= 123 && code <= 150);
}

}  // namespace orvel
