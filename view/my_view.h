// CMyView: the view that fills the frame and does everything visible. This file holds its
// members and lifecycle, the window outline, and the mouse and command handlers.
#pragma once

#include "platform/framework/afxwin.h"
#include "sky/fly_object.h"
#include "sky/star_popup.h"

class CDib;
class CMyDoc;

class CMyView : public CView {
  DECLARE_DYNCREATE(CMyView)

 public:
  CMyView();
  ~CMyView() override;

  BOOL PreCreateWindow(CREATESTRUCT& cs) override;
  void OnActivateView(BOOL activate, CView* activateView, CView* deactiveView) override;
  void OnDraw(CDC* dc) override;

  CMyDoc* GetDocument() const;

  // ---- Members, in the order of their owners' table ----
  CDib* m_pSkyMapHi = nullptr;          // star picture "SkyMapHi.SBM"
  CDib* m_pSkyMapSh = nullptr;          // its mask "SkyMapSh.SBM"
  CPen* m_pFramePens[14] = {};          // log palette 0..6, then aluminium 0..6
  int m_nSkyTimer = 0;                  // 1 once the sky timer runs
  CFont m_fontClock;
  CPen m_penPlate[6];
  CBitmap* m_pStarScratch = nullptr;    // 47 x 47, for blending a shooting star
  CBitmap* m_pDesktopBitmap = nullptr;  // copy of the desktop behind the window
  CBitmap* m_pStarImage[6] = {};
  CBitmap* m_pStarMask[6] = {};
  int m_bStarPending = 0;
  CRgn m_rgnGlass;
  CRgn m_rgnQuadrant[4];  // top-left, top-right, bottom-left, bottom-right
  CRgn m_rgnPane[4];      // glass AND quadrant, same order
  int m_bMoved = 0;
  CStarPopupWnd m_wndStarPopup;
  CStarTable m_starTable;
  CPoint m_ptSkyOrigin;
  CFlyObject m_satellite;
  // Record of the region last handed to the main window; the window owns that region.
  CRgn m_rgnWindow;
  int m_bRgnHeld = 0;
  int m_bFirstActivation = 1;
  int m_bClosing = 0;
  CRect m_rcClockMinute;
  CRect m_rcClockTime;
  CRect m_rcClockDate;
  int m_bSkipSky = 0;

 protected:
  int OnCreate(LPCREATESTRUCT cs);
  void OnDestroy();
  void OnSize(UINT type, int cx, int cy);
  void OnLButtonDown(UINT flags, CPoint point);
  void OnAppExit();

  DECLARE_MESSAGE_MAP()

 private:
  // Forgets which region the main window has, without deleting it: it is the window's.
  void ClearRegionRecord();
  // Records the region made into m_rgnWindow and hands it to the main window.
  void GiveRegionToMainWindow(CWnd* main);
};
