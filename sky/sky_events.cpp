#include "sky/sky_events.h"

namespace sky {

ClockRefresh ClockRefreshFor(int previousMinute, int hour, int minute, bool roundExactlyOne) {
  ClockRefresh r;
  if (minute == previousMinute) return r;
  if (hour == 0 && minute == 0) {
    r.date = true;
    r.time = roundExactlyOne;
  } else if (minute == 0) {
    r.time = true;
  } else {
    r.minute = true;
  }
  return r;
}

SkyEvents EventsFor(int a, int satelliteLevel, int shootingStarLevel, bool flightUnderWay) {
  SkyEvents e;
  e.satellite = a != 0 && a <= 10 * satelliteLevel && !flightUnderWay;
  e.shootingStar = a != 0 && a <= 10 * shootingStarLevel;
  return e;
}

}  // namespace sky
