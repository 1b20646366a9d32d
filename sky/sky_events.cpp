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
  // A level comes from the settings file as any 32-bit number: ten times it is taken in 64
  // bits, where it cannot overflow.
  const auto within = [a](int level) { return a != 0 && a <= 10LL * level; };
  SkyEvents e;
  e.satellite = within(satelliteLevel) && !flightUnderWay;
  e.shootingStar = within(shootingStarLevel);
  return e;
}

}  // namespace sky
