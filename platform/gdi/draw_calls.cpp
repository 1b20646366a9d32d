// Lines, arcs and rectangles, with the pixel rules of the classic GDI that the reference
// pictures pin down:
//
// - A cosmetic line (width 0 or 1) steps along its major axis and excludes its end point;
//   where the exact position lies halfway between two pixels, the smaller coordinate wins.
// - A 2-pixel line is the union of a small round cap at each end point (a 2 x 2 square
//   covering the point and the pixels before it on both axes) and the body between them:
//   for axis-parallel lines the band of rows (or columns) before and at the line; for
//   slanted lines the quadrilateral between the end points moved one pixel to either side,
//   where the offset towards +x is rounded away from zero and the other to nearest, filled
//   with the top-left rule on pixel corners.
// - An arc walks the outline points of the ellipse in the box (the same midpoint ellipse as
//   elliptic regions use, but on the whole box), counter-clockwise from the east. The start
//   and end points pick the first outline point whose direction from the centre is at or
//   past their ray; for rays pointing below the horizontal a point exactly on the ray does
//   not count. Directions are compared on outline points mirrored about the integer centre,
//   so on even boxes the two halves meet slightly off the drawn pixels. The chosen points
//   are drawn as a polyline: a cosmetic pen leaves out the last point, a wide pen draws
//   every point with caps. An inside-frame pen draws the arc of a box shrunk by half its
//   width (left and top by w / 2, right and bottom by (w - 1) / 2).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <iterator>
#include <limits>
#include <unordered_map>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/gdi/ellipse_walk.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/rect.h"

using namespace gdi;

namespace {

// Largest box an arc is drawn for; far beyond any window, and it keeps the work bounded.
constexpr long long kMaxArcExtent = 1 << 16;

// Writes one colour into a DC's pixels a row piece at a time, through the DC's clip. The
// visible rectangles of the row written last are kept: pens stay on a row for a few pixels
// and come back to it, so the clip region is searched once per row change, not per pixel.
struct Plotter {
  DeviceContext& dc;
  std::uint32_t pixel;
  RECT touched{0, 0, 0, 0};
  bool any = false;
  // The visible region's rectangles on surface row `row`: [rowBegin, rowEnd).
  int row = std::numeric_limits<int>::min();
  const RECT* rowBegin = nullptr;
  const RECT* rowEnd = nullptr;

  // Logical pixels [x0, x1) of row y; far-off coordinates are taken as they are, without
  // overflowing on the way to the surface.
  void Span(long long x0, long long x1, long long y) {
    if (!dc.surface) return;
    const long long rowInSurface = y + dc.origin.y;
    if (rowInSurface < 0 || rowInSurface >= dc.surface->height) return;
    const int sy = static_cast<int>(rowInSurface);
    const int sx0 = static_cast<int>(std::max<long long>(x0 + dc.origin.x, 0));
    const int sx1 = static_cast<int>(std::min<long long>(x1 + dc.origin.x, dc.surface->width));
    if (sx0 >= sx1) return;
    if (!dc.visible) {
      Fill(sx0, sx1, sy);
      return;
    }
    if (sy != row) FindRow(sy);
    for (const RECT* r = rowBegin; r != rowEnd && r->left < sx1; ++r) {
      const int from = std::max<int>(sx0, r->left);
      const int to = std::min<int>(sx1, r->right);
      if (from < to) Fill(from, to, sy);
    }
  }

  void Plot(int x, int y) { Span(x, static_cast<long long>(x) + 1, y); }

  ~Plotter() {
    if (any) MarkDirty(dc, touched);
  }

 private:
  void FindRow(int sy) {
    const std::vector<RECT>& rects = dc.visible->Rects();
    row = sy;
    // The last band starting at or above the row, if the row lies within it.
    auto after = std::upper_bound(rects.begin(), rects.end(), sy, [](int y, const RECT& r) { return y < r.top; });
    rowBegin = rowEnd = nullptr;
    if (after == rects.begin() || (after - 1)->bottom <= sy) return;
    auto first = after - 1;
    while (first != rects.begin() && (first - 1)->top == first->top) --first;
    rowBegin = rects.data() + (first - rects.begin());
    rowEnd = rects.data() + (after - rects.begin());
  }

  void Fill(int sx0, int sx1, int sy) {
    std::fill(dc.surface->Row(sy) + sx0, dc.surface->Row(sy) + sx1, pixel);
    const RECT piece{sx0, sy, sx1, sy + 1};
    touched = any ? Union(touched, piece) : piece;
    any = true;
  }
};

long long FloorDiv(long long n, long long d) {
  long long q = n / d;
  if ((n % d != 0) && ((n < 0) != (d < 0))) --q;
  return q;
}

long long CeilDiv(long long n, long long d) { return -FloorDiv(-n, d); }

// Cosmetic line from (x0, y0) towards (x1, y1), end point excluded.
void CosmeticLine(Plotter& p, int x0, int y0, int x1, int y1) {
  const long long dx = static_cast<long long>(x1) - x0;
  const long long dy = static_cast<long long>(y1) - y0;
  if (dx == 0 && dy == 0) return;
  if (std::llabs(dx) >= std::llabs(dy)) {
    const long long steps = std::llabs(dx);
    const int sx = dx > 0 ? 1 : -1;
    for (long long i = 0; i < steps; ++i) {
      // y = y0 + dy * i / steps, rounded to nearest with halves going down.
      const long long y = y0 + CeilDiv(2 * dy * i - steps, 2 * steps);
      p.Plot(x0 + static_cast<int>(sx * i), static_cast<int>(y));
    }
  } else {
    const long long steps = std::llabs(dy);
    const int sy = dy > 0 ? 1 : -1;
    for (long long i = 0; i < steps; ++i) {
      const long long x = x0 + CeilDiv(2 * dx * i - steps, 2 * steps);
      p.Plot(static_cast<int>(x), y0 + static_cast<int>(sy * i));
    }
  }
}

// The round cap of a wide pen at a point.
void Cap(Plotter& p, int x, int y, int width) {
  const int half = width / 2;
  if (width == 2) {
    p.Span(x - 1, x + 1, y - 1);
    p.Span(x - 1, x + 1, y);
    return;
  }
  const Region cap = Region::Ellipse(x - half, y - half, x - half + width + 1, y - half + width + 1);
  for (const RECT& r : cap.Rects()) {
    for (int yy = r.top; yy < r.bottom; ++yy) p.Span(r.left, r.right, yy);
  }
}

int RoundHalfUp(double v) { return static_cast<int>(std::floor(v + 0.5)); }
int RoundAwayFromZero(double v) { return v >= 0 ? static_cast<int>(std::ceil(v)) : -static_cast<int>(std::ceil(-v)); }

// Fills a convex quadrilateral of integer corners: scanlines at integer y, pixels from the
// ceiling of the left edge up to, not including, the ceiling of the right edge.
void FillQuad(Plotter& p, const POINT (&q)[4]) {
  int top = q[0].y;
  int bottom = q[0].y;
  for (const POINT& v : q) {
    top = std::min<int>(top, v.y);
    bottom = std::max<int>(bottom, v.y);
  }
  for (int y = top; y < bottom; ++y) {
    long long xs[4];
    int n = 0;
    for (int i = 0; i < 4; ++i) {
      POINT a = q[i];
      POINT b = q[(i + 1) % 4];
      if (a.y == b.y) continue;
      if (a.y > b.y) std::swap(a, b);
      if (y < a.y || y >= b.y) continue;
      xs[n++] = a.x + CeilDiv(static_cast<long long>(y - a.y) * (b.x - a.x), b.y - a.y);
    }
    if (n < 2) continue;
    const auto [left, right] = std::minmax_element(xs, xs + n);
    p.Span(*left, *right, y);
  }
}

// A line of a geometric pen, both end points included.
void WideLine(Plotter& p, int x0, int y0, int x1, int y1, int width) {
  Cap(p, x0, y0, width);
  Cap(p, x1, y1, width);
  const int dx = x1 - x0;
  const int dy = y1 - y0;
  if (dx == 0 && dy == 0) return;
  const int half = width / 2;
  if (dy == 0) {
    for (int y = y0 - half; y < y0 - half + width; ++y) p.Span(std::min(x0, x1), std::max(x0, x1), y);
    return;
  }
  if (dx == 0) {
    for (int y = std::min(y0, y1); y < std::max(y0, y1); ++y) p.Span(x0 - half, x0 - half + width, y);
    return;
  }
  const double length = std::hypot(static_cast<double>(dx), static_cast<double>(dy));
  double px = -dy / length * (width / 2.0);
  double py = dx / length * (width / 2.0);
  if (px < 0) {
    px = -px;
    py = -py;
  }
  const POINT toRight{RoundAwayFromZero(px), RoundAwayFromZero(py)};
  const POINT toLeft{RoundHalfUp(-px), RoundHalfUp(-py)};
  const POINT quad[4] = {{x0 + toRight.x, y0 + toRight.y},
                         {x1 + toRight.x, y1 + toRight.y},
                         {x1 + toLeft.x, y1 + toLeft.y},
                         {x0 + toLeft.x, y0 + toLeft.y}};
  FillQuad(p, quad);
}

// ---- Arcs ----

struct OutlinePoint {
  POINT pixel;      // box coordinates
  POINT direction;  // from the centre, y pointing up
};

// Which half-turn a direction lies in, for ordering directions counter-clockwise from the
// east: 0 for [0, 180) degrees, 1 for [180, 360).
int HalfTurn(const POINT& v) { return (v.y > 0 || (v.y == 0 && v.x >= 0)) ? 0 : 1; }

// Orders directions by angle from the east, counter-clockwise: negative, 0 or positive.
int CompareAngle(const POINT& a, const POINT& b) {
  const int ha = HalfTurn(a);
  const int hb = HalfTurn(b);
  if (ha != hb) return ha - hb;
  const long long cross = static_cast<long long>(a.x) * b.y - static_cast<long long>(a.y) * b.x;
  return cross > 0 ? -1 : (cross < 0 ? 1 : 0);
}

// The lower-right quarter of the ellipse in a w x h box, from the east end downwards.
std::vector<POINT> QuarterOutline(int w, int h) {
  std::vector<POINT> out;
  WalkEllipseQuarter(w, h, [&](int x, int y) {
    if (x < w / 2) return false;
    out.push_back(POINT{x, y});
    return true;
  });
  return out;
}

std::vector<OutlinePoint> EllipseOutline(int w, int h) {
  const std::vector<POINT> quarter = QuarterOutline(w, h);
  const int cx = w / 2;
  const int cy = h / 2;
  std::vector<OutlinePoint> out;
  out.reserve(quarter.size() * 4);
  for (const POINT& q : quarter) out.push_back({{q.x, h - 1 - q.y}, {q.x - cx, q.y - cy}});
  for (auto it = quarter.rbegin(); it != quarter.rend(); ++it) {
    out.push_back({{w - 1 - it->x, h - 1 - it->y}, {-(it->x - cx), it->y - cy}});
  }
  for (const POINT& q : quarter) out.push_back({{w - 1 - q.x, q.y}, {-(q.x - cx), -(q.y - cy)}});
  for (auto it = quarter.rbegin(); it != quarter.rend(); ++it) {
    out.push_back({{it->x, it->y}, {it->x - cx, -(it->y - cy)}});
  }
  return out;
}

// Frames draw many arcs on the same few boxes; the outlines of the boxes drawn last are
// kept (drawing happens on the one user-interface thread).
const std::vector<OutlinePoint>& CachedEllipseOutline(int w, int h) {
  struct Entry {
    int w = -1;
    int h = -1;
    std::vector<OutlinePoint> outline;
  };
  static Entry cache[8];
  static size_t next = 0;
  for (Entry& e : cache) {
    if (e.w == w && e.h == h) return e.outline;
  }
  Entry& e = cache[next];
  next = (next + 1) % std::size(cache);
  e.w = w;
  e.h = h;
  e.outline = EllipseOutline(w, h);
  return e.outline;
}

// Where a DC can draw at all, in its logical coordinates: the surface cut to the bounding
// box of the visible region. Empty when nothing can be drawn.
RECT DrawableBounds(const DeviceContext& dc) {
  if (!dc.surface) return RECT{0, 0, 0, 0};
  RECT r{0, 0, dc.surface->width, dc.surface->height};
  if (dc.visible) {
    r = Intersect(r, dc.visible->Box());
  }
  return RECT{r.left - dc.origin.x, r.top - dc.origin.y, r.right - dc.origin.x, r.bottom - dc.origin.y};
}

// A stroke from a to b with a pen of this width stays within `reach` pixels of the two
// points' box; a stroke that far from the drawable area cannot touch it. Clipped repaints
// (a satellite's few pixels, a clock's minutes) skip nearly all of a frame this way.
bool StrokeMayShow(const RECT& drawable, POINT a, POINT b, int width) {
  // In 64 bits: a point near the ends of the coordinate range is as far off as it looks.
  const long long reach = static_cast<long long>(width) + 1;
  return std::min(a.x, b.x) - reach < drawable.right && std::max(a.x, b.x) + reach >= drawable.left &&
         std::min(a.y, b.y) - reach < drawable.bottom && std::max(a.y, b.y) + reach >= drawable.top;
}

size_t FindOnOutline(const std::vector<OutlinePoint>& outline, POINT ray) {
  // A ray pointing below the horizontal skips points exactly on it.
  const bool strict = ray.y < 0;
  for (size_t i = 0; i < outline.size(); ++i) {
    const int c = CompareAngle(outline[i].direction, ray);
    if (c > 0 || (c == 0 && !strict)) return i;
  }
  return outline.size();
}

// Where a ray meets the outline of a w x h box, remembered: a frame asks the same few
// dozen questions at every paint, each a walk round the whole outline.
size_t FindOnCachedOutline(const std::vector<OutlinePoint>& outline, int w, int h, POINT ray) {
  struct Key {
    int w, h, x, y;
    bool operator==(const Key&) const = default;
  };
  struct KeyHash {
    size_t operator()(const Key& k) const {
      size_t seed = std::hash<int>()(k.w);
      for (int v : {k.h, k.x, k.y}) seed = seed * 1000003u ^ std::hash<int>()(v);
      return seed;
    }
  };
  static std::unordered_map<Key, size_t, KeyHash> answers;
  const Key key{w, h, ray.x, ray.y};
  if (auto it = answers.find(key); it != answers.end()) return it->second;
  if (answers.size() >= 4096) answers.clear();
  const size_t found = FindOnOutline(outline, ray);
  answers.emplace(key, found);
  return found;
}

}  // namespace

BOOL MoveToEx(HDC hdc, int x, int y, POINT* previous) {
  DeviceContext* dc = FindDC(hdc);
  if (!dc) return FALSE;
  if (previous) *previous = dc->position;
  dc->position = POINT{x, y};
  return TRUE;
}

BOOL LineTo(HDC hdc, int x, int y) {
  DeviceContext* dc = FindDC(hdc);
  if (!dc) return FALSE;
  const PenObject* pen = Find<PenObject>(dc->pen);
  const POINT from = dc->position;
  dc->position = POINT{x, y};
  if (!pen || pen->style == PS_NULL || !dc->surface) return TRUE;
  if (!StrokeMayShow(DrawableBounds(*dc), from, POINT{x, y}, pen->width)) return TRUE;
  Plotter p{*dc, PixelFromColor(pen->color)};
  if (pen->width <= 1) {
    CosmeticLine(p, from.x, from.y, x, y);
  } else {
    WideLine(p, from.x, from.y, x, y, pen->width);
  }
  return TRUE;
}

BOOL Arc(HDC hdc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd, int yEnd) {
  DeviceContext* dc = FindDC(hdc);
  if (!dc) return FALSE;
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  const PenObject* pen = Find<PenObject>(dc->pen);
  if (!pen || pen->style == PS_NULL || !dc->surface) return TRUE;
  const int width = pen->width <= 1 ? 1 : pen->width;
  if (pen->style == PS_INSIDEFRAME && width > 1) {
    left += width / 2;
    top += width / 2;
    right -= (width - 1) / 2;
    bottom -= (width - 1) / 2;
  }
  const long long w = static_cast<long long>(right) - left;
  const long long h = static_cast<long long>(bottom) - top;
  if (w <= 0 || h <= 0) return TRUE;
  if (w > kMaxArcExtent || h > kMaxArcExtent) return FALSE;

  const RECT drawable = DrawableBounds(*dc);
  if (IsEmpty(drawable)) return TRUE;
  const std::vector<OutlinePoint>& outline = CachedEllipseOutline(static_cast<int>(w), static_cast<int>(h));
  if (outline.empty()) return TRUE;
  const int cx = left + static_cast<int>(w / 2);
  const int cy = top + static_cast<int>(h / 2);
  const size_t n = outline.size();
  const size_t start = FindOnCachedOutline(outline, static_cast<int>(w), static_cast<int>(h),
                                           POINT{xStart - cx, -(yStart - cy)});
  size_t end = FindOnCachedOutline(outline, static_cast<int>(w), static_cast<int>(h), POINT{xEnd - cx, -(yEnd - cy)});
  if (end <= start) end += n;

  Plotter p{*dc, PixelFromColor(pen->color)};
  auto at = [&](size_t i) {
    const POINT& q = outline[i % n].pixel;
    return POINT{left + q.x, top + q.y};
  };
  if (width == 1) {
    // A polyline through the points: each segment draws from its first point; a segment
    // between two equal points draws nothing, and the last point is left out.
    for (size_t i = start; i + 1 < end; ++i) {
      const POINT a = at(i);
      const POINT b = at(i + 1);
      if (!(a == b) && StrokeMayShow(drawable, a, b, width)) CosmeticLine(p, a.x, a.y, b.x, b.y);
    }
  } else {
    if (end - start == 1) {
      const POINT a = at(start);
      Cap(p, a.x, a.y, width);
    }
    for (size_t i = start; i + 1 < end; ++i) {
      const POINT a = at(i);
      const POINT b = at(i + 1);
      if (StrokeMayShow(drawable, a, b, width)) WideLine(p, a.x, a.y, b.x, b.y, width);
    }
  }
  return TRUE;
}

BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom) {
  DeviceContext* dc = FindDC(hdc);
  if (!dc) return FALSE;
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  if (!dc->surface) return TRUE;
  const PenObject* pen = Find<PenObject>(dc->pen);
  const BrushObject* brush = Find<BrushObject>(dc->brush);
  const bool outlined = pen && pen->style != PS_NULL;
  // The inside stops one pixel short of the right and bottom edges; without a pen it
  // starts at the left and top edges.
  if (brush && !brush->hollow) {
    Plotter fill{*dc, PixelFromColor(brush->color)};
    const int inset = outlined ? 1 : 0;
    for (int y = top + inset; y < bottom - 1; ++y) fill.Span(left + inset, right - 1, y);
  }
  if (outlined) {
    Plotter p{*dc, PixelFromColor(pen->color)};
    if (pen->width <= 1) {
      CosmeticLine(p, left, top, right - 1, top);
      CosmeticLine(p, right - 1, top, right - 1, bottom - 1);
      CosmeticLine(p, right - 1, bottom - 1, left, bottom - 1);
      CosmeticLine(p, left, bottom - 1, left, top);
    } else {
      WideLine(p, left, top, right - 1, top, pen->width);
      WideLine(p, right - 1, top, right - 1, bottom - 1, pen->width);
      WideLine(p, right - 1, bottom - 1, left, bottom - 1, pen->width);
      WideLine(p, left, bottom - 1, left, top, pen->width);
    }
  }
  return TRUE;
}
