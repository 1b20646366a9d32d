// Device contexts: making and deleting them, what is selected into them, their clipping,
// capabilities and text and background attributes.
#include <memory>
#include <utility>
#include <variant>

#include "platform/gdi/objects.h"

using namespace gdi;

namespace {

HBITMAP StockMonoBitmap() {
  // Every new memory DC starts with a 1 x 1 monochrome bitmap selected, as on the classic
  // platform; it is shared and never deleted.
  static HBITMAP cached = nullptr;
  if (cached && Find<BitmapObject>(cached)) return cached;
  BitmapObject b;
  b.surface = std::make_shared<Surface>(1, 1, 0x000000);
  b.bitsPixel = 1;
  cached = reinterpret_cast<HBITMAP>(AddObject(std::move(b), true));
  return cached;
}

}  // namespace

HDC CreateCompatibleDC(HDC hdc) {
  auto dc = std::make_unique<DeviceContext>();
  dc->kind = DeviceContext::Kind::Memory;
  const DeviceContext* ref = hdc ? FindDC(hdc) : nullptr;
  if (hdc && !ref) return nullptr;
  dc->bitsPixel = ref ? ref->bitsPixel : DisplayBitsPerPixel();
  dc->bitmap = StockMonoBitmap();
  dc->surface = Find<BitmapObject>(dc->bitmap)->surface;
  SelectDefaultObjects(*dc);
  return AddDeviceContext(std::move(dc));
}

BOOL DeleteDC(HDC hdc) {
  DeviceContext* dc = FindDC(hdc);
  if (!dc || dc->kind == DeviceContext::Kind::Window) return FALSE;
  if (BitmapObject* b = Find<BitmapObject>(dc->bitmap)) b->selectedInto = nullptr;
  RemoveDeviceContext(hdc);
  return TRUE;
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ obj) {
  DeviceContext* dc = FindDC(hdc);
  GdiObject* o = FindObject(obj);
  if (!dc || !o) return nullptr;
  if (std::holds_alternative<PenObject>(*o)) {
    return AsGdiObject(std::exchange(dc->pen, reinterpret_cast<HPEN>(obj)));
  }
  if (std::holds_alternative<BrushObject>(*o)) {
    return AsGdiObject(std::exchange(dc->brush, reinterpret_cast<HBRUSH>(obj)));
  }
  if (std::holds_alternative<FontObject>(*o)) {
    return AsGdiObject(std::exchange(dc->font, reinterpret_cast<HFONT>(obj)));
  }
  if (auto* bmp = std::get_if<BitmapObject>(o)) {
    if (dc->kind != DeviceContext::Kind::Memory) return nullptr;
    if (bmp->selectedInto && bmp->selectedInto != hdc) return nullptr;
    if (BitmapObject* old = Find<BitmapObject>(dc->bitmap)) old->selectedInto = nullptr;
    bmp->selectedInto = hdc;
    dc->surface = bmp->surface;
    dc->appClip.reset();
    UpdateVisible(*dc);
    return AsGdiObject(std::exchange(dc->bitmap, reinterpret_cast<HBITMAP>(obj)));
  }
  if (std::holds_alternative<RegionObject>(*o)) {
    const int type = SelectClipRgn(hdc, reinterpret_cast<HRGN>(obj));
    return reinterpret_cast<HGDIOBJ>(static_cast<std::uintptr_t>(type));
  }
  return nullptr;  // palettes go through SelectPalette
}

int SelectClipRgn(HDC hdc, HRGN region) {
  DeviceContext* dc = FindDC(hdc);
  if (!dc) return ERROR;
  if (!region) {
    dc->appClip.reset();
  } else {
    const RegionObject* r = Find<RegionObject>(region);
    if (!r) return ERROR;
    Region clip = r->region;
    clip.Offset(dc->origin.x, dc->origin.y);
    dc->appClip = std::move(clip);
  }
  UpdateVisible(*dc);
  return dc->visible ? dc->visible->Complexity() : SIMPLEREGION;
}

int GetDeviceCaps(HDC hdc, int index) {
  const DeviceContext* dc = FindDC(hdc);
  if (!dc) return 0;
  switch (index) {
    case BITSPIXEL:
      // A memory DC reports the device it is compatible with, whatever bitmap it holds.
      return dc->bitsPixel;
    case PLANES: return 1;
    case HORZRES: return dc->surface ? dc->surface->width : 0;
    case VERTRES: return dc->surface ? dc->surface->height : 0;
    default: return 0;
  }
}

COLORREF SetTextColor(HDC hdc, COLORREF color) {
  DeviceContext* dc = FindDC(hdc);
  return dc ? std::exchange(dc->textColor, color & 0xFFFFFF) : CLR_INVALID;
}

COLORREF GetTextColor(HDC hdc) {
  const DeviceContext* dc = FindDC(hdc);
  return dc ? dc->textColor : CLR_INVALID;
}

COLORREF SetBkColor(HDC hdc, COLORREF color) {
  DeviceContext* dc = FindDC(hdc);
  return dc ? std::exchange(dc->bkColor, color & 0xFFFFFF) : CLR_INVALID;
}

COLORREF GetBkColor(HDC hdc) {
  const DeviceContext* dc = FindDC(hdc);
  return dc ? dc->bkColor : CLR_INVALID;
}

int SetBkMode(HDC hdc, int mode) {
  DeviceContext* dc = FindDC(hdc);
  if (!dc || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
  return std::exchange(dc->bkMode, mode);
}

int GetBkMode(HDC hdc) {
  const DeviceContext* dc = FindDC(hdc);
  return dc ? dc->bkMode : 0;
}
