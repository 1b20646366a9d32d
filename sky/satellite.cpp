#include "sky/satellite.h"

namespace sky {

FlightPath PickSatellitePath(SecondsRandom& random, std::uint32_t seconds, int w, int h) {
  FlightPath path;
  random.Seed(seconds);
  path.start.x = random.DrawAtMost(w);
  path.end.x = random.DrawAtMost(w);
  path.start.y = random.DrawAtMost(h);
  path.end.y = random.DrawAtMost(h);
  for (POINT* p : {&path.start, &path.end}) {
    if (p->x > p->y) {
      p->y = 0;
    } else {
      p->x = 0;
    }
  }
  return path;
}

void DrawSatellitePixel(CDC* dc, POINT at) { dc->SetPixel(at.x, at.y, kSatelliteGrey); }

}  // namespace sky
