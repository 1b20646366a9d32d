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

// Copies a few pixels, four at a time, the last four overlapping the ones before: the pieces
// of a frame or a row of a small window are too short to be worth a call to memcpy, and a
// loop for the remainder would cost more than it copies.
void CopyPixels(std::uint32_t* out, const std::uint32_t* in, int n) {
  using Four = std::uint32_t __attribute__((vector_size(16)));
  auto copyFour = [&](int at) {
    Four v;
    std::memcpy(&v, in + at, sizeof v);
    std::memcpy(out + at, &v, sizeof v);
  };
  if (n < 4) {
    for (int i = 0; i < n; ++i) out[i] = in[i];
    return;
  }
  for (int i = 0; i + 4 < n; i += 4) copyFour(i);
  copyFour(n - 4);
}

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
    const auto rowBegin = static_cast<std::uint32_t>(out.runs_.size());
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
      out.runs_.push_back(Run{left + static_cast<int>(bounds.left), x + static_cast<int>(bounds.left), first});
    }
    const auto rowEnd = static_cast<std::uint32_t>(out.runs_.size());
    if (rowEnd > rowBegin) out.rows_.push_back(Row{y + static_cast<int>(bounds.top), rowBegin, rowEnd});
  }
  return out;
}

void RecordedDrawing::Replay(HDC hdc) const {
  DeviceContext* dc = FindDC(hdc);
  if (!dc || !dc->surface || rows_.empty()) return;
  Surface& surface = *dc->surface;
  // Only the rows the DC can draw on: a repaint of a few pixels looks at a few rows.
  RECT reach{0, 0, surface.width, surface.height};
  if (dc->visible) reach = Intersect(reach, dc->visible->Box());
  if (gdi::IsEmpty(reach)) return;
  const POINT origin = dc->origin;
  auto row = std::partition_point(rows_.begin(), rows_.end(), [&](const Row& r) { return r.y + origin.y < reach.top; });

  // What was copied, reported as drawn at the end.
  int touchedLeft = reach.right;
  int touchedRight = reach.left;
  int touchedTop = reach.bottom;
  int touchedBottom = reach.top;
  // Row by row: the clip region's band for the row (it only moves down), then each of its
  // rectangles against the row's runs, both from left to right.
  const RECT* band = dc->visible ? dc->visible->Rects().data() : &reach;
  const RECT* const bandsEnd = dc->visible ? band + dc->visible->Rects().size() : &reach + 1;
  for (; row != rows_.end() && row->y + origin.y < reach.bottom; ++row) {
    const int sy = row->y + origin.y;
    if (band != bandsEnd && band->bottom <= sy && ++band != bandsEnd && band->bottom <= sy) {
      // Not the next band either: a sparse drawing skips rows, so search.
      band = std::partition_point(band, bandsEnd, [sy](const RECT& r) { return r.bottom <= sy; });
    }
    if (band == bandsEnd || band->top > sy) continue;
    std::uint32_t* const out = surface.Row(sy);
    const Run* const runsEnd = runs_.data() + row->end;
    for (const RECT* part = band; part != bandsEnd && part->top == band->top; ++part) {
      const int left = std::max<int>(part->left, reach.left);
      const int right = std::min<int>(part->right, reach.right);
      for (const Run* r = runs_.data() + row->begin; r != runsEnd && r->left + origin.x < right; ++r) {
        const int from = std::max<int>(r->left + origin.x, left);
        const int to = std::min<int>(r->right + origin.x, right);
        if (from >= to) continue;
        CopyPixels(out + from, pixels_.data() + r->first + (from - (r->left + origin.x)), to - from);
        touchedLeft = std::min(touchedLeft, from);
        touchedRight = std::max(touchedRight, to);
        touchedTop = std::min(touchedTop, sy);
        touchedBottom = sy + 1;
      }
    }
  }
  if (touchedTop < touchedBottom) MarkDirty(*dc, RECT{touchedLeft, touchedTop, touchedRight, touchedBottom});
}

}  // namespace gdi
