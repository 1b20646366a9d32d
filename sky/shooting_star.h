// Shooting stars: where a streak lands and how it is blended into the composed sky, for the
// length of one paint.
#pragma once

#include <cstdint>

#include "platform/framework/afxwin.h"
#include "sky/random.h"

namespace sky {

// The streak pictures are 47 x 47 pixels.
constexpr int kStreakSide = 47;

// The top-left corner of a streak on a w x h window at the given second: x from a draw
// seeded with the seconds, y from a draw seeded again with the seconds plus the remainder
// of the x draw by w + 20; both start 20 pixels outside the window's top-left corner.
POINT PickStarPosition(SecondsRandom& random, std::uint32_t seconds, int w, int h);

// Which of the six streaks a star at this x gets: the remainder of x by 6, taking the sign
// of x, without its sign.
int ShootingStarVariant(int x);

// Blends the streak into `composed` at `at` through its mask, using `scratch` (47 x 47).
void BlendStreak(CDC* composed, POINT at, CBitmap* scratch, CBitmap* picture, CBitmap* mask);

}  // namespace sky
