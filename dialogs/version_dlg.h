// CVersionDlg: the about box. It takes the main window's shape: square, a small captioned
// dialog; round, a 150-pixel disc with a shaded ring, dragged by any point. A blue gradient
// (or, on displays of fewer than 15 bits, a night-sky picture) lies behind the product's
// name and version, and the pointer over it is a twinkling star.
#pragma once

#include "dialogs/bevel_button.h"
#include "platform/framework/afxdlgs.h"

class CDib;

class CVersionDlg : public CDialog {
 public:
  enum { IDD = 100 };
  enum : UINT { IDC_SQUARE_ICON = 1035, IDC_ROUND_BITMAP = 1036, IDC_OK_BUTTON = 1001 };
  static constexpr int kCursorCount = 10;
  static constexpr UINT kFirstCursor = 132;  // the twinkling star's frames, 132 to 141
  static constexpr int kRingPenCount = 7;

  // `programDir` ends in a separator; the background pictures sit there.
  explicit CVersionDlg(CString programDir = CString());
  ~CVersionDlg() override;

  CFont* m_pFontGothic = nullptr;
  CFont* m_pFontMincho = nullptr;
  CBevelButton* m_pOkButton = nullptr;
  int m_nBitsPixel = 0;
  HCURSOR m_hCursors[kCursorCount] = {};
  int m_nTimerId = 0;
  int m_nCursorFrame = 0;
  CDib* m_pBackground = nullptr;
  CRgn m_rgnWindow;
  int m_bRound = 0;  // 1: the round box; any other value: square
  CPen* m_pRingPens[kRingPenCount] = {};

 protected:
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnInitDialog() override;
  void OnPaint();
  void OnDestroy();
  BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);
  void OnTimer(UINT_PTR id);
  BOOL OnQueryNewPalette();
  void OnPaletteChanged(CWnd* focusWnd);
  void OnActivate(UINT state, CWnd* other, BOOL minimized);
  void OnOkButton();
  void OnLButtonDown(UINT flags, CPoint point);

  DECLARE_MESSAGE_MAP()

 private:
  // The picture's palette into a context of the box; repainted when it changed anything.
  void RealizeBackground();
  void SetFrameCursor();

  CString m_strProgramDir;
  CStatic m_staticRoundBitmap;
  CStatic m_staticSquareIcon;
};
