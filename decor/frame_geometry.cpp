#include "decor/frame_geometry.h"

namespace decor {

std::array<POINT, 18> SixteenRingPoints(int w, int h, int k, int n, int m) {
  using namespace sixteen;
  const int W = w - k;
  const int H = h - k;
  std::array<POINT, 18> p{};
  p[N] = {W / 2, n};
  p[NNE] = {W / 2 + 5 * (W / 40), 5 * (H / 40)};
  p[NE1] = {W - W / 4, H / 2 - 10 * (H / 40)};
  p[NE2] = {W - W / 4, H / 2 - H / 4};
  p[ENE] = {W - W / 8, H / 2 - H / 8};
  p[E] = {W, H / 2};
  p[ESE] = {W - W / 8, H / 2 + H / 8};
  p[SE] = {W - W / 4, H - H / 4};
  p[SSE] = {W / 2 + W / 8, H - H / 8};
  p[S] = {W / 2, H};
  p[SSW] = {W / 2 - W / 8, H - H / 8};
  p[SW] = {W / 4, H - H / 4};
  p[WSW] = {W / 8, H / 2 + H / 8};
  p[Wm] = {m, H / 2};
  p[WNW] = {W / 8, H / 2 - H / 8};
  p[NW1] = {W / 4, H / 4};
  p[NW2] = {10 * (W / 40), H / 2 - 10 * (H / 40)};
  p[NNW] = {W / 2 - 5 * (W / 40), 5 * (H / 40)};
  return p;
}

// Each arc runs counter-clockwise from its start to its end; light at the upper left, dark
// at the lower right.
const std::array<RingArc, 16> kSixteenRingArcs = {{
    {sixteen::NNW, sixteen::NW2, 0},
    {sixteen::N, sixteen::NNW, 1},
    {sixteen::NNE, sixteen::N, 2},
    {sixteen::NE1, sixteen::NNE, 3},
    {sixteen::ENE, sixteen::NE2, 3},
    {sixteen::E, sixteen::ENE, 4},
    {sixteen::ESE, sixteen::E, 5},
    {sixteen::SE, sixteen::ESE, 6},
    {sixteen::SSE, sixteen::SE, 6},
    {sixteen::S, sixteen::SSE, 5},
    {sixteen::SSW, sixteen::S, 4},
    {sixteen::SW, sixteen::SSW, 3},
    {sixteen::WSW, sixteen::SW, 3},
    {sixteen::Wm, sixteen::WSW, 2},
    {sixteen::WNW, sixteen::Wm, 1},
    {sixteen::NW1, sixteen::WNW, 0},
}};

std::array<POINT, 12> TwelveRingPoints(int w, int h, int k) {
  using namespace twelve;
  const int U = w - k;
  const int V = h - k;
  std::array<POINT, 12> p{};
  p[A] = {U / 4, V / 4};
  p[B] = {3 * (U / 20) + U / 4, 3 * (V / 20)};
  p[C] = {6 * (U / 20) + U / 4, 6 * (V / 20)};
  p[D] = {U - U / 4, V / 4};
  p[E] = {U - 3 * (U / 20), 3 * (V / 20) + V / 4};
  p[F] = {U - 3 * (U / 20), V / 4 + 6 * (V / 20)};
  p[G] = {3 * (U / 4), 3 * (V / 4)};
  p[H] = {3 * (U / 4) - 3 * (U / 20), 3 * (V / 4) + 3 * (V / 20)};
  p[I] = {3 * (U / 20) + U / 4, V - 3 * (V / 20)};
  p[J] = {U / 4, 3 * (V / 4)};
  p[K] = {3 * (U / 20), 3 * (V / 4) - 3 * (V / 20)};
  p[M] = {3 * (U / 20), 3 * (V / 20) + V / 4};
  return p;
}

const std::array<RingArc, 12> kTwelveRingArcs = {{
    {twelve::B, twelve::A, 0},
    {twelve::C, twelve::B, 1},
    {twelve::D, twelve::C, 2},
    {twelve::E, twelve::D, 4},
    {twelve::F, twelve::E, 5},
    {twelve::G, twelve::F, 6},
    {twelve::H, twelve::G, 6},
    {twelve::I, twelve::H, 5},
    {twelve::J, twelve::I, 4},
    {twelve::K, twelve::J, 2},
    {twelve::M, twelve::K, 1},
    {twelve::A, twelve::M, 0},
}};

namespace {

struct GlassInsets {
  int g0;
  int g1;
};

GlassInsets InsetsFor(Material material, bool round) {
  if (material == Material::kAluminium && round) return {15, 14};
  return {14, 13};
}

}  // namespace

RECT GlassBox(Material material, bool round, int w, int h) {
  const GlassInsets g = InsetsFor(material, round);
  return RECT{g.g0, g.g0, w - g.g1, h - g.g1};
}

std::array<RECT, 4> QuadrantRects(Material material, bool round, bool bars, int w, int h) {
  const RECT glass = GlassBox(material, round, w, h);
  const int cx = w / 2;
  const int cy = h / 2;
  // Half the bar on either side of the centre line, on the axes the bars cross.
  int gapX = 0;
  int gapY = 0;
  if (bars) {
    gapX = 5;
    gapY = material == Material::kLog ? 5 : 0;
  }
  return {{
      {glass.left, glass.top, cx - gapX, cy - gapY},
      {cx + gapX, glass.top, glass.right, cy - gapY},
      {glass.left, cy + gapY, cx - gapX, glass.bottom},
      {cx + gapX, cy + gapY, glass.right, glass.bottom},
  }};
}

}  // namespace decor
