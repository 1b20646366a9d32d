// CFlyObject: the hidden child window of the view that flies a satellite, one pixel per
// tick of its step timer.
#pragma once

#include "platform/framework/afxwin.h"

class CMyView;

class CFlyObject : public CWnd {
 public:
  CFlyObject();

  CPoint m_ptStart;
  CPoint m_ptEnd;
  CMyView* m_pView = nullptr;
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
  void OnDestroy();

  DECLARE_MESSAGE_MAP()
};
