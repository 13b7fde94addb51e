#include "app/StandInFont.h"

namespace orvel {

// On Linux fontconfig already draws each family it lacks in DejaVu Sans.
void StandInForMissingFontFamilies() {}

}  // namespace orvel
