// Where today's sky lies on the sky map: each day of the year 4 pixels left of the day
// before, the window centred on the column a 350-pixel window would show.
#pragma once

#include "platform/core/windef.h"

namespace sky {

// Day of the year from 1 (1 January) to 365, counting February as 28 days, so that
// 29 February and 1 March are the same day. Months outside 1..12 are taken as the nearest.
int DayOfYear(int month, int day);

// The map point shown at the top-left pixel of a client area of the given size.
POINT SkyOrigin(int month, int day, int clientWidth, int clientHeight);

}  // namespace sky
