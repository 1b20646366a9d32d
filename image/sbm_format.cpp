#include "image/sbm_format.h"

namespace image::sbm {

namespace {

std::uint16_t Get16(const BYTE* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

std::uint32_t Get32(const BYTE* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void Put16(BYTE* p, std::uint16_t v) {
  p[0] = static_cast<BYTE>(v);
  p[1] = static_cast<BYTE>(v >> 8);
}

void Put32(BYTE* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<BYTE>(v >> (8 * i));
}

}  // namespace

int ColourTableEntries(int bitCount) {
  switch (bitCount) {
    case 4: return 16;
    case 8: return 256;
    default: return 0;
  }
}

std::uint64_t RowStride(std::int64_t width, int bitCount) {
  if (width <= 0 || bitCount <= 0) return 0;
  return (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(bitCount) + 31) / 32 * 4;
}

int RowPadding(std::int32_t width) { return static_cast<int>((4 - (static_cast<std::uint32_t>(width) % 4)) % 4); }

std::optional<std::uint32_t> ImageSize(std::int32_t width, std::int32_t height, int bitCount) {
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return std::nullopt;
  if (std::int64_t{width} * height > kMaxPixels) return std::nullopt;
  const std::uint64_t size = RowStride(width, bitCount) * static_cast<std::uint64_t>(height);
  if (size == 0 || size > kMaxImageSize) return std::nullopt;
  return static_cast<std::uint32_t>(size);
}

std::size_t PixelBlockSize(std::uint32_t imageSize) {
  return static_cast<std::size_t>(static_cast<double>(imageSize) * 1.2);
}

BITMAPINFOHEADER ParseInfoHeader(const BYTE (&b)[kInfoHeaderSize]) {
  BITMAPINFOHEADER h;
  h.biSize = Get32(b + 0);
  h.biWidth = static_cast<LONG>(Get32(b + 4));
  h.biHeight = static_cast<LONG>(Get32(b + 8));
  h.biPlanes = Get16(b + 12);
  h.biBitCount = Get16(b + 14);
  h.biCompression = Get32(b + 16);
  h.biSizeImage = Get32(b + 20);
  h.biXPelsPerMeter = static_cast<LONG>(Get32(b + 24));
  h.biYPelsPerMeter = static_cast<LONG>(Get32(b + 28));
  h.biClrUsed = Get32(b + 32);
  h.biClrImportant = Get32(b + 36);
  return h;
}

void StoreInfoHeader(const BITMAPINFOHEADER& h, BYTE (&b)[kInfoHeaderSize]) {
  Put32(b + 0, h.biSize);
  Put32(b + 4, static_cast<std::uint32_t>(h.biWidth));
  Put32(b + 8, static_cast<std::uint32_t>(h.biHeight));
  Put16(b + 12, h.biPlanes);
  Put16(b + 14, h.biBitCount);
  Put32(b + 16, h.biCompression);
  Put32(b + 20, h.biSizeImage);
  Put32(b + 24, static_cast<std::uint32_t>(h.biXPelsPerMeter));
  Put32(b + 28, static_cast<std::uint32_t>(h.biYPelsPerMeter));
  Put32(b + 32, h.biClrUsed);
  Put32(b + 36, h.biClrImportant);
}

RGBQUAD ParseColour(const BYTE* b) { return RGBQUAD{b[0], b[1], b[2], b[3]}; }

void StoreColour(const RGBQUAD& c, BYTE* b) {
  b[0] = c.rgbBlue;
  b[1] = c.rgbGreen;
  b[2] = c.rgbRed;
  b[3] = c.rgbReserved;
}

}  // namespace image::sbm
