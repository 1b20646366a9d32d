// The clock on the frame: a sunken name-plate in the bottom bar of the square window, the
// date over and the time under the ring of the round one.
#pragma once

#include "decor/clock_layout.h"
#include "platform/framework/afxwin.h"

namespace decor {

// How the clock looks: the clock font, the six plate pens (log light, aluminium light, log
// dark, aluminium dark, and two more the plate does not use), the shape and the material.
struct ClockStyle {
  CFont* font;
  CPen* platePens;  // six
  int colour;       // the settings' colour index
  bool round;
  bool log;
};

// The parts of the clock the sky timer repaints when the minute, the hour or the day turns.
struct ClockRectangles {
  CRect minute;
  CRect time;
  CRect date;
};

// Paints the clock for `now` on a w x h window and returns where its parts lie. The DC's
// font, pen, background mode and colour are put back; its text colour is the clock's. The
// clock is drawn once for each look and reading, and replayed after that.
ClockRectangles PaintClock(CDC* dc, const ClockStyle& style, const ClockReading& now, int w, int h);

// The clock drawn every time: what PaintClock records.
ClockRectangles DrawClock(CDC* dc, const ClockStyle& style, const ClockReading& now, int w, int h);

}  // namespace decor
