// The view's share of the frame and the clock: it hands the decor module its pens, font,
// regions and the document's settings, and keeps what the paints report.
#include "decor/clock_painter.h"
#include "decor/frame_painter.h"
#include "document/my_doc.h"
#include "document/settings.h"
#include "view/my_view.h"

void CMyView::PaintLogFrame(CDC* dc, int bars) {
  CRect client;
  GetClientRect(&client);
  decor::PaintFrame(dc, decor::Material::kLog, &m_pFramePens[0], client.Width(), client.Height(),
                    GetDocument()->CircleEdgeFlg != 0, bars == settings::kWithBars,
                    decor::GlassRegions{&m_rgnGlass, m_rgnQuadrant, m_rgnPane});
}

void CMyView::PaintAlumiFrame(CDC* dc, int bars) {
  CRect client;
  GetClientRect(&client);
  decor::PaintFrame(dc, decor::Material::kAluminium, &m_pFramePens[decor::kShades], client.Width(), client.Height(),
                    GetDocument()->CircleEdgeFlg != 0, bars == settings::kWithBars,
                    decor::GlassRegions{&m_rgnGlass, m_rgnQuadrant, m_rgnPane});
}

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
