// The numbers behind the painted frames: the direction points and arc tables of the
// segmented rings, the glass box and the quadrants. Everything is integer arithmetic on the
// client size; a quotient is truncated before any factor multiplies it, because those exact
// values fix where the ring segments meet.
#pragma once

#include <array>

#include "platform/core/windef.h"

namespace decor {

// Seven shades per material, 0 the lightest.
constexpr int kShades = 7;

// One arc of a segmented ring: from the ray through one direction point to the ray through
// another, counter-clockwise, in one shade.
struct RingArc {
  int start;
  int end;
  int shade;
};

// The sixteen-segment ring, lit from the upper left. Its direction points are laid out on a
// (w - k) x (h - k) box anchored at the origin; n and m are the y of the north point and the
// x of the west point, which differ between the rings that use it.
namespace sixteen {
enum Point { N, NNE, NE1, NE2, ENE, E, ESE, SE, SSE, S, SSW, SW, WSW, Wm, WNW, NW1, NW2, NNW };
}
std::array<POINT, 18> SixteenRingPoints(int w, int h, int k, int n, int m);
extern const std::array<RingArc, 16> kSixteenRingArcs;

// The twelve-segment ring of the log frame (no shade 3 in it).
namespace twelve {
enum Point { A, B, C, D, E, F, G, H, I, J, K, M };
}
std::array<POINT, 12> TwelveRingPoints(int w, int h, int k);
extern const std::array<RingArc, 12> kTwelveRingArcs;

enum class Material { kLog, kAluminium };

// The glass: (g0, g0)-(w - g1, h - g1), a rectangle on the square window and the ellipse
// inscribed in it on the round one. The round aluminium ring is a pixel wider.
RECT GlassBox(Material material, bool round, int w, int h);

// The four quarters of the window that the glass is cut into, top-left, top-right,
// bottom-left, bottom-right. Bars leave a 10-pixel cross (log) or a 10-pixel vertical strip
// (aluminium) out of them; without bars they meet at the centre.
std::array<RECT, 4> QuadrantRects(Material material, bool round, bool bars, int w, int h);

}  // namespace decor
