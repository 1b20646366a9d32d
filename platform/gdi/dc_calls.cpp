// Device contexts, bitmaps and the simple drawing calls.
#include <algorithm>
#include <cstring>

#include "platform/gdi/gdi.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/rect.h"

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

// Logical rectangle to surface coordinates.
RECT ToSurface(const DeviceContext& dc, const RECT& r) {
  return RECT{r.left + dc.origin.x, r.top + dc.origin.y, r.right + dc.origin.x, r.bottom + dc.origin.y};
}

// Combines a row of pixels into another, two pixels at a time (the rows need not be aligned).
template <typename Op>
void CombineRow(std::uint32_t* out, const std::uint32_t* in, int n, Op op) {
  int i = 0;
  for (; i + 2 <= n; i += 2) {
    std::uint64_t a;
    std::uint64_t b;
    std::memcpy(&a, out + i, sizeof a);
    std::memcpy(&b, in + i, sizeof b);
    a = op(a, b);
    std::memcpy(out + i, &a, sizeof a);
  }
  for (; i < n; ++i) out[i] = static_cast<std::uint32_t>(op(out[i], in[i]));
}

// Fills the part of a surface rectangle that the DC may draw on.
void FillSurfaceRect(DeviceContext& dc, const RECT& s, std::uint32_t pixel) {
  Surface& surf = *dc.surface;
  ForEachDrawablePart(dc, s, [&](const RECT& part) {
    for (int y = part.top; y < part.bottom; ++y) std::fill_n(surf.Row(y) + part.left, part.right - part.left, pixel);
  });
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

HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height) {
  const DeviceContext* dc = FindDC(hdc);
  if (!dc || width < 0 || height < 0) return nullptr;
  // A memory DC holding the stock monochrome bitmap makes monochrome bitmaps, as on the
  // classic platform.
  const BitmapObject* current = Find<BitmapObject>(dc->bitmap);
  const bool mono = dc->kind == DeviceContext::Kind::Memory && current && current->bitsPixel == 1;
  return CreateBitmap(width, height, 1, mono ? 1 : static_cast<UINT>(dc->bitsPixel), nullptr);
}

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
  // Bitmaps are at most a screen-sized picture a few times over; refuse absurd sizes
  // instead of trying to allocate them.
  constexpr long long kMaxPixels = 1LL << 26;
  if (width < 0 || height < 0 || planes != 1 ||
      static_cast<long long>(width) * height > kMaxPixels) {
    return nullptr;
  }
  BitmapObject b;
  b.surface = std::make_shared<Surface>(width == 0 ? 1 : width, height == 0 ? 1 : height, 0);
  b.bitsPixel = bitsPerPixel == 0 ? 1 : static_cast<int>(bitsPerPixel);
  b.planes = 1;
  if (bits && b.bitsPixel == 32) {
    const auto* src = static_cast<const std::uint32_t*>(bits);
    std::copy_n(src, b.surface->pixels.size(), b.surface->pixels.begin());
  }
  return reinterpret_cast<HBITMAP>(AddObject(std::move(b)));
}

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY, DWORD rop) {
  DeviceContext* d = FindDC(dest);
  DeviceContext* s = FindDC(src);
  if (!d || !s || !d->surface) return FALSE;
  if (rop != SRCCOPY && rop != SRCAND && rop != SRCPAINT) return FALSE;
  if (width <= 0 || height <= 0) return TRUE;

  // The screen is read only where a copy asks for it: grabbing it whole for every screen
  // DC would cost a full-screen copy each time.
  std::shared_ptr<Surface> source = s->surface;
  POINT sourceOrigin = s->origin;
  if (s->kind == DeviceContext::Kind::Screen) {
    source = std::make_shared<Surface>(width, height);
    ReadScreen(RECT{srcX, srcY, srcX + width, srcY + height}, source->pixels.data(), width);
    sourceOrigin = POINT{-srcX, -srcY};
  }
  if (!source) return FALSE;

  // Work in surface coordinates of both sides and clip against both surfaces.
  int dx = x + d->origin.x;
  int dy = y + d->origin.y;
  int sx = srcX + sourceOrigin.x;
  int sy = srcY + sourceOrigin.y;
  int w = width;
  int h = height;
  auto clipAxis = [](int& dpos, int& spos, int& len, int dlim, int slim) {
    const int cut = std::max({0, -dpos, -spos});
    dpos += cut;
    spos += cut;
    len -= cut;
    len = std::min({len, dlim - dpos, slim - spos});
  };
  clipAxis(dx, sx, w, d->surface->width, source->width);
  clipAxis(dy, sy, h, d->surface->height, source->height);
  if (w <= 0 || h <= 0) return TRUE;

  // Copy through a temporary when source and destination share pixels, so overlapping
  // blocks read the original values.
  const Surface* from = source.get();
  Surface scratch;
  if (source == d->surface) {
    scratch = *source;
    from = &scratch;
  }
  Surface& to = *d->surface;
  // Copy row pieces: the whole rectangle, or its parts inside the visible region.
  auto copyPiece = [&](int x0, int y0, int x1, int y1) {
    for (int ty = y0; ty < y1; ++ty) {
      const std::uint32_t* in = from->Row(sy + (ty - dy)) + sx + (x0 - dx);
      std::uint32_t* out = to.Row(ty) + x0;
      const int n = x1 - x0;
      switch (rop) {
        case SRCCOPY: std::copy_n(in, n, out); break;
        case SRCAND: CombineRow(out, in, n, [](std::uint64_t a, std::uint64_t b) { return a & b; }); break;
        case SRCPAINT: CombineRow(out, in, n, [](std::uint64_t a, std::uint64_t b) { return a | b; }); break;
        default: break;
      }
    }
  };
  ForEachDrawablePart(*d, RECT{dx, dy, dx + w, dy + h},
                      [&](const RECT& part) { copyPiece(part.left, part.top, part.right, part.bottom); });
  return TRUE;
}

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

HBITMAP CreateDIBitmap(HDC hdc, const BITMAPINFOHEADER* header, DWORD init, const void* bits,
                       const BITMAPINFO* info, UINT usage) {
  const DeviceContext* dc = FindDC(hdc);
  if (!dc || !header) return nullptr;
  const int width = header->biWidth;
  const int height = header->biHeight < 0 ? -header->biHeight : header->biHeight;
  if (width <= 0 || height <= 0) return nullptr;
  HBITMAP made = CreateBitmap(width, height, 1, static_cast<UINT>(dc->bitsPixel), nullptr);
  if (!made || !(init & CBM_INIT)) return made;
  const int depth = header->biBitCount;
  const bool paletted = depth == 1 || depth == 4 || depth == 8;
  if ((!paletted && depth != 24 && depth != 32) || header->biCompression != BI_RGB || !bits ||
      (paletted && (!info || usage != DIB_RGB_COLORS))) {
    DeleteObject(made);
    return nullptr;
  }
  std::uint32_t table[256] = {};
  if (paletted) {
    const int entries = 1 << depth;
    for (int i = 0; i < entries; ++i) {
      const RGBQUAD& q = info->bmiColors[i];
      table[i] = (static_cast<std::uint32_t>(q.rgbRed) << 16) | (static_cast<std::uint32_t>(q.rgbGreen) << 8) | q.rgbBlue;
    }
  }
  const size_t stride = ((static_cast<size_t>(width) * static_cast<size_t>(depth) + 31) / 32) * 4;
  Surface& out = *Find<BitmapObject>(made)->surface;
  const auto* src = static_cast<const BYTE*>(bits);
  for (int row = 0; row < height; ++row) {
    // Positive heights store the bottom row first.
    const int y = header->biHeight > 0 ? height - 1 - row : row;
    const BYTE* line = src + static_cast<size_t>(row) * stride;
    std::uint32_t* dst = out.Row(y);
    for (int x = 0; x < width; ++x) {
      switch (depth) {
        case 1: dst[x] = table[(line[x / 8] >> (7 - x % 8)) & 1]; break;
        case 4: dst[x] = table[(line[x / 2] >> (x % 2 ? 0 : 4)) & 0xF]; break;
        case 8: dst[x] = table[line[x]]; break;
        case 24: dst[x] = (line[3 * x + 2] << 16) | (line[3 * x + 1] << 8) | line[3 * x]; break;
        case 32: dst[x] = (line[4 * x + 2] << 16) | (line[4 * x + 1] << 8) | line[4 * x]; break;
        default: break;
      }
    }
  }
  return made;
}
