// Satellites: where a flight starts and ends, and the one grey pixel that shows it.
#pragma once

#include <cstdint>

#include "platform/framework/afxwin.h"
#include "sky/random.h"

namespace sky {

constexpr COLORREF kSatelliteGrey = RGB(192, 192, 192);

struct FlightPath {
  POINT start;
  POINT end;
};

// A flight across a w x h window at the given second: four draws seeded once with the
// seconds (start x, end x, start y, end y); each point then goes to the top edge when its x
// is the larger, otherwise to the left edge.
FlightPath PickSatellitePath(SecondsRandom& random, std::uint32_t seconds, int w, int h);

// The satellite's pixel.
void DrawSatellitePixel(CDC* dc, POINT at);

}  // namespace sky
