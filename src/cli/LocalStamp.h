#pragma once

#include "store/GroupManagement.h"

namespace orvel::cli {

// The creation stamps of groups made now, in the date and time formats of the user's
// locale (LC_TIME), as the window writes them in its regional formats. A format whose
// text the tester's set cannot show is written as 2026-12-08 14:03:22 instead.
CreationStampClock LocalStampClock();

}  // namespace orvel::cli
