// Pixel storage shared by windows and bitmaps: 32 bits a pixel, 0x00RRGGBB, rows top-down.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "platform/core/windef.h"

namespace gdi {

struct Surface {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;

  Surface() = default;
  Surface(int w, int h, std::uint32_t fill = 0)
      : width(w > 0 ? w : 0), height(h > 0 ? h : 0),
        pixels(static_cast<size_t>(width) * static_cast<size_t>(height), fill) {}

  bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
  std::uint32_t& At(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
  std::uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
  std::uint32_t* Row(int y) { return pixels.data() + static_cast<size_t>(y) * width; }
  const std::uint32_t* Row(int y) const { return pixels.data() + static_cast<size_t>(y) * width; }

  // Keeps the top-left part that still fits; new area is filled.
  void Resize(int w, int h, std::uint32_t fill = 0) {
    w = w > 0 ? w : 0;
    h = h > 0 ? h : 0;
    std::vector<std::uint32_t> next(static_cast<size_t>(w) * static_cast<size_t>(h), fill);
    for (int y = 0; y < h && y < height; ++y) {
      for (int x = 0; x < w && x < width; ++x) next[static_cast<size_t>(y) * w + x] = At(x, y);
    }
    width = w;
    height = h;
    pixels = std::move(next);
  }
};

// Colour references are 0x00BBGGRR, surface pixels 0x00RRGGBB.
constexpr std::uint32_t PixelFromColor(COLORREF c) {
  return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}
constexpr COLORREF ColorFromPixel(std::uint32_t p) {
  return ((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16);
}

}  // namespace gdi
