// CMyView: the view that fills the frame and does everything visible. Its members and
// lifecycle, outline, mouse and commands are in my_view.cpp, the paint in view_paint.cpp, the
// sky timer and the sky's events in view_sky.cpp, the star balloons in view_stars.cpp, the
// mouse gestures and commands in view_commands.cpp, the frame and clock in view_decor.cpp; the
// work itself is done by the sky/ and decor/ modules with what the view hands them.
#pragma once

#include "platform/framework/afxwin.h"
#include "sky/fly_object.h"
#include "sky/random.h"
#include "sky/star_popup.h"

class CDib;
class CMyDoc;

class CMyView : public CView {
  DECLARE_DYNCREATE(CMyView)

 public:
  CMyView();
  ~CMyView() override;

  BOOL PreCreateWindow(CREATESTRUCT& cs) override;
  // Shift+F10 and the menu key open the context menu just inside the window's corner.
  BOOL PreTranslateMessage(MSG* msg) override;
  void OnActivateView(BOOL activate, CView* activateView, CView* deactiveView) override;
  void OnDraw(CDC* dc) override;

  CMyDoc* GetDocument() const;

  // ---- Sky ----
  // The point of the sky map shown at the view's top-left pixel for today's date.
  CPoint ComputeSkyOrigin() const;
  // Background and sky, composed off screen and copied to the window in one transfer.
  void ComposeSky(CDC* dc);
  // Asks for a repaint of the glass and marks a shooting star for the next composition.
  void ScheduleShootingStar(BOOL erase);
  // Blends one of the six streak pictures into the composed sky at a random place.
  void DrawShootingStar(CDC* composed);
  CPoint PickStarPosition();
  // Which of the six streaks a star at this x gets: the remainder of x by 6, taking the
  // sign of x, without its sign.
  static int ShootingStarVariant(int x);
  // Start and end of a satellite's flight, on the top or left edge of the window.
  void PickSatellitePath(CPoint& start, CPoint& end);
  // The satellite's pixel, while a flight is under way.
  void DrawSatellite(CDC* dc);
  // Copies the screen area under the main window into m_pDesktopBitmap.
  void CaptureDesktop();
  // The main window; while the windows are being created, the frame that will be it.
  CWnd* MainWindow() const;

  // ---- Star balloons ----
  // Reads the star table from "SPup.sbd": the user's (sky::SkyFilePath) or the program folder's.
  void LoadStarTable();
  // 1 when a star of the table lies at the view point: its texts are then the balloon's.
  // With a frame shown only the panes count; the first entry that contains the point wins.
  int HitStar(int x, int y);

  // ---- Frame and clock ----
  // The painted frames; the bars are drawn when `bars` is exactly 1. Each paint rebuilds
  // the glass, quadrant and pane regions.
  void PaintLogFrame(CDC* dc, int bars);
  void PaintAlumiFrame(CDC* dc, int bars);
  // The clock on the frame, and the three rectangles the sky timer refreshes.
  void PaintClock(CDC* dc);

  // ---- Members, in the order of their owners' table ----
  CDib* m_pSkyMapHi = nullptr;          // star picture "SkyMapHi.SBM", the user's or the shipped one
  CDib* m_pSkyMapSh = nullptr;          // its mask "SkyMapSh.SBM", likewise
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
  sky::SecondsRandom m_random;
  class CConfigDlg* m_pOpenSettings = nullptr;  // the settings dialog while it is up
  class CVersionDlg* m_pOpenAbout = nullptr;    // the about box while it is up

 protected:
  int OnCreate(LPCREATESTRUCT cs);
  void OnTimer(UINT_PTR id);
  void OnDestroy();
  void OnSize(UINT type, int cx, int cy);
  void OnLButtonDown(UINT flags, CPoint point);
  void OnMouseMove(UINT flags, CPoint point);
  void OnLButtonDblClk(UINT flags, CPoint point);
  LRESULT OnNcHitTest(CPoint point);
  void OnContextMenu(CWnd* wnd, CPoint point);
  void OnAbout();
  void OnHelpTopics();
  void OnNebuloriumHelp();
  void OnNebuloriumWeb();
  void OnMakerHome();
  void OnShowMainWindow();
  void OnCaptureDesktop();
  void OnCaptureBackground();
  // The settings dialog and what its OK brings up to date (dialogs/settings_command.cpp).
  void OnSettings();
  // One tray icon, showing the window's shape as the document has it.
  void RefreshTrayIcon();
  BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);
  void OnAppExit();

  DECLARE_MESSAGE_MAP()

 private:
  // Forgets which region the main window has, without deleting it: it is the window's.
  void ClearRegionRecord();
  // Records the region made into m_rgnWindow and hands it to the main window.
  void GiveRegionToMainWindow(CWnd* main);
};
