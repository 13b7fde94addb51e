#pragma once

namespace orvel {

// The windows ask for their fonts by name (Verdana, Tahoma, MS Sans Serif), which
// Windows has. Where one is missing, as under Wine without its own fonts, the host's
// pick is a font unlike it (a serif one under Wine) whose size clips captions and
// heightens the grid's rows. The program then draws that family on Windows in DejaVu
// Sans Condensed, as wide as Tahoma (plain DejaVu Sans, which Linux draws all three in,
// is too wide for the thicker frame of a Windows button). Each host has its own file
// (StandInFont_posix.cpp, StandInFont_win32.cpp); call once, after the application
// object exists.
void StandInForMissingFontFamilies();

}  // namespace orvel
