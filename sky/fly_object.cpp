#include "sky/fly_object.h"

#include <cmath>
#include <cstdlib>

BEGIN_MESSAGE_MAP(CFlyObject, CWnd)
  ON_WM_TIMER()
  ON_WM_DESTROY()
END_MESSAGE_MAP()

CFlyObject::CFlyObject() = default;

void CFlyObject::Start(CWnd* view, int x1, int y1, int x2, int y2) {
  m_pView = view;
  m_ptStart = CPoint(x1, y1);
  m_ptEnd = CPoint(x2, y2);
  // One pixel a step along the longer axis. A flight that starts at its end has no
  // direction; it ends at its first step, so no step is needed.
  const double dx = std::abs(static_cast<double>(x2) - x1);
  const double dy = std::abs(static_cast<double>(y2) - y1);
  if (dx > dy) {
    m_dStepX = 1.0;
    m_dStepY = dy / dx;
  } else {
    m_dStepY = 1.0;
    m_dStepX = dy > 0 ? dx / dy : 0.0;
  }
  if (x1 > x2) m_dStepX = -m_dStepX;
  if (y1 > y2) m_dStepY = -m_dStepY;
  SetTimer(static_cast<UINT_PTR>(m_nStepTimer), 5, nullptr);
  m_bActive = 1;
}

void CFlyObject::SetRegions(CRgn* topLeft, CRgn* topRight, CRgn* bottomLeft, CRgn* bottomRight) {
  m_pPaneRegions[0] = topLeft;
  m_pPaneRegions[1] = topRight;
  m_pPaneRegions[2] = bottomLeft;
  m_pPaneRegions[3] = bottomRight;
}

bool CFlyObject::InAnyPane(int x, int y) const {
  for (CRgn* pane : m_pPaneRegions) {
    if (pane && pane->m_hObject && pane->PtInRegion(x, y)) return true;
  }
  return false;
}

void CFlyObject::InvalidatePanes() {
  if (!m_pView) return;
  for (CRgn* pane : m_pPaneRegions) {
    if (pane && pane->m_hObject) m_pView->InvalidateRgn(pane, FALSE);
  }
}

void CFlyObject::ShowAt(int x, int y) {
  if (InAnyPane(x, y)) {
    m_ptCurrent = CPoint(x, y);
    // This pixel and the one of the previous step.
    const CRect around(x - 2, y - 2, x + 2, y + 2);
    if (m_pView) m_pView->InvalidateRect(&around, FALSE);
    m_bVisible = 1;
  } else if (m_bVisible == 1) {
    m_ptCurrent = CPoint(-1, -1);
    InvalidatePanes();
    m_bVisible = 0;
  }
}

void CFlyObject::OnTimer(UINT_PTR id) {
  if (id == static_cast<UINT_PTR>(m_nStepTimer)) {
    const int a = static_cast<int>(m_dPosX);
    const int b = static_cast<int>(m_dPosY);
    ShowAt(m_ptStart.x + a, m_ptStart.y + b);
    m_dPosX += m_dStepX;
    m_dPosY += m_dStepY;
    // The flight ends when the position just shown reaches the end on either axis.
    if (m_ptStart.x + a == m_ptEnd.x || m_ptStart.y + b == m_ptEnd.y) {
      KillTimer(static_cast<UINT_PTR>(m_nStepTimer));
      InvalidatePanes();
      m_dPosX = 0.0;
      m_dPosY = 0.0;
      m_bActive = 0;
    }
  }
  CWnd::OnTimer(id);
}

void CFlyObject::OnDestroy() {
  CWnd::OnDestroy();
  // A flight cut short by the window's end stops its timer.
  if (m_bActive == 1) {
    KillTimer(static_cast<UINT_PTR>(m_nStepTimer));
    m_bActive = 0;
  }
}
