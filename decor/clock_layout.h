// What the clock on the frame says and where its plate lies, apart from any drawing.
#pragma once

#include <string>

#include "platform/core/windef.h"

namespace decor {

// The plate's columns on the square window, as fractions of the width taken in single
// precision (0.4f, 0.42f, 0.66f, 0.72f, 0.9f) and truncated. Those float values are what
// place the plate; computed from the decimals, x3 and x2 would land a pixel further right
// at several sizes.
struct PlateColumns {
  int x1;  // plate's left edge
  int x3;  // date text from here
  int x4;  // time text from here
  int x5;  // the minutes begin about here
  int x2;  // plate's right edge
};
PlateColumns ClockPlateColumns(int w);

// The calendar and time of day the clock shows.
struct ClockReading {
  int year;
  int month;
  int day;
  std::string weekday;  // "(水)" and the like
  int hour;
  int minute;
};

// The square window's texts; what fits grows with the width: the year from 200 pixels, the
// weekday from 300, and from 200 the hour in twelve-hour form after "AM " or "PM " (the
// morning keeps 0 and 12: AM 0:07, AM 12:30, then PM 1:00).
std::string SquareDateText(int w, const ClockReading& r);
std::string SquareTimeText(int w, const ClockReading& r);

// A number in at least two digits, "07".
std::string TwoDigits(int value);

// The text colour for the settings' colour index; indexes outside the six fixed colours
// (set by hand in the settings file, or -1 from a dialog that had no colour to show) get
// the default, black.
COLORREF ClockTextColour(int clockColor);

}  // namespace decor
