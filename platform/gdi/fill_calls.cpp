// Filling rectangles and regions with a brush, and single pixels.
#include <algorithm>

#include "platform/gdi/objects.h"

using namespace gdi;

namespace {

// Logical rectangle to surface coordinates.
RECT ToSurface(const DeviceContext& dc, const RECT& r) {
  return RECT{r.left + dc.origin.x, r.top + dc.origin.y, r.right + dc.origin.x, r.bottom + dc.origin.y};
}

// Fills the part of a surface rectangle that the DC may draw on.
void FillSurfaceRect(DeviceContext& dc, const RECT& s, std::uint32_t pixel) {
  Surface& surf = *dc.surface;
  ForEachDrawablePart(dc, s, [&](const RECT& part) {
    for (int y = part.top; y < part.bottom; ++y) std::fill_n(surf.Row(y) + part.left, part.right - part.left, pixel);
  });
}

}  // namespace

int FillRect(HDC hdc, const RECT* rect, HBRUSH brush) {
  DeviceContext* dc = FindDC(hdc);
  const BrushObject* b = Find<BrushObject>(brush);
  if (!dc || !rect || !b || !dc->surface) return 0;
  if (!b->hollow) FillSurfaceRect(*dc, ToSurface(*dc, *rect), PixelFromColor(b->color));
  return 1;
}

BOOL FillRgn(HDC hdc, HRGN rgn, HBRUSH brush) {
  DeviceContext* dc = FindDC(hdc);
  const RegionObject* r = Find<RegionObject>(rgn);
  const BrushObject* b = Find<BrushObject>(brush);
  if (!dc || !r || !b || !dc->surface) return FALSE;
  if (b->hollow) return TRUE;
  const std::uint32_t pixel = PixelFromColor(b->color);
  for (const RECT& part : r->region.Rects()) FillSurfaceRect(*dc, ToSurface(*dc, part), pixel);
  return TRUE;
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color) {
  DeviceContext* dc = FindDC(hdc);
  if (!dc) return CLR_INVALID;
  const int sx = x + dc->origin.x;
  const int sy = y + dc->origin.y;
  if (!DcCanDraw(*dc, sx, sy)) return CLR_INVALID;
  dc->surface->At(sx, sy) = PixelFromColor(color);
  MarkDirty(*dc, RECT{sx, sy, sx + 1, sy + 1});
  return color & 0xFFFFFF;
}

COLORREF GetPixel(HDC hdc, int x, int y) {
  const DeviceContext* dc = FindDC(hdc);
  if (!dc) return CLR_INVALID;
  const int sx = x + dc->origin.x;
  const int sy = y + dc->origin.y;
  if (!DcCanDraw(*dc, sx, sy)) return CLR_INVALID;
  return ColorFromPixel(dc->surface->At(sx, sy));
}
