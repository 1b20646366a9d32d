#include "decor/recorded_decoration.h"

namespace decor {
namespace {

// The frames' 2-pixel pens reach a pixel past the window's edges, the round clock's glyphs
// a few; this keeps whatever they draw there.
constexpr int kMargin = 16;

}  // namespace

std::optional<gdi::RecordedDrawing> RecordDecoration(CDC* reference, int w, int h,
                                                     const std::function<void(CDC*)>& draw) {
  const RECT bounds{-kMargin, -kMargin, w + kMargin, h + kMargin};
  return gdi::RecordedDrawing::Record(reference->m_hDC, bounds, [&](HDC hdc) {
    CDC canvas;
    canvas.Attach(hdc);
    draw(&canvas);
    canvas.Detach();
  });
}

}  // namespace decor
