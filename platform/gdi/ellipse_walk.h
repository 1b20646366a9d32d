// The one walk along an ellipse's outline that elliptic regions and arcs share, so that an
// arc drawn on a box follows the edge of the region made from the same box pixel for pixel.
#pragma once

#include <cstdint>

namespace gdi {

// Walks the lower-right quarter of the ellipse in a w x h pixel box (w, h >= 2) by the
// integer midpoint rule (after A. Zingl's rasteriser): from its east end (w - 1, h / 2)
// down and inwards, one pixel step at a time. `visit(x, y)` is called at every point, the
// first included, and returns whether to go on.
template <typename Visit>
void WalkEllipseQuarter(int w, int h, Visit visit) {
  const std::int64_t a = w - 1;
  const std::int64_t b = h - 1;
  const std::int64_t stepA = 8 * a * a;
  const std::int64_t stepB = 8 * b * b;
  std::int64_t dx = 4 * b * b * (1 - a);
  std::int64_t dy = 4 * a * a * (1 + (b % 2));
  std::int64_t err = dx + dy + a * a * (b % 2);
  int x = static_cast<int>(a);
  int y = h / 2;
  // Every step moves at least one coordinate: the quarter has fewer than w + h points, and
  // the bound only guards against a visitor that never stops.
  for (int guard = 0; guard <= 2 * (w + h) + 4; ++guard) {
    if (!visit(x, y)) return;
    const std::int64_t e2 = 2 * err;
    if (e2 >= dx) {
      --x;
      dx += stepB;
      err += dx;
    }
    if (e2 <= dy) {
      ++y;
      dy += stepA;
      err += dy;
    }
  }
}

}  // namespace gdi
