// Reader for the XPM pictures the program's icons and cursors are drawn in. The pictures
// are compiled in as the C arrays that XPM files are, so they stay viewable and editable
// with ordinary image tools.
#pragma once

#include <optional>
#include <span>

#include "platform/core/types.h"

namespace platform {

struct XpmPicture {
  Image image;                     // transparent pixels have alpha 0
  std::optional<POINT> hotspot;    // from the values line, when given
  int colorCount = 0;
};

// Parses the strings of an XPM array (values line, colours, rows). One or two characters a
// pixel; colours as #RRGGBB or None. Returns nothing for a malformed picture.
std::optional<XpmPicture> ParseXpm(std::span<const char* const> lines);

}  // namespace platform
