// CFlyObject: the hidden child window of the view that flies a satellite, one pixel per
// tick of its step timer, visible only inside the window's panes.
#pragma once

#include "platform/framework/afxwin.h"

class CFlyObject : public CWnd {
 public:
  CFlyObject();

  // Starts a flight from (x1, y1) to (x2, y2), client coordinates of `view`, the window
  // whose panes the satellite is seen in and which is repainted as it moves.
  void Start(CWnd* view, int x1, int y1, int x2, int y2);
  // The panes where the satellite may be seen: top-left, top-right, bottom-left,
  // bottom-right. The regions keep their identity while their shapes change.
  void SetRegions(CRgn* topLeft, CRgn* topRight, CRgn* bottomLeft, CRgn* bottomRight);
  // Shows the satellite at a point, or hides it when the point is outside every pane.
  void ShowAt(int x, int y);

  CPoint m_ptStart;
  CPoint m_ptEnd;
  CWnd* m_pView = nullptr;
  double m_dStepX = 0.0;
  double m_dStepY = 0.0;
  double m_dPosX = 0.0;
  double m_dPosY = 0.0;
  CPoint m_ptCurrent{-1, -1};
  // The view's four pane regions; null until the first paint hands them over.
  CRgn* m_pPaneRegions[4] = {nullptr, nullptr, nullptr, nullptr};
  int m_bVisible = 0;
  int m_nStepTimer = 100;
  int m_bActive = 0;

 protected:
  void OnTimer(UINT_PTR id);
  void OnDestroy();

  DECLARE_MESSAGE_MAP()

 private:
  bool InAnyPane(int x, int y) const;
  void InvalidatePanes();
};
