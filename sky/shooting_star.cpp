#include "sky/shooting_star.h"

#include <cstdlib>

namespace sky {

POINT PickStarPosition(SecondsRandom& random, std::uint32_t seconds, int w, int h) {
  POINT at{-20, -20};
  random.Seed(seconds);
  const int r = random.DrawAtMost(w + 20);
  at.x += r;
  random.Seed(seconds + static_cast<std::uint32_t>(r % (w + 20)));
  at.y += random.DrawAtMost(h + 20);
  return at;
}

int ShootingStarVariant(int x) { return std::abs(x % 6); }

void BlendStreak(CDC* composed, POINT at, CBitmap* scratch, CBitmap* picture, CBitmap* mask) {
  CDC work;
  CDC source;
  work.CreateCompatibleDC(composed);
  source.CreateCompatibleDC(composed);
  CBitmap* previousWork = work.SelectObject(scratch);
  work.BitBlt(0, 0, kStreakSide, kStreakSide, composed, at.x, at.y, SRCCOPY);

  // The mask cuts the streak's shape out of the sky, the picture lights it.
  CBitmap* previousSource = source.SelectObject(mask);
  work.BitBlt(0, 0, kStreakSide, kStreakSide, &source, 0, 0, SRCAND);
  source.SelectObject(picture);
  work.BitBlt(0, 0, kStreakSide, kStreakSide, &source, 0, 0, SRCPAINT);
  source.SelectObject(previousSource);
  source.DeleteDC();

  composed->BitBlt(at.x, at.y, kStreakSide, kStreakSide, &work, 0, 0, SRCCOPY);
  work.SelectObject(previousWork);
  work.DeleteDC();
}

}  // namespace sky
