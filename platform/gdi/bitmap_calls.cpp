// Bitmaps: compatible, plain and device-independent ones, and block transfers with copy,
// AND and OR.
#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/gdi/objects.h"

using namespace gdi;

namespace {

// Combines a row of pixels into another (the rows never overlap: a copy within one surface
// reads from a scratch copy), four pixels at a time where the compiler can use vector
// registers, then one at a time.
template <typename Op>
void CombineRow(std::uint32_t* out, const std::uint32_t* in, int n, Op op) {
  using Four = std::uint32_t __attribute__((vector_size(16)));
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    Four a;
    Four b;
    std::memcpy(&a, out + i, sizeof a);
    std::memcpy(&b, in + i, sizeof b);
    a = op(a, b);
    std::memcpy(out + i, &a, sizeof a);
  }
  for (; i < n; ++i) out[i] = op(out[i], in[i]);
}

}  // namespace

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
        case SRCAND: CombineRow(out, in, n, [](auto a, auto b) { return a & b; }); break;
        case SRCPAINT: CombineRow(out, in, n, [](auto a, auto b) { return a | b; }); break;
        default: break;
      }
    }
  };
  ForEachDrawablePart(*d, RECT{dx, dy, dx + w, dy + h},
                      [&](const RECT& part) { copyPiece(part.left, part.top, part.right, part.bottom); });
  return TRUE;
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
