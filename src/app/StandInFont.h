#pragma once

namespace orvel {

// The windows ask for their fonts by name (Verdana, Tahoma, MS Sans Serif), which
// Windows has. Where one is missing, as under Wine without its own fonts, the host's
// pick is a font unlike it (a serif one under Wine) whose size clips captions and
// heightens the grid's rows. The program then draws that family in DejaVu Sans, the
// font Linux draws all three in. Each host has its own file (StandInFont_posix.cpp,
// StandInFont_win32.cpp); call once, after the application object exists.
void StandInForMissingFontFamilies();

}  // namespace orvel
