#include "sky/sky_placement.h"

#include <algorithm>

#include "sky/sky_chart.h"

namespace sky {

int DayOfYear(int month, int day) { return chart::MapDay(std::clamp(month, 1, 12), day); }

POINT SkyOrigin(int month, int day, int clientWidth, int clientHeight) {
  // A smaller window shows the middle of the square a 350-pixel window would show.
  return POINT{chart::WindowLeft(DayOfYear(month, day)) + (chart::kWindowSide - clientWidth) / 2,
               chart::kWindowTop + (chart::kWindowSide - clientHeight) / 2};
}

}  // namespace sky
