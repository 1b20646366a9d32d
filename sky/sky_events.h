// What one tick of the sky timer decides: which of the clock's rectangles a turn of the
// minute refreshes, and what the tick's one random number starts.
#pragma once

namespace sky {

// The clock's parts to repaint when the minute has turned.
struct ClockRefresh {
  bool minute = false;
  bool time = false;
  bool date = false;
};

// At midnight the date (and, on a window whose round flag is exactly 1, the time, which
// shares its line with nothing there); at a full hour the time; otherwise the minute. Nothing
// when the minute has not turned.
ClockRefresh ClockRefreshFor(int previousMinute, int hour, int minute, bool roundExactlyOne);

// What a number a from 0 to 100 starts: a satellite when a is not 0, at most ten times the
// satellite level and no flight is under way; a shooting star when a is not 0 and at most ten
// times the shooting-star level. The same number decides both.
struct SkyEvents {
  bool satellite = false;
  bool shootingStar = false;
};
SkyEvents EventsFor(int a, int satelliteLevel, int shootingStarLevel, bool flightUnderWay);

}  // namespace sky
