// The view's share of the sky: the sky timer's tick, where today's sky lies, shooting stars,
// satellites and the desktop copy, each worked out by the sky module from what the view has.
#include "document/my_doc.h"
#include "document/settings.h"
#include "sky/desktop_capture.h"
#include "sky/satellite.h"
#include "sky/shooting_star.h"
#include "sky/sky_events.h"
#include "sky/sky_placement.h"
#include "view/my_view.h"

void CMyView::OnTimer(UINT_PTR id) {
  if (id != static_cast<UINT_PTR>(m_nSkyTimer)) {
    CView::OnTimer(id);
    return;
  }
  CMyDoc* doc = GetDocument();
  const CTime now = CTime::GetCurrentTime();
  struct tm local;
  now.GetLocalTm(&local);

  const sky::ClockRefresh turn =
      sky::ClockRefreshFor(doc->m_nMinute, local.tm_hour, local.tm_min, doc->CircleEdgeFlg == settings::kOn);
  bool refreshed = false;
  auto refresh = [&](const CRect& r) {
    InvalidateRect(&r, FALSE);
    refreshed = refreshed || !r.IsRectEmpty();
  };
  if (turn.date) refresh(m_rcClockDate);
  if (turn.time) refresh(m_rcClockTime);
  if (turn.minute) refresh(m_rcClockMinute);
  // The paint that follows redraws frame and clock only. A clock never drawn has nothing to
  // refresh, and the mark would only hold back the sky of some later, unrelated paint.
  if (refreshed) m_bSkipSky = 1;

  doc->m_nYear = local.tm_year + 1900;
  doc->m_nMonth = local.tm_mon + 1;
  doc->m_nDay = local.tm_mday;
  doc->m_strWeekday = CMyDoc::FormatWeekday(local.tm_wday + 1);
  doc->m_nHour = local.tm_hour;
  doc->m_nMinute = local.tm_min;

  m_random.Seed(static_cast<std::uint32_t>(now.GetTime()));
  const int a = m_random.DrawAtMost(100);
  const sky::SkyEvents events = sky::EventsFor(a, doc->SateltLevel, doc->ShootingStarLevel, m_satellite.m_bActive != 0);
  if (events.satellite) {
    CPoint start;
    CPoint end;
    PickSatellitePath(start, end);
    m_satellite.Start(this, start.x, start.y, end.x, end.y);
    m_bSkipSky = 0;
  }
  if (events.shootingStar) {
    ScheduleShootingStar(FALSE);
    m_bSkipSky = 0;
  } else {
    m_bStarPending = 0;
  }
  CView::OnTimer(id);
}

CPoint CMyView::ComputeSkyOrigin() const {
  const CMyDoc* doc = GetDocument();
  CRect client;
  MainWindow()->GetClientRect(&client);
  return CPoint(sky::SkyOrigin(doc->m_nMonth, doc->m_nDay, client.Width(), client.Height()));
}

void CMyView::ScheduleShootingStar(BOOL erase) {
  if (GetDocument()->EdgeFlg == settings::kOn) {
    for (CRgn& pane : m_rgnPane) InvalidateRgn(&pane, erase);
  } else {
    CRect client;
    MainWindow()->GetClientRect(&client);
    InvalidateRect(&client, erase);
  }
  m_bStarPending = 1;
}

CPoint CMyView::PickStarPosition() {
  CRect client;
  GetClientRect(&client);
  return CPoint(sky::PickStarPosition(m_random, sky::SecondsNow(), client.Width(), client.Height()));
}

int CMyView::ShootingStarVariant(int x) { return sky::ShootingStarVariant(x); }

void CMyView::DrawShootingStar(CDC* composed) {
  const CPoint at = PickStarPosition();
  const int k = ShootingStarVariant(at.x);
  sky::BlendStreak(composed, at, m_pStarScratch, m_pStarImage[k], m_pStarMask[k]);
}

void CMyView::PickSatellitePath(CPoint& start, CPoint& end) {
  CRect window;
  GetWindowRect(&window);
  const sky::FlightPath path = sky::PickSatellitePath(m_random, sky::SecondsNow(), window.Width(), window.Height());
  start = CPoint(path.start);
  end = CPoint(path.end);
}

void CMyView::DrawSatellite(CDC* dc) {
  if (m_satellite.m_bActive == 1) sky::DrawSatellitePixel(dc, m_satellite.m_ptCurrent);
}

void CMyView::CaptureDesktop() {
  CRect window;
  MainWindow()->GetWindowRect(&window);
  sky::CaptureScreenArea(window, m_pDesktopBitmap);
}
