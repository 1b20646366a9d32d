#include "platform/gdi/region.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <limits>
#include <utility>

#include "platform/gdi/ellipse_walk.h"
#include "platform/gdi/rect.h"

namespace gdi {
namespace {

using Span = std::pair<int, int>;  // [left, right)

// Spans of a region on the scanlines starting at y0. Calls come with increasing y0, so the
// cursor only moves forward and a whole combination stays linear in the number of rectangles.
// The spans of the band that covers y0 (none if no band does), into `spans`.
void SpansAt(const std::vector<RECT>& rects, size_t& cursor, int y0, std::vector<Span>& spans) {
  spans.clear();
  while (cursor < rects.size() && rects[cursor].bottom <= y0) ++cursor;
  for (size_t i = cursor; i < rects.size() && rects[i].top == rects[cursor].top; ++i) {
    if (rects[i].top <= y0) spans.emplace_back(rects[i].left, rects[i].right);
  }
}

// Walks both span lists as boundaries of an inside/outside function and keeps the parts
// where `keep(inA, inB)` holds, into `out`; touching results are merged. `edges` is
// scratch space, passed in so that a whole combination allocates only a few times.
template <typename Keep>
void CombineSpans(const std::vector<Span>& a, const std::vector<Span>& b, Keep keep, std::vector<int>& edges,
                  std::vector<Span>& out) {
  out.clear();
  edges.clear();
  // Both lists are sorted and disjoint, so their edges come in order: merge them.
  size_t i = 0;
  size_t j = 0;
  auto edgeOf = [](const std::vector<Span>& spans, size_t k) { return k % 2 ? spans[k / 2].second : spans[k / 2].first; };
  const size_t na = 2 * a.size();
  const size_t nb = 2 * b.size();
  while (i < na || j < nb) {
    int next;
    if (j >= nb || (i < na && edgeOf(a, i) <= edgeOf(b, j))) {
      next = edgeOf(a, i++);
    } else {
      next = edgeOf(b, j++);
    }
    if (edges.empty() || edges.back() != next) edges.push_back(next);
  }

  auto inside = [](const std::vector<Span>& spans, int x) {
    for (const Span& s : spans) {
      if (s.first <= x && x < s.second) return true;
      if (s.first > x) break;
    }
    return false;
  };

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
}

// Appends bands to a rectangle list in the form every combination gives: a band directly
// below one with the same spans stretches that one instead of starting its own. A band is
// written straight into the list between Begin and End, and taken back out if it only
// repeats the one above.
class BandBuilder {
 public:
  explicit BandBuilder(std::vector<RECT>& out) : out_(out) {}

  // Bands come from the top down; their spans from left to right, apart.
  void Begin(LONG top, LONG bottom) {
    top_ = top;
    bottom_ = bottom;
    start_ = out_.size();
  }
  void AddSpan(LONG left, LONG right) { out_.push_back(RECT{left, top_, right, bottom_}); }
  void End() {
    const size_t count = out_.size() - start_;
    if (count == 0) return;  // an empty band: the next one does not touch the last
    if (previousBottom_ == top_ && start_ - previousStart_ == count && SameSpans(previousStart_, start_, count)) {
      out_.resize(start_);
      for (size_t i = previousStart_; i < out_.size(); ++i) out_[i].bottom = bottom_;
    } else {
      previousStart_ = start_;
    }
    previousBottom_ = bottom_;
  }

  // A band of one span: the only kind elliptic regions have, and clipping a round window
  // meets one at every row.
  void AddBandOfOneSpan(LONG top, LONG bottom, LONG left, LONG right) {
    if (previousBottom_ == top && out_.size() - previousStart_ == 1 && out_.back().left == left &&
        out_.back().right == right) {
      out_.back().bottom = bottom;
    } else {
      previousStart_ = out_.size();
      out_.push_back(RECT{left, top, right, bottom});
    }
    previousBottom_ = bottom;
  }

  void Add(LONG top, LONG bottom, const std::vector<Span>& spans) {
    Begin(top, bottom);
    for (const Span& s : spans) AddSpan(s.first, s.second);
    End();
  }

 private:
  bool SameSpans(size_t a, size_t b, size_t count) const {
    for (size_t i = 0; i < count; ++i) {
      if (out_[a + i].left != out_[b + i].left || out_[a + i].right != out_[b + i].right) return false;
    }
    return true;
  }

  std::vector<RECT>& out_;
  LONG top_ = 0;
  LONG bottom_ = 0;
  size_t start_ = 0;
  size_t previousStart_ = 0;
  LONG previousBottom_ = std::numeric_limits<LONG>::min();
};

// The part of a region inside a rectangle, in combination form: clipping needs no walk over
// both operands' edges, and clipping to a rectangle is what windows and updates mostly do.
std::vector<RECT> ClipToRect(const std::vector<RECT>& rects, const RECT& clip) {
  std::vector<RECT> out;
  if (clip.left >= clip.right || clip.top >= clip.bottom) return out;
  out.reserve(rects.size());
  BandBuilder bands(out);
  auto it = std::partition_point(rects.begin(), rects.end(), [&](const RECT& r) { return r.bottom <= clip.top; });
  while (it != rects.end() && it->top < clip.bottom) {
    const LONG top = it->top;
    if (it + 1 == rects.end() || (it + 1)->top != top) {
      const LONG left = std::max(it->left, clip.left);
      const LONG right = std::min(it->right, clip.right);
      if (left < right) bands.AddBandOfOneSpan(std::max(top, clip.top), std::min(it->bottom, clip.bottom), left, right);
      ++it;
      continue;
    }
    bands.Begin(std::max(top, clip.top), std::min(it->bottom, clip.bottom));
    for (; it != rects.end() && it->top == top; ++it) {
      const LONG left = std::max(it->left, clip.left);
      const LONG right = std::min(it->right, clip.right);
      if (left < right) bands.AddSpan(left, right);
    }
    bands.End();
  }
  return out;
}

}  // namespace

Region Region::FromRect(int left, int top, int right, int bottom) {
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  Region r;
  if (left < right && top < bottom) r.SetRects({RECT{left, top, right, bottom}});
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

  // How far each row is inset from the box's sides: walk the lower-right quarter from the
  // middle row down, then mirror it onto the upper half.
  std::vector<int> inset(static_cast<size_t>(h), 0);
  const int a = w - 1;
  const int b = h - 1;
  int lastRow = h / 2;
  WalkEllipseQuarter(w, h, [&](int x, int y) {
    if (y != lastRow) {
      lastRow = y;
      if (y < h) inset[static_cast<size_t>(y)] = a - x;
    }
    return a - x <= w / 2;
  });
  for (int i = 0; i < h / 2; ++i) inset[static_cast<size_t>(i)] = inset[static_cast<size_t>(b - i)];

  std::vector<RECT> rows;
  rows.reserve(static_cast<size_t>(h));
  for (int i = 0; i < h; ++i) {
    const int l = left + inset[static_cast<size_t>(i)];
    const int rr = right - inset[static_cast<size_t>(i)];
    if (l < rr) rows.push_back(RECT{l, top + i, rr, top + i + 1});
  }
  Region r;
  r.SetRects(std::move(rows));
  r.coalesced_ = false;  // one band a row, as created
  return r;
}

void Region::SetRects(std::vector<RECT> rects) {
  rects_ = std::move(rects);
  box_ = RECT{};
  if (rects_.empty()) return;
  box_ = rects_.front();
  for (const RECT& r : rects_) {
    box_.left = std::min(box_.left, r.left);
    box_.right = std::max(box_.right, r.right);
  }
  box_.bottom = rects_.back().bottom;
}

int Region::Complexity() const {
  if (rects_.empty()) return kNullRegion;
  return rects_.size() == 1 ? kSimpleRegion : kComplexRegion;
}

const RECT* Region::RectAt(int x, int y) const {
  // Drawing asks this for every pixel: find the band by binary search, then look at its
  // few spans.
  auto it = std::upper_bound(rects_.begin(), rects_.end(), y,
                             [](int value, const RECT& r) { return value < r.top; });
  if (it == rects_.begin()) return nullptr;
  --it;
  if (y >= it->bottom) return nullptr;
  const LONG top = it->top;
  for (;; --it) {
    if (it->top != top) return nullptr;
    if (it->left <= x && x < it->right) return &*it;
    if (it == rects_.begin()) return nullptr;
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
  for (RECT& r : rects_) r = gdi::Offset(r, dx, dy);
  if (!rects_.empty()) box_ = gdi::Offset(box_, dx, dy);
}

Region Region::Combine(const Region& a, const Region& b, Op op) {
  // An operand that is one rectangle, or that stays clear of the other, leaves nothing to
  // merge edge by edge: the answer is the other operand clipped, or kept, as it stands.
  const RECT everything{std::numeric_limits<LONG>::min(), std::numeric_limits<LONG>::min(),
                        std::numeric_limits<LONG>::max(), std::numeric_limits<LONG>::max()};
  auto clipped = [](const Region& r, const RECT& clip) {
    // A region in combination form that lies inside the clip is its own answer.
    if (r.coalesced_ && Intersect(r.box_, clip) == r.box_) return r;
    Region out;
    out.SetRects(ClipToRect(r.rects_, clip));
    return out;
  };
  auto asIs = [&](const Region& r) { return clipped(r, everything); };
  auto apart = [](const Region& p, const Region& q) { return gdi::IsEmpty(Intersect(p.box_, q.box_)); };
  switch (op) {
    case Op::And:
      if (a.rects_.empty() || b.rects_.empty() || apart(a, b)) return Region();
      if (a.rects_.size() == 1) return clipped(b, a.rects_.front());
      if (b.rects_.size() == 1) return clipped(a, b.rects_.front());
      break;
    case Op::Diff:
      if (a.rects_.empty()) return Region();
      if (b.rects_.empty() || apart(a, b)) return asIs(a);
      break;
    case Op::Or:
    case Op::Xor:
      if (a.rects_.empty()) return asIs(b);
      if (b.rects_.empty()) return asIs(a);
      break;
  }

  // Only rows inside both operands can survive an intersection, and only rows of the first
  // a difference: clipping a small update area by a round window looks at a few bands, not
  // at every row of the ellipse.
  LONG low = std::numeric_limits<LONG>::min();
  LONG high = std::numeric_limits<LONG>::max();
  if (op == Op::And || op == Op::Diff) {
    low = a.rects_.front().top;
    high = a.rects_.back().bottom;
    if (op == Op::And) {
      low = std::max(low, b.rects_.front().top);
      high = std::min(high, b.rects_.back().bottom);
    }
    if (low >= high) return Region();
  }

  // Band edges of both operands, each list already in order; merged without duplicates.
  auto bandEdges = [low, high](const std::vector<RECT>& rects) {
    std::vector<int> edges;
    for (const RECT& r : rects) {
      if (r.bottom <= low || r.top >= high) continue;
      for (LONG y : {std::max(r.top, low), std::min(r.bottom, high)}) {
        if (edges.empty() || edges.back() < y) edges.push_back(static_cast<int>(y));
      }
    }
    return edges;
  };
  const std::vector<int> edgesA = bandEdges(a.rects_);
  const std::vector<int> edgesB = bandEdges(b.rects_);
  std::vector<int> ys;
  ys.reserve(edgesA.size() + edgesB.size());
  std::merge(edgesA.begin(), edgesA.end(), edgesB.begin(), edgesB.end(), std::back_inserter(ys));
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

  std::vector<RECT> rects;
  BandBuilder bands(rects);
  auto firstBandReaching = [](const std::vector<RECT>& rects, LONG y) {
    return static_cast<size_t>(std::partition_point(rects.begin(), rects.end(), [y](const RECT& r) {
                                 return r.bottom <= y;
                               }) - rects.begin());
  };
  size_t cursorA = ys.empty() ? 0 : firstBandReaching(a.rects_, ys.front());
  size_t cursorB = ys.empty() ? 0 : firstBandReaching(b.rects_, ys.front());
  std::vector<Span> spansA;
  std::vector<Span> spansB;
  std::vector<Span> spans;
  std::vector<int> edges;
  for (size_t k = 0; k + 1 < ys.size(); ++k) {
    const int y0 = ys[k];
    const int y1 = ys[k + 1];
    SpansAt(a.rects_, cursorA, y0, spansA);
    SpansAt(b.rects_, cursorB, y0, spansB);
    CombineSpans(spansA, spansB, keep, edges, spans);
    bands.Add(y0, y1, spans);
  }
  Region out;
  out.SetRects(std::move(rects));
  return out;
}

Region Region::And(const Region& a, const Region& b) { return Combine(a, b, Op::And); }
Region Region::Or(const Region& a, const Region& b) { return Combine(a, b, Op::Or); }
Region Region::Diff(const Region& a, const Region& b) { return Combine(a, b, Op::Diff); }
Region Region::Xor(const Region& a, const Region& b) { return Combine(a, b, Op::Xor); }

}  // namespace gdi
