// Plain values the layers hand each other: pictures, pointer shapes and local time.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/core/windef.h"

namespace platform {

// A picture in 32-bit ARGB (0xAARRGGBB), rows top-down.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> argb;
};

// What the pointer looks like over the program's windows.
struct Cursor {
  enum class Kind { Hidden, Arrow, Picture };
  Kind kind = Kind::Arrow;
  Image image;     // Picture only
  POINT hotspot;   // Picture only
};

// Local calendar time, as the classic time object breaks it down.
struct LocalTime {
  int year = 1970;   // full year
  int month = 1;     // 1..12
  int day = 1;       // 1..31
  int weekday = 4;   // 0 = Sunday
  int hour = 0;
  int minute = 0;
  int second = 0;
};

}  // namespace platform
