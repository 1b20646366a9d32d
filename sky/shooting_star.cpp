// Shooting stars: a streak blended into the composed sky for the length of one paint.
#include <cstdlib>

#include "app/my_doc.h"
#include "app/settings.h"
#include "view/my_view.h"

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
  const int w = client.Width();
  const int h = client.Height();
  CPoint at(-20, -20);
  const std::uint32_t seconds = sky::SecondsNow();
  m_random.Seed(seconds);
  const int r = m_random.DrawAtMost(w + 20);
  at.x += r;
  m_random.Seed(seconds + static_cast<std::uint32_t>(r % (w + 20)));
  at.y += m_random.DrawAtMost(h + 20);
  return at;
}

int CMyView::ShootingStarVariant(int x) { return std::abs(x % 6); }

void CMyView::DrawShootingStar(CDC* composed) {
  const CPoint at = PickStarPosition();
  CDC scratch;
  CDC picture;
  scratch.CreateCompatibleDC(composed);
  picture.CreateCompatibleDC(composed);
  CBitmap* previousScratch = scratch.SelectObject(m_pStarScratch);
  scratch.BitBlt(0, 0, 47, 47, composed, at.x, at.y, SRCCOPY);

  const int k = ShootingStarVariant(at.x);
  CBitmap* previousPicture = picture.SelectObject(m_pStarMask[k]);
  scratch.BitBlt(0, 0, 47, 47, &picture, 0, 0, SRCAND);
  picture.SelectObject(m_pStarImage[k]);
  scratch.BitBlt(0, 0, 47, 47, &picture, 0, 0, SRCPAINT);
  picture.SelectObject(previousPicture);
  picture.DeleteDC();

  composed->BitBlt(at.x, at.y, 47, 47, &scratch, 0, 0, SRCCOPY);
  scratch.SelectObject(previousScratch);
  scratch.DeleteDC();
}
