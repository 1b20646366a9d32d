// The view's share of the frame and the clock: it hands the decor module its pens, font,
// regions and the document's settings, and keeps what the paints report.
#include "decor/clock_painter.h"
#include "decor/frame_painter.h"
#include "document/my_doc.h"
#include "document/settings.h"
#include "view/my_view.h"

namespace {

// Both frames have one shape: the material's seven pens on the client area, round or
// square, the bars when the flag asks for them, and the view's glass regions rebuilt.
void PaintFrameOf(CMyView& view, CDC* dc, decor::Material material, int bars) {
  CRect client;
  view.GetClientRect(&client);
  CPen* const* pens = &view.m_pFramePens[material == decor::Material::kLog ? 0 : decor::kShades];
  decor::PaintFrame(dc, material, pens, client.Width(), client.Height(), view.GetDocument()->CircleEdgeFlg != 0,
                    bars == settings::kWithBars,
                    decor::GlassRegions{&view.m_rgnGlass, view.m_rgnQuadrant, view.m_rgnPane});
}

}  // namespace

void CMyView::PaintLogFrame(CDC* dc, int bars) { PaintFrameOf(*this, dc, decor::Material::kLog, bars); }

void CMyView::PaintAlumiFrame(CDC* dc, int bars) { PaintFrameOf(*this, dc, decor::Material::kAluminium, bars); }

void CMyView::PaintClock(CDC* dc) {
  const CMyDoc* doc = GetDocument();
  CRect client;
  GetClientRect(&client);
  const decor::ClockReading now{doc->m_nYear, doc->m_nMonth, doc->m_nDay, doc->m_strWeekday, doc->m_nHour, doc->m_nMinute};
  const decor::ClockStyle style{&m_fontClock, m_penPlate, doc->ClockColor, doc->CircleEdgeFlg != 0,
                                doc->EdgeKind == settings::kEdgeKindLog};
  const decor::ClockRectangles parts = decor::PaintClock(dc, style, now, client.Width(), client.Height());
  m_rcClockMinute = parts.minute;
  m_rcClockTime = parts.time;
  m_rcClockDate = parts.date;
}
