// The view's star balloons: the star table, the hit test under the pointer, and the balloon
// that follows the pointer 10 pixels to its lower right.
#include "app/my_app.h"
#include "document/my_doc.h"
#include "document/settings.h"
#include "sky/sky_files.h"
#include "sky/star_table.h"
#include "view/my_view.h"

void CMyView::LoadStarTable() {
  sky::LoadStarTable(sky::SkyFilePath(GetMyApp()->m_strProgramDir, "SPup.sbd").c_str(), m_starTable);
}

int CMyView::HitStar(int x, int y) {
  if (GetDocument()->EdgeFlg == settings::kOn) {
    // Only through the glass: never over the frame or a bar.
    bool inPane = false;
    for (CRgn& pane : m_rgnPane) inPane = inPane || pane.PtInRegion(x, y);
    if (!inPane) return 0;
  }
  // The table's rectangles are on the map; every edge belongs to the star.
  const int mapX = x + m_ptSkyOrigin.x;
  const int mapY = y + m_ptSkyOrigin.y;
  auto contains = [&](const CRect& r) { return r.left <= mapX && mapX <= r.right && r.top <= mapY && mapY <= r.bottom; };
  for (const CStarDataObject* star : m_starTable) {
    if (contains(star->m_rcFirst) || contains(star->m_rcSecond)) {
      m_wndStarPopup.SetTexts(*star);
      return 1;
    }
  }
  return 0;
}

void CMyView::OnMouseMove(UINT flags, CPoint point) {
  if (HitStar(point.x, point.y)) {
    CRect window;
    GetWindowRect(&window);
    m_wndStarPopup.SetWindowPos(nullptr, window.left + point.x + 10, window.top + point.y + 10, 0, 0,
                                SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    m_wndStarPopup.ShowWindow(SW_SHOWNA);
  } else {
    m_wndStarPopup.ShowWindow(SW_HIDE);
  }
  CView::OnMouseMove(flags, point);
}

BOOL CMyView::OnSetCursor(CWnd* wnd, UINT hitTest, UINT message) {
  if (hitTest == HTBOTTOM) m_wndStarPopup.ShowWindow(SW_HIDE);
  return CView::OnSetCursor(wnd, hitTest, message);
}
