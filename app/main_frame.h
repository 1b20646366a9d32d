// The main frame: the captionless popup of the chosen size, its animated pointer, its
// palette, and what happens when it moves, hides or goes away.
#pragma once

#include "platform/framework/afxwin.h"
#include "res/resource.h"

class CMainFrame : public CFrameWnd {
  DECLARE_DYNCREATE(CMainFrame)

 public:
  CMainFrame();
  ~CMainFrame() override;

  BOOL PreCreateWindow(CREATESTRUCT& cs) override;
  BOOL LoadFrame(UINT resourceId, DWORD defaultStyle, CWnd* parent, CCreateContext* context) override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  // Cursor resource shown at animation step 1..24: the steps alternate between the two
  // halves of the set, so that the star goes round in 24 steps.
  static UINT CursorForStep(int step);

  HCURSOR m_hCursors[kStarCursorCount];
  HCURSOR m_hPrevCursor;
  int m_nTimerId;
  int m_nCursorFrame;

 protected:
  BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);
  void OnTimer(UINT_PTR id);
  void OnDestroy();
  BOOL OnQueryNewPalette();
  void OnPaletteChanged(CWnd* focusWnd);
  void OnActivate(UINT state, CWnd* other, BOOL minimized);
  void OnShowWindow(BOOL show, UINT status);
  void OnWindowPosChanged(WINDOWPOS* pos);
  void OnMove(int x, int y);

  DECLARE_MESSAGE_MAP()

 private:
  // Set when the window is about to be hidden; the copy of the desktop is taken once it is.
  BOOL m_bCaptureWhenHidden = FALSE;
  // Realises the sky picture's palette in the active view; invalidates it when entries
  // changed.
  void RealizeSkyPalette(BOOL background);
};
