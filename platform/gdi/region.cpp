#include "platform/gdi/region.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace gdi {
namespace {

using Span = std::pair<int, int>;  // [left, right)

// Spans of a region on the scanlines starting at y0. Calls come with increasing y0, so the
// cursor only moves forward and a whole combination stays linear in the number of rectangles.
std::vector<Span> SpansAt(const std::vector<RECT>& rects, size_t& cursor, int y0) {
  while (cursor < rects.size() && rects[cursor].bottom <= y0) ++cursor;
  std::vector<Span> spans;
  for (size_t i = cursor; i < rects.size() && rects[i].top == rects[cursor].top; ++i) {
    if (rects[i].top <= y0) spans.emplace_back(rects[i].left, rects[i].right);
  }
  return spans;
}

// Walks both span lists as boundaries of an inside/outside function and keeps the parts
// where `keep(inA, inB)` holds; touching results are merged.
template <typename Keep>
std::vector<Span> CombineSpans(const std::vector<Span>& a, const std::vector<Span>& b, Keep keep) {
  std::vector<int> edges;
  edges.reserve(2 * (a.size() + b.size()));
  for (const Span& s : a) {
    edges.push_back(s.first);
    edges.push_back(s.second);
  }
  for (const Span& s : b) {
    edges.push_back(s.first);
    edges.push_back(s.second);
  }
  std::sort(edges.begin(), edges.end());
  edges.erase(std::unique(edges.begin(), edges.end()), edges.end());

  auto inside = [](const std::vector<Span>& spans, int x) {
    for (const Span& s : spans) {
      if (s.first <= x && x < s.second) return true;
      if (s.first > x) break;
    }
    return false;
  };

  std::vector<Span> out;
  for (size_t k = 0; k + 1 < edges.size(); ++k) {
    const int x0 = edges[k];
    const int x1 = edges[k + 1];
    if (!keep(inside(a, x0), inside(b, x0))) continue;
    if (!out.empty() && out.back().second == x0) {
      out.back().second = x1;
    } else {
      out.emplace_back(x0, x1);
    }
  }
  return out;
}

}  // namespace

Region Region::FromRect(int left, int top, int right, int bottom) {
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  Region r;
  if (left < right && top < bottom) r.rects_.push_back(RECT{left, top, right, bottom});
  return r;
}

Region Region::Ellipse(int left, int top, int right, int bottom) {
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  // The classic region covers the box without its right column and bottom row.
  --right;
  --bottom;
  const int w = right - left;
  const int h = bottom - top;
  if (w < 2 || h < 2) return FromRect(left, top, right, bottom);

  // Integer midpoint ellipse on a w x h pixel grid (after A. Zingl's rasterising
  // algorithm): walk the lower-right quarter from the middle row down, recording how far
  // each row is inset, then mirror it onto the upper half.
  std::vector<int> inset(static_cast<size_t>(h), 0);
  const std::int64_t a = w - 1;
  const std::int64_t b = h - 1;
  const std::int64_t stepA = 8 * a * a;
  const std::int64_t stepB = 8 * b * b;
  std::int64_t dx = 4 * b * b * (1 - a);
  std::int64_t dy = 4 * a * a * (1 + (b % 2));
  std::int64_t err = dx + dy + a * a * (b % 2);
  int x = 0;
  int y = h / 2;
  while (x <= w / 2) {
    const std::int64_t e2 = 2 * err;
    if (e2 >= dx) {
      ++x;
      dx += stepB;
      err += dx;
    }
    if (e2 <= dy) {
      ++y;
      dy += stepA;
      err += dy;
      if (y < h) inset[static_cast<size_t>(y)] = x;
    }
  }
  for (int i = 0; i < h / 2; ++i) inset[static_cast<size_t>(i)] = inset[static_cast<size_t>(b - i)];

  Region r;
  r.rects_.reserve(static_cast<size_t>(h));
  for (int i = 0; i < h; ++i) {
    const int l = left + inset[static_cast<size_t>(i)];
    const int rr = right - inset[static_cast<size_t>(i)];
    if (l < rr) r.rects_.push_back(RECT{l, top + i, rr, top + i + 1});
  }
  return r;
}

RECT Region::Box() const {
  if (rects_.empty()) return RECT{};
  RECT box = rects_.front();
  for (const RECT& r : rects_) {
    box.left = std::min(box.left, r.left);
    box.right = std::max(box.right, r.right);
    box.bottom = std::max(box.bottom, r.bottom);
  }
  return box;
}

int Region::Complexity() const {
  if (rects_.empty()) return kNullRegion;
  return rects_.size() == 1 ? kSimpleRegion : kComplexRegion;
}

bool Region::Contains(int x, int y) const {
  // Drawing asks this for every pixel: find the band by binary search, then look at its
  // few spans.
  auto it = std::upper_bound(rects_.begin(), rects_.end(), y,
                             [](int value, const RECT& r) { return value < r.top; });
  if (it == rects_.begin()) return false;
  --it;
  if (y >= it->bottom) return false;
  const LONG top = it->top;
  for (;; --it) {
    if (it->top != top) return false;
    if (it->left <= x && x < it->right) return true;
    if (it == rects_.begin()) return false;
  }
}

bool Region::IntersectsRect(const RECT& q) const {
  for (const RECT& r : rects_) {
    if (r.top >= q.bottom) return false;
    if (r.bottom > q.top && r.left < q.right && q.left < r.right) return true;
  }
  return false;
}

void Region::Offset(int dx, int dy) {
  for (RECT& r : rects_) {
    r.left += dx;
    r.right += dx;
    r.top += dy;
    r.bottom += dy;
  }
}

Region Region::Combine(const Region& a, const Region& b, Op op) {
  std::vector<int> ys;
  ys.reserve(2 * (a.rects_.size() + b.rects_.size()));
  for (const RECT& r : a.rects_) {
    ys.push_back(r.top);
    ys.push_back(r.bottom);
  }
  for (const RECT& r : b.rects_) {
    ys.push_back(r.top);
    ys.push_back(r.bottom);
  }
  std::sort(ys.begin(), ys.end());
  ys.erase(std::unique(ys.begin(), ys.end()), ys.end());

  auto keep = [op](bool inA, bool inB) {
    switch (op) {
      case Op::And: return inA && inB;
      case Op::Or: return inA || inB;
      case Op::Diff: return inA && !inB;
      case Op::Xor: return inA != inB;
    }
    return false;
  };

  Region out;
  size_t cursorA = 0;
  size_t cursorB = 0;
  std::vector<Span> previous;
  LONG previousBottom = 0;
  size_t previousStart = 0;
  for (size_t k = 0; k + 1 < ys.size(); ++k) {
    const int y0 = ys[k];
    const int y1 = ys[k + 1];
    std::vector<Span> spans = CombineSpans(SpansAt(a.rects_, cursorA, y0), SpansAt(b.rects_, cursorB, y0), keep);
    if (spans.empty()) continue;
    if (!out.rects_.empty() && previousBottom == y0 && spans == previous) {
      // Same spans directly below the previous band: stretch that band instead.
      for (size_t i = previousStart; i < out.rects_.size(); ++i) out.rects_[i].bottom = y1;
    } else {
      previousStart = out.rects_.size();
      for (const Span& s : spans) out.rects_.push_back(RECT{s.first, y0, s.second, y1});
      previous = std::move(spans);
    }
    previousBottom = y1;
  }
  return out;
}

Region Region::And(const Region& a, const Region& b) { return Combine(a, b, Op::And); }
Region Region::Or(const Region& a, const Region& b) { return Combine(a, b, Op::Or); }
Region Region::Diff(const Region& a, const Region& b) { return Combine(a, b, Op::Diff); }
Region Region::Xor(const Region& a, const Region& b) { return Combine(a, b, Op::Xor); }

}  // namespace gdi
