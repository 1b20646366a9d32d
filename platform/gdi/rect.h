// Rectangle arithmetic for the GDI and the layers above it. Rectangles are half-open: the
// left column and top row are inside, the right column and bottom row are not.
#pragma once

#include <algorithm>

#include "platform/core/windef.h"

namespace gdi {

inline bool IsEmpty(const RECT& r) { return r.left >= r.right || r.top >= r.bottom; }

inline bool Contains(const RECT& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

// The common part; empty (and not normalised) when there is none.
inline RECT Intersect(const RECT& a, const RECT& b) {
  return RECT{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
              std::min(a.bottom, b.bottom)};
}

// The smallest rectangle holding both; an empty one adds nothing.
inline RECT Union(const RECT& a, const RECT& b) {
  if (IsEmpty(a)) return b;
  if (IsEmpty(b)) return a;
  return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
              std::max(a.bottom, b.bottom)};
}

inline RECT Offset(RECT r, int dx, int dy) {
  r.left += dx;
  r.right += dx;
  r.top += dy;
  r.bottom += dy;
  return r;
}

}  // namespace gdi
