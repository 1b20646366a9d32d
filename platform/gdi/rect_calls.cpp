// The classic rectangle calls, on the rectangle arithmetic of rect.h.

#include "platform/gdi/rect.h"

using namespace gdi;

BOOL SetRect(RECT* r, int left, int top, int right, int bottom) {
  if (!r) return FALSE;
  *r = RECT{left, top, right, bottom};
  return TRUE;
}

BOOL SetRectEmpty(RECT* r) { return SetRect(r, 0, 0, 0, 0); }

BOOL IsRectEmpty(const RECT* r) { return !r || IsEmpty(*r); }

BOOL PtInRect(const RECT* r, POINT p) { return r && Contains(*r, p.x, p.y); }

BOOL OffsetRect(RECT* r, int dx, int dy) {
  if (!r) return FALSE;
  *r = Offset(*r, dx, dy);
  return TRUE;
}

BOOL IntersectRect(RECT* out, const RECT* a, const RECT* b) {
  if (!out || !a || !b) return FALSE;
  const RECT r = Intersect(*a, *b);
  *out = IsEmpty(r) ? RECT{} : r;
  return IsEmpty(r) ? FALSE : TRUE;
}

BOOL UnionRect(RECT* out, const RECT* a, const RECT* b) {
  if (!out || !a || !b) return FALSE;
  *out = Union(*a, *b);
  return !IsRectEmpty(out);
}
