#include "image/png_file.h"

#include <png.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace image {

std::optional<platform::Image> ReadPng(const std::string& path, std::string* error) {
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&png, path.c_str())) {
    if (error) *error = png.message;
    return std::nullopt;
  }
  png.format = PNG_FORMAT_BGRA;  // in memory: B, G, R, A = 0xAARRGGBB little-endian
  // A picture is at most a few screens: refuse sizes that would only exhaust memory.
  constexpr png_uint_32 kMaxSide = 1 << 15;
  constexpr std::uint64_t kMaxPixels = 1 << 24;
  if (png.width == 0 || png.height == 0 || png.width > kMaxSide || png.height > kMaxSide ||
      static_cast<std::uint64_t>(png.width) * png.height > kMaxPixels) {
    png_image_free(&png);
    if (error) *error = "picture size out of range";
    return std::nullopt;
  }
  platform::Image out;
  out.width = static_cast<int>(png.width);
  out.height = static_cast<int>(png.height);
  out.argb.resize(static_cast<size_t>(out.width) * static_cast<size_t>(out.height));
  if (!png_image_finish_read(&png, nullptr, out.argb.data(), 0, nullptr)) {
    if (error) *error = png.message;
    png_image_free(&png);
    return std::nullopt;
  }
  return out;
}

bool WritePng(const std::string& path, const platform::Image& picture, std::string* error) {
  if (picture.width <= 0 || picture.height <= 0 ||
      picture.argb.size() != static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height)) {
    if (error) *error = "empty picture";
    return false;
  }
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(picture.width);
  png.height = static_cast<png_uint_32>(picture.height);
  png.format = PNG_FORMAT_BGRA;
  if (!png_image_write_to_file(&png, path.c_str(), 0, picture.argb.data(), 0, nullptr)) {
    if (error) *error = png.message;
    return false;
  }
  return true;
}

}  // namespace image
