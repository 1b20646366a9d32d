// The GDI's own tables: drawing objects and device contexts behind their handles. Used by
// the GDI calls and by the window layer, which makes device contexts for windows.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/core/windef.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/rect.h"
#include "platform/gdi/region.h"
#include "platform/gdi/surface.h"

namespace gdi {

struct PenObject {
  int style = 0;
  int width = 0;
  COLORREF color = 0;
};

struct BrushObject {
  COLORREF color = 0;
  bool hollow = false;
};

struct FontObject {
  LONG height = 0;
  LONG width = 0;
  LONG escapement = 0;
  LONG orientation = 0;
  LONG weight = 0;
  BYTE italic = 0;
  BYTE underline = 0;
  BYTE strikeOut = 0;
  BYTE charSet = 0;
  BYTE outPrecision = 0;
  BYTE clipPrecision = 0;
  BYTE quality = 0;
  BYTE pitchAndFamily = 0;
  std::string face;  // UTF-8
};

struct BitmapObject {
  std::shared_ptr<Surface> surface;
  int bitsPixel = 32;
  int planes = 1;
  HDC selectedInto = nullptr;
};

struct RegionObject {
  Region region;
};

struct PaletteObject {
  std::vector<PALETTEENTRY> entries;
};

using GdiObject =
    std::variant<PenObject, BrushObject, FontObject, BitmapObject, RegionObject, PaletteObject>;

struct DeviceContext {
  enum class Kind { Window, Memory, Screen };
  Kind kind = Kind::Memory;
  HWND hwnd = nullptr;       // window DCs: the window drawn into
  HWND topLevel = nullptr;   // window DCs: whose pixels these are
  std::shared_ptr<Surface> surface;
  POINT origin;              // surface position of logical (0, 0)
  // Surface coordinates; none = no limit. `visible` is what drawing honours: the window
  // system's part (a window's visible area, the update region while painting) and the
  // program's clip region together.
  std::optional<Region> systemClip;
  std::optional<Region> appClip;
  std::optional<Region> visible;
  HPEN pen = nullptr;
  HBRUSH brush = nullptr;
  HFONT font = nullptr;
  HBITMAP bitmap = nullptr;
  HPALETTE palette = nullptr;
  COLORREF textColor = 0;
  COLORREF bkColor = 0xFFFFFF;
  int bkMode = 2;  // OPAQUE
  POINT position;
  int bitsPixel = 32;
  // Bounding box of what was drawn since the last presentation, surface coordinates.
  std::optional<RECT> dirty;
};

// Object table. Handles are numbers, each given out once for the life of the process (not
// even a reset of the tables starts them again); lookups of stale or foreign handles fail
// safely.
HGDIOBJ AddObject(GdiObject object, bool stock = false);
GdiObject* FindObject(HGDIOBJ handle);
template <typename T>
T* Find(HGDIOBJ handle) {
  GdiObject* o = FindObject(handle);
  return o ? std::get_if<T>(o) : nullptr;
}
template <typename T, typename H>
T* Find(H handle) {
  return Find<T>(reinterpret_cast<HGDIOBJ>(handle));
}
// Removes an object without the checks of DeleteObject (used when a window takes over a
// region).
void RemoveObject(HGDIOBJ handle);
size_t LiveObjectCount();  // not counting stock objects

HDC AddDeviceContext(std::unique_ptr<DeviceContext> dc);
DeviceContext* FindDC(HDC hdc);
void RemoveDeviceContext(HDC hdc);
size_t LiveDeviceContextCount();

// A new DC's objects: black pen, white brush, system font, default palette.
void SelectDefaultObjects(DeviceContext& dc);
// Recomputes `visible` after either clip changed.
void UpdateVisible(DeviceContext& dc);
// Records that the rectangle (surface coordinates) was drawn.
void MarkDirty(DeviceContext& dc, const RECT& r);

// Calls paint(part) for each piece of a surface rectangle that the DC may draw on (inside
// its surface and its visible region), and records the pieces as drawn.
template <typename Paint>
void ForEachDrawablePart(DeviceContext& dc, RECT area, Paint paint) {
  if (!dc.surface) return;
  area = Intersect(area, RECT{0, 0, dc.surface->width, dc.surface->height});
  if (IsEmpty(area)) return;
  if (!dc.visible) {
    paint(area);
    MarkDirty(dc, area);
    return;
  }
  // The region is sorted by top, and its bands do not overlap: start at the first band that
  // reaches the area, stop at the first below it.
  const std::vector<RECT>& rects = dc.visible->Rects();
  auto first = std::partition_point(rects.begin(), rects.end(), [&](const RECT& v) { return v.bottom <= area.top; });
  for (auto it = first; it != rects.end(); ++it) {
    const RECT& v = *it;
    if (v.top >= area.bottom) break;
    const RECT part = Intersect(v, area);
    if (IsEmpty(part)) continue;
    paint(part);
    MarkDirty(dc, part);
  }
}

// Pixels a DC may touch: its surface clipped by its visible region.
bool DcCanDraw(const DeviceContext& dc, int sx, int sy);

// Forgets every object, DC, stock object and the system palette (platform shutdown).
void ResetAll();

// Display depth the GDI reports for screen-compatible surfaces and BITSPIXEL.
void SetDisplayBitsPerPixel(int bits);
int DisplayBitsPerPixel();

// Where copies from the screen DC come from: the window layer plugs in its backend's screen.
// Fills `out` (rows `stride` pixels apart) with the screen pixels (0x00RRGGBB) of `area`,
// black off the screen. Without a reader the screen reads as black.
using ScreenReader = std::function<void(const RECT& area, std::uint32_t* out, int stride)>;
void SetScreenReader(ScreenReader reader);
void ReadScreen(const RECT& area, std::uint32_t* out, int stride);

}  // namespace gdi
