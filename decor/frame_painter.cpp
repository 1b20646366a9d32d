// The painted roof-window frames, log and aluminium, square and round, with or without
// bars. Everything is drawn with the view's 2-pixel frame pens over the sky already on
// screen, once for each look and replayed from the recording after that; every paint also
// rebuilds the glass and pane regions that the frame leaves open.
#include "decor/frame_painter.h"

#include <array>
#include <optional>

#include "decor/recorded_decoration.h"

namespace decor {
namespace {

constexpr COLORREF kNailGrey = RGB(128, 128, 128);
constexpr COLORREF kLatchWhite = RGB(255, 255, 255);

// Draws with one material's seven pens and puts back the pen the DC had before.
class FramePencil {
 public:
  FramePencil(CDC* dc, CPen* const* shades) : dc_(dc), shades_(shades) {}
  ~FramePencil() {
    if (selected_) dc_->SelectObject(original_);
  }
  FramePencil(const FramePencil&) = delete;
  FramePencil& operator=(const FramePencil&) = delete;

  void Shade(int s) {
    CPen* previous = dc_->SelectObject(shades_[s]);
    if (!selected_) {
      original_ = previous;
      selected_ = true;
    }
  }
  void Line(int x0, int y0, int x1, int y1) {
    dc_->MoveTo(x0, y0);
    dc_->LineTo(x1, y1);
  }
  void Line(int shade, int x0, int y0, int x1, int y1) {
    Shade(shade);
    Line(x0, y0, x1, y1);
  }
  // The whole ellipse in the box: start and end on the same ray.
  void Ellipse(int shade, const RECT& box) {
    Shade(shade);
    dc_->Arc(&box, POINT{0, 0}, POINT{0, 0});
  }
  template <size_t P, size_t A>
  void Ring(const RECT& box, const std::array<POINT, P>& points, const std::array<RingArc, A>& arcs,
            bool reversed) {
    for (const RingArc& arc : arcs) {
      Shade(reversed ? 6 - arc.shade : arc.shade);
      dc_->Arc(&box, points[static_cast<size_t>(arc.start)], points[static_cast<size_t>(arc.end)]);
    }
  }

 private:
  CDC* dc_;
  CPen* const* shades_;
  CPen* original_ = nullptr;
  bool selected_ = false;
};

RECT Inset(int w, int h, int k) { return RECT{k, k, w - k, h - k}; }

void SixteenRing(FramePencil& pencil, int w, int h, int k, int n, int m, bool reversed) {
  pencil.Ring(Inset(w, h, k), SixteenRingPoints(w, h, k, n, m), kSixteenRingArcs, reversed);
}

void TwelveRing(FramePencil& pencil, int w, int h, int k, bool reversed) {
  pencil.Ring(Inset(w, h, k), TwelveRingPoints(w, h, k), kTwelveRingArcs, reversed);
}

// Four logs, lit from the upper left; the short strokes are the cut ends where the logs
// cross at the corners.
void SquareLogBands(FramePencil& p, int w, int h) {
  for (int s = 0; s < kShades; ++s) {
    const int x = 1 + 2 * s;
    p.Line(s, x, 0, x, h);
    if (s == 4) {
      p.Line(1, 12, 1, 15);
      p.Line(3, 12, 3, 14);
    }
  }
  for (int s = 0; s < kShades; ++s) {
    const int y = 1 + 2 * s;
    p.Line(s, 1, y, w, y);
  }
  for (int s = 0; s < kShades; ++s) {
    const int x = w - 12 + 2 * s;
    p.Line(s, x, 0, x, h);
    if (s == 4) p.Line(w - 8, 4, w - 8, 8);
    if (s == 5) p.Line(w - 10, 2, w - 10, 10);
    if (s == 6) p.Line(w - 12, 0, w - 12, 12);
  }
  for (int s = 0; s < kShades; ++s) {
    const int y = h - 12 + 2 * s;
    p.Line(s, 15, y, w, y);
    if (s == 4) {
      p.Line(w - 8, h - 8, w - 4, h - 8);
      p.Line(15, h - 8, 15, h - 8);
    }
    if (s == 5) {
      p.Line(w - 10, h - 10, w - 2, h - 10);
      p.Line(15, h - 10, 16, h - 10);
    }
    if (s == 6) {
      p.Line(w - 12, h - 12, w, h - 12);
      p.Line(15, h - 12, 17, h - 12);
    }
  }
}

// Rings from the outside in: lit from the upper left outside, from the lower right inside.
void RoundLogRings(FramePencil& p, int w, int h) {
  SixteenRing(p, w, h, 0, 0, 1, false);
  TwelveRing(p, w, h, 2, false);
  p.Ellipse(3, Inset(w, h, 4));
  p.Ellipse(3, Inset(w, h, 6));
  TwelveRing(p, w, h, 8, true);
  SixteenRing(p, w, h, 10, 10, 11, true);
}

// A cross of bars nailed to the frame at both ends and at the crossing. The bars start one
// pixel further out on the round frame, whose ring is thinner at the top and left.
void LogBars(CDC* dc, FramePencil& p, int w, int h, bool round) {
  const int t = round ? 13 : 14;
  const int cx = w / 2;
  const int cy = h / 2;
  const int vertical[5][2] = {{cx - 4, 0}, {cx - 2, 3}, {cx, 3}, {cx + 2, 3}, {cx + 4, 4}};
  for (const auto& [x, shade] : vertical) p.Line(shade, x, t, x, h - 13);
  p.Shade(4);
  for (int x : {cx - 4, cx - 2, cx, cx + 2}) p.Line(x, t, x, 15);

  const int horizontal[5][2] = {{cy - 4, 0}, {cy - 2, 3}, {cy, 3}, {cy + 2, 3}, {cy + 4, 4}};
  for (const auto& [y, shade] : horizontal) p.Line(shade, t, y, w - 13, y);
  p.Shade(4);
  for (int y : {cy - 4, cy - 2, cy, cy + 2}) p.Line(t, y, 15, y);

  // The vertical bar runs over the crossing.
  p.Line(3, cx - 2, cy - 4, cx + 4, cy - 4);
  p.Line(cx - 2, cy + 4, cx + 2, cy + 4);

  const POINT nails[12] = {{10, cy - 2},     {10, cy + 1},     {w - 10, cy - 2}, {w - 10, cy + 1},
                           {cx - 3, 10},     {cx + 2, 10},     {cx - 3, h - 10}, {cx + 2, h - 10},
                           {cx - 3, cy - 2}, {cx + 2, cy - 2}, {cx - 3, cy + 1}, {cx + 2, cy + 1}};
  for (const POINT& n : nails) dc->SetPixel(n.x, n.y, kNailGrey);
}

// Four extruded bars: a light edge, a flat body and a dark edge each.
void SquareAluminiumBands(FramePencil& p, int w, int h) {
  constexpr int kShadeOfLine[7] = {0, 3, 3, 3, 3, 3, 6};
  for (int i = 0; i < 7; ++i) p.Line(kShadeOfLine[i], 1 + 2 * i, 0, 1 + 2 * i, h);
  p.Line(6, 3, h - 1, 13, h - 1);
  p.Line(0, 1, 15, 13, 15);

  for (int i = 0; i < 7; ++i) p.Line(kShadeOfLine[i], 1, 1 + 2 * i, w, 1 + 2 * i);
  p.Line(6, w - 14, 3, w - 14, 13);
  p.Line(0, 1, 1, 1, 13);

  // The outermost dark lines stand at w - 1 and h - 1.
  const int right[7] = {w - 12, w - 10, w - 8, w - 6, w - 4, w - 2, w - 1};
  for (int i = 0; i < 7; ++i) p.Line(kShadeOfLine[i], right[i], 0, right[i], h);
  p.Line(6, w, h - 14, w - 12, h - 14);
  p.Line(0, w - 12, 1, w, 1);

  const int bottom[7] = {h - 12, h - 10, h - 8, h - 6, h - 4, h - 2, h - 1};
  for (int i = 0; i < 7; ++i) p.Line(kShadeOfLine[i], 15, bottom[i], w, bottom[i]);
  p.Line(6, w - 1, h - 12, w - 1, h);
  p.Line(0, 15, h - 12, 15, h);
}

void RoundAluminiumRings(FramePencil& p, int w, int h) {
  for (int k = 0; k <= 12; k += 2) p.Ellipse(3, Inset(w, h, k));
  SixteenRing(p, w, h, 0, 1, 1, false);
  SixteenRing(p, w, h, 12, 12, 12, true);
}

// One vertical bar with a latch halfway down.
void AluminiumBar(CDC* dc, FramePencil& p, int w, int h) {
  const int cx = w / 2;
  const int cy = h / 2;
  const int lines[5][2] = {{cx - 4, 0}, {cx - 2, 3}, {cx, 3}, {cx + 2, 3}, {cx + 4, 6}};
  for (const auto& [x, shade] : lines) p.Line(shade, x, 14, x, h - 13);

  dc->SetPixel(cx, cy - 3, kNailGrey);
  for (int y = cy - 2; y <= cy + 2; ++y) dc->SetPixel(cx - 1, y, kNailGrey);
  for (int y = cy - 2; y <= cy + 2; ++y) dc->SetPixel(cx + 1, y, kLatchWhite);
  dc->SetPixel(cx, cy + 3, kLatchWhite);
}

// Sets a region to a rectangle, making it first if there is none.
void SetToRect(CRgn& region, const RECT& r) {
  if (!region.m_hObject || !::SetRectRgn(region, r.left, r.top, r.right, r.bottom)) {
    region.DeleteObject();
    region.CreateRectRgnIndirect(&r);
  }
}

void RebuildGlassRegions(Material material, bool round, bool bars, int w, int h, const GlassRegions& regions) {
  const RECT glass = GlassBox(material, round, w, h);
  if (round) {
    regions.glass->DeleteObject();
    regions.glass->CreateEllipticRgnIndirect(&glass);
  } else {
    SetToRect(*regions.glass, glass);
  }
  const std::array<RECT, 4> quadrants = QuadrantRects(material, round, bars, w, h);
  for (size_t i = 0; i < 4; ++i) SetToRect(regions.quadrants[i], quadrants[i]);
  // In place: the satellite and the sky timer hold these very objects.
  for (size_t i = 0; i < 4; ++i) regions.panes[i].CombineRgn(regions.glass, &regions.quadrants[i], RGN_AND);
}

// Everything a frame's pixels depend on.
struct FrameLook {
  Material material;
  int w;
  int h;
  bool round;
  bool bars;
  std::array<HGDIOBJ, kShades> pens;
  bool operator==(const FrameLook&) const = default;
};

gdi::RecordingCache<FrameLook>& RecordedFrames() {
  static gdi::RecordingCache<FrameLook> frames;
  return frames;
}

}  // namespace

void DrawFrame(CDC* dc, Material material, CPen* const* pens, int w, int h, bool round, bool bars) {
  FramePencil pencil(dc, pens);
  if (material == Material::kLog) {
    if (round) {
      RoundLogRings(pencil, w, h);
    } else {
      SquareLogBands(pencil, w, h);
    }
    if (bars) LogBars(dc, pencil, w, h, round);
  } else {
    if (round) {
      RoundAluminiumRings(pencil, w, h);
    } else {
      SquareAluminiumBands(pencil, w, h);
    }
    if (bars) AluminiumBar(dc, pencil, w, h);
  }
}

void PaintFrame(CDC* dc, Material material, CPen* const* pens, int w, int h, bool round, bool bars,
                const GlassRegions& regions) {
  FrameLook look{material, w, h, round, bars, {}};
  for (int s = 0; s < kShades; ++s) look.pens[static_cast<size_t>(s)] = pens[s]->m_hObject;
  const auto& recorded = RecordedFrames().Find(look, [&] {
    return gdi::RecordingCache<FrameLook>::Entry{
        look, RecordDecoration(dc, w, h, [&](CDC* canvas) { DrawFrame(canvas, material, pens, w, h, round, bars); }),
        {}};
  });
  if (recorded.drawing) {
    recorded.drawing->Replay(dc->m_hDC);
  } else {
    DrawFrame(dc, material, pens, w, h, round, bars);
  }

  // The regions are this painter's to write: while the look and the region objects stay the
  // same, they still hold what the last paint made.
  struct GlassState {
    Material material;
    int w;
    int h;
    bool round;
    bool bars;
    std::array<HGDIOBJ, 9> objects;
    bool operator==(const GlassState&) const = default;
  };
  static std::optional<GlassState> built;
  auto stateNow = [&] {
    GlassState state{material, w, h, round, bars, {regions.glass->m_hObject}};
    for (size_t i = 0; i < 4; ++i) {
      state.objects[1 + i] = regions.quadrants[i].m_hObject;
      state.objects[5 + i] = regions.panes[i].m_hObject;
    }
    return state;
  };
  if (built && *built == stateNow()) return;
  RebuildGlassRegions(material, round, bars, w, h, regions);
  built = stateNow();
}

}  // namespace decor
