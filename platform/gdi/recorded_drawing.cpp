#include "platform/gdi/recorded_drawing.h"

#include <algorithm>
#include <cstring>

#include "platform/gdi/gdi.h"
#include "platform/gdi/objects.h"

namespace gdi {
namespace {

constexpr std::uint32_t kBlack = 0x000000;
constexpr std::uint32_t kWhite = 0xFFFFFF;

// A memory DC compatible with `reference` over a bitmap of the bounds' size in one colour,
// its logical coordinates those of the bounds.
class Canvas {
 public:
  Canvas(HDC reference, const RECT& bounds, std::uint32_t fill)
      : dc_(CreateCompatibleDC(reference)),
        bitmap_(CreateBitmap(bounds.right - bounds.left, bounds.bottom - bounds.top, 1, 32, nullptr)) {
    if (!dc_ || !bitmap_) return;
    previous_ = SelectObject(dc_, AsGdiObject(bitmap_));
    DeviceContext& dc = *FindDC(dc_);
    std::fill(dc.surface->pixels.begin(), dc.surface->pixels.end(), fill);
    dc.origin = POINT{-bounds.left, -bounds.top};
    surface_ = dc.surface;
  }
  ~Canvas() {
    if (previous_) SelectObject(dc_, previous_);
    if (dc_) DeleteDC(dc_);
    if (bitmap_) DeleteObject(bitmap_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC Dc() const { return dc_; }
  // The pixels as the drawing left them; null if the canvas could not be made.
  const Surface* Pixels() const { return surface_.get(); }

 private:
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ previous_ = nullptr;
  std::shared_ptr<Surface> surface_;
};

}  // namespace

std::optional<RecordedDrawing> RecordedDrawing::Record(HDC reference, const RECT& bounds,
                                                       const std::function<void(HDC)>& draw) {
  RecordedDrawing out;
  if (bounds.left >= bounds.right || bounds.top >= bounds.bottom) return out;
  Canvas overBlack(reference, bounds, kBlack);
  Canvas overWhite(reference, bounds, kWhite);
  if (!overBlack.Pixels() || !overWhite.Pixels()) return std::nullopt;
  draw(overBlack.Dc());
  draw(overWhite.Dc());

  const Surface& black = *overBlack.Pixels();
  const Surface& white = *overWhite.Pixels();
  auto untouched = [](std::uint32_t b, std::uint32_t w) { return b == kBlack && w == kWhite; };
  for (int y = 0; y < black.height; ++y) {
    const std::uint32_t* b = black.Row(y);
    const std::uint32_t* w = white.Row(y);
    for (int x = 0; x < black.width;) {
      if (untouched(b[x], w[x])) {
        ++x;
        continue;
      }
      const int left = x;
      const size_t first = out.pixels_.size();
      for (; x < black.width && !untouched(b[x], w[x]); ++x) {
        if (b[x] != w[x]) return std::nullopt;  // what it set depends on what was there
        out.pixels_.push_back(b[x]);
      }
      out.runs_.push_back(Run{y + static_cast<int>(bounds.top), left + static_cast<int>(bounds.left),
                              x + static_cast<int>(bounds.left), first});
    }
  }
  return out;
}

void RecordedDrawing::Replay(HDC hdc) const {
  DeviceContext* dc = FindDC(hdc);
  if (!dc || !dc->surface || runs_.empty()) return;
  Surface& surface = *dc->surface;
  const RECT surfaceRect{0, 0, surface.width, surface.height};
  // What was copied, reported as drawn at the end.
  int touchedLeft = surface.width;
  int touchedRight = 0;
  int touchedTop = surface.height;
  int touchedBottom = 0;
  auto copy = [&](const Run& run, int sy, int from, int to) {
    // Surface columns [from, to) of the run, already inside the surface and the clip. Most
    // pieces of a frame are a few pixels: those are not worth a call to memcpy.
    const std::uint32_t* in = pixels_.data() + run.first + (from - (run.left + dc->origin.x));
    std::uint32_t* out = surface.Row(sy) + from;
    const int n = to - from;
    if (n <= 8) {
      for (int i = 0; i < n; ++i) out[i] = in[i];
    } else {
      std::memcpy(out, in, sizeof(std::uint32_t) * static_cast<size_t>(n));
    }
    touchedLeft = std::min(touchedLeft, from);
    touchedRight = std::max(touchedRight, to);
    touchedTop = std::min(touchedTop, sy);
    touchedBottom = sy + 1;
  };

  // Only the runs on rows the DC can draw on: a repaint of a few pixels looks at a few rows.
  RECT reach = surfaceRect;
  if (dc->visible) reach = Intersect(reach, dc->visible->Box());
  if (gdi::IsEmpty(reach)) return;
  const POINT origin = dc->origin;
  auto run = std::partition_point(runs_.begin(), runs_.end(), [&](const Run& r) { return r.y + origin.y < reach.top; });

  // Row by row: the clip region's band for the row (it only moves down), then each of its
  // rectangles against the row's runs, both from left to right.
  const RECT* band = dc->visible ? dc->visible->Rects().data() : &reach;
  const RECT* const bandsEnd = dc->visible ? band + dc->visible->Rects().size() : &reach + 1;
  while (run != runs_.end() && run->y + origin.y < reach.bottom) {
    const int sy = run->y + origin.y;
    auto rowEnd = run;
    while (rowEnd != runs_.end() && rowEnd->y == run->y) ++rowEnd;
    while (band != bandsEnd && band->bottom <= sy) ++band;
    for (const RECT* part = band; part != bandsEnd && part->top <= sy && part->top == band->top; ++part) {
      const int left = std::max<int>(part->left, reach.left);
      const int right = std::min<int>(part->right, reach.right);
      for (auto r = run; r != rowEnd && r->left + origin.x < right; ++r) {
        const int from = std::max<int>(r->left + origin.x, left);
        const int to = std::min<int>(r->right + origin.x, right);
        if (from < to) copy(*r, sy, from, to);
      }
    }
    run = rowEnd;
  }
  if (touchedTop < touchedBottom) MarkDirty(*dc, RECT{touchedLeft, touchedTop, touchedRight, touchedBottom});
}

}  // namespace gdi
