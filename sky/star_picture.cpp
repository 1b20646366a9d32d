#include "sky/star_picture.h"

#include <algorithm>
#include <cmath>

namespace sky {
namespace {

struct Offset {
  int dx;
  int dy;
};
constexpr Offset kArms[] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
constexpr Offset kCorners[] = {{-1, -1}, {1, -1}, {-1, 1}, {1, 1}};

int Level(double value) { return std::clamp(static_cast<int>(std::lround(value)), 1, 255); }

}  // namespace

// A star as pixels, by magnitude alone (the catalogue has no colours):
//   fainter than 2.5  one pixel, level 64 at 5.5 rising evenly to 207 at 2.5;
//   1.5 to 2.5        a brighter pixel (207..255) with a faint glow of four arms (40..96),
//                     so that the shapes of the constellations read at a glance;
//   0 to 1.5          a 3 x 3 blob: white core, arms 120..190, corners 50..90;
//   brighter than 0   the blob with arms 215 and corners 110, and a dim tip (70) on each arm.
// The core brightness runs evenly over the magnitudes, like the eye's sense of them.
std::vector<StarDot> StarDots(double magnitude) {
  constexpr int kFaintLevel = 64;
  constexpr double kGlowMagnitude = 2.5;
  constexpr double kBlobMagnitude = 1.5;
  const double coreSlope = (255.0 - kFaintLevel) / (kFaintestMagnitude - kBlobMagnitude);
  std::vector<StarDot> dots;
  dots.push_back({0, 0, Level(255.0 - coreSlope * std::max(0.0, magnitude - kBlobMagnitude))});
  if (magnitude >= kGlowMagnitude) return dots;
  if (magnitude >= kBlobMagnitude) {
    const double t = (kGlowMagnitude - magnitude) / (kGlowMagnitude - kBlobMagnitude);  // 0..1
    for (const Offset& o : kArms) dots.push_back({o.dx, o.dy, Level(40 + 56 * t)});
    return dots;
  }
  int arm = 215;
  int corner = 110;
  if (magnitude >= 0.0) {
    const double t = (kBlobMagnitude - magnitude) / kBlobMagnitude;  // 0 at 1.5, 1 at 0
    arm = Level(120 + 70 * t);
    corner = Level(50 + 40 * t);
  } else {
    for (const Offset& o : kArms) dots.push_back({2 * o.dx, 2 * o.dy, 70});
  }
  for (const Offset& o : kArms) dots.push_back({o.dx, o.dy, arm});
  for (const Offset& o : kCorners) dots.push_back({o.dx, o.dy, corner});
  return dots;
}

StarExtent StarReach(double magnitude) {
  StarExtent reach;
  for (const StarDot& dot : StarDots(magnitude)) {
    reach.left = std::min(reach.left, dot.dx);
    reach.top = std::min(reach.top, dot.dy);
    reach.right = std::max(reach.right, dot.dx);
    reach.bottom = std::max(reach.bottom, dot.dy);
  }
  return reach;
}

}  // namespace sky
