// PNG files for the tools and tests: pictures in and out as 32-bit ARGB.
#pragma once

#include <optional>
#include <string>

#include "platform/core/types.h"

namespace image {

// Reads any PNG as ARGB (0xAARRGGBB). On failure returns nothing and says why in `error`.
std::optional<platform::Image> ReadPng(const std::string& path, std::string* error = nullptr);
// Writes ARGB pixels as an RGBA PNG. Returns false (with the reason) on failure.
bool WritePng(const std::string& path, const platform::Image& picture, std::string* error = nullptr);

}  // namespace image
