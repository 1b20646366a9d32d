// The sky timer: once a second the date and time follow the clock, the clock is refreshed
// when the minute turns, and one random number decides satellites and shooting stars.
#include "app/my_doc.h"
#include "app/settings.h"
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

  if (local.tm_min != doc->m_nMinute) {
    bool refreshed = false;
    auto refresh = [&](const CRect& r) {
      InvalidateRect(&r, FALSE);
      refreshed = refreshed || !r.IsRectEmpty();
    };
    if (local.tm_hour == 0 && local.tm_min == 0) {
      refresh(m_rcClockDate);
      if (doc->CircleEdgeFlg == settings::kOn) refresh(m_rcClockTime);
    } else if (local.tm_min == 0) {
      refresh(m_rcClockTime);
    } else {
      refresh(m_rcClockMinute);
    }
    // The paint that follows redraws frame and clock only. A clock never drawn has nothing
    // to refresh, and the mark would only hold back the sky of some later, unrelated paint.
    if (refreshed) m_bSkipSky = 1;
  }

  doc->m_nYear = local.tm_year + 1900;
  doc->m_nMonth = local.tm_mon + 1;
  doc->m_nDay = local.tm_mday;
  doc->m_strWeekday = CMyDoc::FormatWeekday(local.tm_wday + 1);
  doc->m_nHour = local.tm_hour;
  doc->m_nMinute = local.tm_min;

  m_random.Seed(static_cast<std::uint32_t>(now.GetTime()));
  const int a = m_random.DrawAtMost(100);
  if (a != 0 && a <= 10 * doc->SateltLevel && !m_satellite.m_bActive) {
    CPoint start;
    CPoint end;
    PickSatellitePath(start, end);
    m_satellite.Start(this, start.x, start.y, end.x, end.y);
    m_bSkipSky = 0;
  }
  // The same number decides the shooting star.
  if (a != 0 && a <= 10 * doc->ShootingStarLevel) {
    ScheduleShootingStar(FALSE);
    m_bSkipSky = 0;
  } else {
    m_bStarPending = 0;
  }
  CView::OnTimer(id);
}
