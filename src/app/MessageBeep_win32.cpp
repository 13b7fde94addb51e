#include <windows.h>

#include "app/MessageBoxes.h"

namespace orvel {

// The system's default sound, whichever platform plugin draws the windows.
void MessageBeep() { ::MessageBeep(MB_OK); }

}  // namespace orvel
