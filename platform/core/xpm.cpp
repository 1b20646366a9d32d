#include "platform/core/xpm.h"

#include <cctype>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>
#include <unordered_map>

namespace platform {
namespace {

std::optional<std::uint32_t> ParseColor(std::string_view spec) {
  // The colour line is "<key> c <colour>"; other visuals (m, g, s) may follow and are
  // ignored. Only the colour visual is needed here.
  std::istringstream in{std::string(spec)};
  std::string word;
  while (in >> word) {
    if (word != "c") continue;
    std::string value;
    if (!(in >> value)) return std::nullopt;
    if (value == "None" || value == "none") return 0x00000000u;
    if (value.size() == 7 && value[0] == '#') {
      char* end = nullptr;
      const unsigned long rgb = std::strtoul(value.c_str() + 1, &end, 16);
      if (*end != '\0') return std::nullopt;
      return 0xFF000000u | static_cast<std::uint32_t>(rgb);
    }
    if (value == "black" || value == "Black") return 0xFF000000u;
    if (value == "white" || value == "White") return 0xFFFFFFFFu;
    return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace

std::optional<XpmPicture> ParseXpm(std::span<const char* const> lines) {
  if (lines.empty() || !lines[0]) return std::nullopt;
  std::istringstream values{std::string(lines[0])};
  int width = 0;
  int height = 0;
  int colors = 0;
  int perPixel = 0;
  if (!(values >> width >> height >> colors >> perPixel)) return std::nullopt;
  if (width <= 0 || height <= 0 || width > 4096 || height > 4096 || colors <= 0 ||
      perPixel < 1 || perPixel > 2) {
    return std::nullopt;
  }
  XpmPicture picture;
  int hx = 0;
  int hy = 0;
  if (values >> hx >> hy) picture.hotspot = POINT{hx, hy};
  if (lines.size() < static_cast<size_t>(1 + colors + height)) return std::nullopt;

  std::unordered_map<std::string, std::uint32_t> palette;
  for (int i = 0; i < colors; ++i) {
    const char* line = lines[1 + static_cast<size_t>(i)];
    if (!line) return std::nullopt;
    const std::string_view text(line);
    if (text.size() < static_cast<size_t>(perPixel)) return std::nullopt;
    auto color = ParseColor(text.substr(static_cast<size_t>(perPixel)));
    if (!color) return std::nullopt;
    palette[std::string(text.substr(0, static_cast<size_t>(perPixel)))] = *color;
  }
  picture.colorCount = colors;
  picture.image.width = width;
  picture.image.height = height;
  picture.image.argb.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
  for (int y = 0; y < height; ++y) {
    const char* row = lines[1 + static_cast<size_t>(colors) + static_cast<size_t>(y)];
    if (!row) return std::nullopt;
    const std::string_view text(row);
    if (text.size() != static_cast<size_t>(width * perPixel)) return std::nullopt;
    for (int x = 0; x < width; ++x) {
      auto it = palette.find(std::string(text.substr(static_cast<size_t>(x * perPixel),
                                                     static_cast<size_t>(perPixel))));
      if (it == palette.end()) return std::nullopt;
      picture.image.argb[static_cast<size_t>(y) * width + x] = it->second;
    }
  }
  return picture;
}

}  // namespace platform
