// The decorations depend on a handful of settings and change far more seldom than the
// window is painted: each painter records its drawing once for what it depends on and
// replays it at every paint, pixel for pixel what drawing it again would give.
#pragma once

#include <functional>
#include <optional>

#include "platform/framework/afxwin.h"
#include "platform/gdi/recorded_drawing.h"

namespace decor {

// Records what `draw` paints on a w x h window through a DC like `reference`, with a margin
// all round for strokes and glyphs that reach past the window's edges. Nothing when the
// drawing depends on what lies under it.
std::optional<gdi::RecordedDrawing> RecordDecoration(CDC* reference, int w, int h,
                                                     const std::function<void(CDC*)>& draw);

}  // namespace decor
