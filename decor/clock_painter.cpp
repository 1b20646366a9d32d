// The clock on the frame: a sunken name-plate in the bottom bar of the square window, the
// date over and the time under the ring of the round one. Each paint also records the
// rectangles the sky timer invalidates when the minute, the hour or the day turns.
#include "decor/clock_painter.h"

#include <algorithm>
#include <array>
#include <string>
#include <utility>

#include "decor/recorded_decoration.h"

namespace decor {
namespace {

// Which of the view's plate pens edge the plate of each material.
constexpr int kLogLightPen = 0;
constexpr int kAluminiumLightPen = 1;
constexpr int kLogDarkPen = 2;
constexpr int kAluminiumDarkPen = 3;

constexpr COLORREF kLogPlate = RGB(174, 0, 0);
constexpr COLORREF kAluminiumPlate = RGB(223, 223, 223);

void Line(CDC* dc, int x0, int y0, int x1, int y1) {
  dc->MoveTo(x0, y0);
  dc->LineTo(x1, y1);
}

}  // namespace

ClockRectangles DrawClock(CDC* dc, const ClockStyle& style, const ClockReading& now, int w, int h) {
  ClockRectangles out;
  CFont* previousFont = dc->SelectObject(style.font);
  const int previousMode = dc->SetBkMode(TRANSPARENT);
  const COLORREF previousBackground = dc->SetBkColor(RGB(255, 255, 255));
  dc->SetTextColor(ClockTextColour(style.colour));
  CPen* previousPen = nullptr;
  bool penSelected = false;

  if (!style.round) {
    const PlateColumns x = ClockPlateColumns(w);
    const bool log = style.log;
    const CRect plate(x.x1, h - 12, x.x2, h - 3);
    dc->FillSolidRect(&plate, log ? kLogPlate : kAluminiumPlate);

    constexpr UINT kCentred = DT_SINGLELINE | DT_VCENTER | DT_CENTER;
    CRect dateBox(x.x3, h - 12, x.x4, h - 3);
    dc->DrawText(SquareDateText(w, now), &dateBox, kCentred);
    CRect timeBox(x.x4, h - 12, x.x2, h - 3);
    dc->DrawText(SquareTimeText(w, now), &timeBox, kCentred);

    ::SetRect(&out.minute, x.x5, h - 12, x.x2, h - 3);
    ::SetRect(&out.time, x.x4, h - 12, x.x2, h - 3);
    ::SetRect(&out.date, x.x3, h - 12, x.x2, h - 3);

    // Shadow along the top and left, light along the bottom and right: a sunken plate.
    previousPen = dc->SelectObject(&style.platePens[log ? kLogDarkPen : kAluminiumDarkPen]);
    penSelected = true;
    Line(dc, x.x1, h - 12, x.x2, h - 12);
    Line(dc, x.x1, h - 12, x.x1, h - 3);
    Line(dc, x.x1 + 1, h - 10, x.x1 + 1, h - 4);
    dc->SelectObject(&style.platePens[log ? kLogLightPen : kAluminiumLightPen]);
    Line(dc, x.x2, h - 3, x.x1, h - 3);
    Line(dc, x.x2, h - 3, x.x2, h - 12);
    Line(dc, x.x2 - 1, h - 10, x.x2 - 1, h - 4);
  } else {
    const int c = w / 2;
    const CString month = std::to_string(now.month);
    const CString day = TwoDigits(now.day);
    dc->TextOut(c - 18, 3, month);
    dc->TextOut(c - 4, 1, "/");
    dc->TextOut(c + 8, 3, day);
    dc->TextOut(c - 18, h - 14, TwoDigits(now.hour));
    dc->TextOut(c - 2, h - 13, ":");
    dc->TextOut(c + 8, h - 14, TwoDigits(now.minute));

    ::SetRect(&out.minute, c + 8, h - 14, c + 23, h + 1);
    ::SetRect(&out.time, c - 18, h - 14, c + 23, h + 1);
    // The date's counterpart of the time rectangle, from the separator's top down to a line
    // below the digits, widened should the font's digits reach further.
    const CSize dayExtent = dc->GetTextExtent(day);
    const CSize monthExtent = dc->GetTextExtent(month);
    const int right = std::max({c + 23, c + 8 + static_cast<int>(dayExtent.cx), c - 18 + static_cast<int>(monthExtent.cx)});
    const int bottom = std::max(18, 3 + static_cast<int>(std::max(dayExtent.cy, monthExtent.cy)));
    ::SetRect(&out.date, c - 18, 1, right, bottom);
  }

  dc->SelectObject(previousFont);
  if (penSelected) dc->SelectObject(previousPen);
  dc->SetBkMode(previousMode);
  dc->SetBkColor(previousBackground);
  return out;
}

namespace {

// Everything the clock's pixels and rectangles depend on.
struct ClockLook {
  HGDIOBJ font;
  std::array<HGDIOBJ, 6> platePens;
  int colour;
  bool round;
  bool log;
  int w;
  int h;
  int year;
  int month;
  int day;
  std::string weekday;
  int hour;
  int minute;
  bool operator==(const ClockLook&) const = default;
};

gdi::RecordingCache<ClockLook, ClockRectangles>& RecordedClocks() {
  static gdi::RecordingCache<ClockLook, ClockRectangles> clocks;
  return clocks;
}

}  // namespace

ClockRectangles PaintClock(CDC* dc, const ClockStyle& style, const ClockReading& now, int w, int h) {
  ClockLook look{style.font->m_hObject, {}, style.colour, style.round, style.log, w, h, now.year, now.month,
                 now.day, now.weekday, now.hour, now.minute};
  for (size_t i = 0; i < look.platePens.size(); ++i) look.platePens[i] = style.platePens[i].m_hObject;
  const auto& recorded = RecordedClocks().Find(look, [&] {
    ClockRectangles parts;
    auto drawing = RecordDecoration(dc, w, h, [&](CDC* canvas) { parts = DrawClock(canvas, style, now, w, h); });
    return gdi::RecordingCache<ClockLook, ClockRectangles>::Entry{look, std::move(drawing), parts};
  });
  if (!recorded.drawing) return DrawClock(dc, style, now, w, h);
  recorded.drawing->Replay(dc->m_hDC);
  // The drawing leaves the text colour at the clock's, and so does its replay.
  dc->SetTextColor(ClockTextColour(style.colour));
  return recorded.extra;
}

}  // namespace decor
