#include "app/main_frame.h"

#include <algorithm>

#include "app/my_app.h"
#include "document/my_doc.h"
#include "document/settings.h"
#include "image/dib.h"
#include "view/my_view.h"

IMPLEMENT_DYNCREATE(CMainFrame, CFrameWnd)

BEGIN_MESSAGE_MAP(CMainFrame, CFrameWnd)
  ON_WM_DESTROY()
  ON_WM_QUERYNEWPALETTE()
  ON_WM_PALETTECHANGED()
  ON_WM_ACTIVATE()
  ON_WM_SETCURSOR()
  ON_WM_TIMER()
  ON_WM_SHOWWINDOW()
  ON_WM_WINDOWPOSCHANGED()
  ON_WM_MOVE()
END_MESSAGE_MAP()

CMainFrame::CMainFrame() {
  for (int i = 0; i < kStarCursorCount; ++i) {
    m_hCursors[i] = ::LoadCursor(AfxGetResourceHandle(), MAKEINTRESOURCE(IDC_STAR_CURSOR_FIRST + i));
  }
  m_hPrevCursor = ::LoadCursor(nullptr, IDC_ARROW);
  m_nCursorFrame = 1;
  m_nTimerId = 99;
}

CMainFrame::~CMainFrame() {
  ::SetCursor(m_hPrevCursor);
  for (HCURSOR cursor : m_hCursors) ::DestroyCursor(cursor);
}

UINT CMainFrame::CursorForStep(int step) {
  const int k = (step + 1) / 2;
  return step % 2 == 1 ? IDC_STAR_CURSOR_FIRST - 1 + static_cast<UINT>(k)
                       : IDC_STAR_CURSOR_BETWEEN_FIRST - 1 + static_cast<UINT>(k);
}

BOOL CMainFrame::PreCreateWindow(CREATESTRUCT& cs) {
  CWinApp* app = AfxGetApp();
  cs.style = static_cast<LONG>(WS_POPUP | WS_SYSMENU);
  cs.dwExStyle = WS_EX_TOOLWINDOW;
  // Topmost replaces the tool-window style: such a window has a taskbar entry.
  if (settings::Read(app, settings::kTopMostFlg) != 0) cs.dwExStyle = WS_EX_TOPMOST;

  const int screenWidth = ::GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = ::GetSystemMetrics(SM_CYSCREEN);
  const int edge = FrameEdgeForSizeNo(settings::Read(app, settings::kFrameSizeNo));
  int x = 0;
  int y = 0;
  if (settings::Read(app, settings::kBeforePositionFlg) == settings::kOn) {
    // The saved place is used as it is, partly off the screen too; but a place on no
    // monitor any more (one unplugged, a lower resolution) would leave the window out of
    // sight: it then opens whole on the nearest monitor.
    y = settings::Read(app, settings::kBeforePositionPosY);
    x = settings::Read(app, settings::kBeforePositionPosX);
    const RECT saved{x, y, x + edge, y + edge};
    if (!::MonitorFromRect(&saved, MONITOR_DEFAULTTONULL)) {
      MONITORINFO nearest;
      if (::GetMonitorInfo(::MonitorFromRect(&saved, MONITOR_DEFAULTTONEAREST), &nearest)) {
        const RECT& work = nearest.rcWork;
        x = std::max<int>(work.left, std::min<int>(x, work.right - edge));
        y = std::max<int>(work.top, std::min<int>(y, work.bottom - edge));
      }
    }
  } else {
    x = (screenWidth - edge) / 2;
    y = (screenHeight - edge) / 2;
  }
  cs.cx = edge;
  cs.cy = edge;
  cs.x = x;
  cs.y = y;
  return CFrameWnd::PreCreateWindow(cs);
}

BOOL CMainFrame::LoadFrame(UINT resourceId, DWORD, CWnd* parent, CCreateContext* context) {
  const BOOL loaded = CFrameWnd::LoadFrame(resourceId, WS_POPUP, parent, context);
  if (m_hWnd) {
    ModifyStyle(WS_CAPTION, 0, SWP_NOZORDER);
    ModifyStyleEx(WS_EX_CLIENTEDGE, 0, SWP_NOZORDER);
    SetMenu(nullptr);
    SetTimer(static_cast<UINT_PTR>(m_nTimerId), 10, nullptr);
  }
  return loaded;
}

LRESULT CMainFrame::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TRAY_NOTIFY) GetMyApp()->OnTrayNotify(wParam, lParam);
  return CFrameWnd::WindowProc(message, wParam, lParam);
}

BOOL CMainFrame::OnSetCursor(CWnd* wnd, UINT hitTest, UINT message) {
  if (hitTest != HTCLIENT || GetMyApp()->m_bAboutBoxUp) return CFrameWnd::OnSetCursor(wnd, hitTest, message);
  HCURSOR cursor = m_hCursors[CursorForStep(m_nCursorFrame) - IDC_STAR_CURSOR_FIRST];
  HCURSOR previous = ::SetCursor(cursor);
  if (previous != cursor) m_hPrevCursor = previous;
  return TRUE;
}

void CMainFrame::OnTimer(UINT_PTR id) {
  if (id == static_cast<UINT_PTR>(m_nTimerId)) {
    if (++m_nCursorFrame == 25) m_nCursorFrame = 1;
    OnSetCursor(this, HTCLIENT, 0);
  }
  CFrameWnd::OnTimer(id);
}

void CMainFrame::OnDestroy() {
  CFrameWnd::OnDestroy();
  KillTimer(static_cast<UINT_PTR>(m_nTimerId));
  CMyApp* app = GetMyApp();
  CRect rect;
  GetWindowRect(&rect);
  // Saved at every exit, whatever BeforePositionFlg says.
  settings::Write(app, settings::kBeforePositionPosX, rect.left);
  settings::Write(app, settings::kBeforePositionPosY, rect.top);
  const bool round = settings::Read(app, settings::kCircleEdgeFlg) != 0;
  app->DeleteTrayIcon(m_hWnd, round ? IDI_ROUND_WINDOW : IDR_MAINFRAME);
}

void CMainFrame::RealizeSkyPalette(BOOL background) {
  auto* view = static_cast<CMyView*>(GetActiveView());
  if (!view || !view->m_pSkyMapHi) return;
  CDC* dc = view->GetDC();
  if (!dc) return;
  if (view->m_pSkyMapHi->Realize(dc, background) != 0) view->Invalidate(FALSE);
  view->ReleaseDC(dc);
}

BOOL CMainFrame::OnQueryNewPalette() {
  RealizeSkyPalette(TRUE);
  return CFrameWnd::OnQueryNewPalette();
}

void CMainFrame::OnPaletteChanged(CWnd* focusWnd) {
  CFrameWnd::OnPaletteChanged(focusWnd);
  RealizeSkyPalette(TRUE);
}

void CMainFrame::OnActivate(UINT state, CWnd* other, BOOL minimized) {
  CFrameWnd::OnActivate(state, other, minimized);
  if (state == WA_ACTIVE || state == WA_CLICKACTIVE) RealizeSkyPalette(FALSE);
}

void CMainFrame::OnShowWindow(BOOL show, UINT status) {
  CFrameWnd::OnShowWindow(show, status);
  // Hiding the window, for whatever reason, refreshes the desktop copy behind it. The copy
  // waits until the window has really gone from the screen, or it would hold the window
  // itself: the show-window message comes while the window is still there.
  if (!show) m_bCaptureWhenHidden = TRUE;
}

void CMainFrame::OnWindowPosChanged(WINDOWPOS* pos) {
  CFrameWnd::OnWindowPosChanged(pos);
  if (m_bCaptureWhenHidden && (pos->flags & SWP_HIDEWINDOW) && !IsWindowVisible()) {
    m_bCaptureWhenHidden = FALSE;
    if (GetActiveView()) GetActiveView()->SendMessage(WM_COMMAND, ID_CAPTURE_DESKTOP, 0);
  }
}

void CMainFrame::OnMove(int x, int y) {
  CFrameWnd::OnMove(x, y);
  if (auto* view = static_cast<CMyView*>(GetActiveView())) view->m_bMoved = 1;
}
