// How the sky map draws a star: the pixels of its picture around the star's own pixel, by
// magnitude. The map generator draws them; the star table's generator puts the star's
// rectangle round them.
#pragma once

#include <vector>

namespace sky {

// Stars down to this magnitude are drawn; about what the eye sees from a suburb.
constexpr double kFaintestMagnitude = 5.5;

// One pixel of a star's picture: its offset from the star's pixel and its grey level 1..255.
struct StarDot {
  int dx;
  int dy;
  int level;
};

std::vector<StarDot> StarDots(double magnitude);

// How far the picture reaches from the star's pixel, in each direction (offsets, so left
// and top are zero or negative).
struct StarExtent {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};
StarExtent StarReach(double magnitude);

}  // namespace sky
