// The view's mouse gestures and commands: the size step on a double-click, the desktop copy
// taken anew after a move, the context menu (also from the keyboard), help, the web pages,
// and the capture and show commands.
#include <algorithm>

#include "app/my_app.h"
#include "dialogs/version_dlg.h"
#include "document/my_doc.h"
#include "document/settings.h"
#include "res/resource.h"
#include "res/web_pages.h"
#include "view/my_view.h"

void CMyView::OnLButtonDblClk(UINT flags, CPoint point) {
  CMyDoc* doc = GetDocument();
  CWnd* main = AfxGetMainWnd();
  if (doc && main) {
    CRect window;
    GetWindowRect(&window);
    const int half = (window.bottom - window.top) / 2;
    // A step outside the table opened the window at the nearest size; count from that one,
    // or the first clicks would change nothing to be seen.
    int step = std::clamp(doc->FrameSizeNo, 1, 6);
    step += point.y < half ? 1 : -1;
    if (step == 7) step = 1;
    if (step == 0) step = 6;
    doc->FrameSizeNo = step;
    const int edge = FrameEdgeForSizeNo(step);

    // A round window is out of sight until it has its new ellipse.
    if (doc->CircleEdgeFlg == settings::kOn) main->ShowWindow(SW_HIDE);
    main->SetWindowPos(nullptr, 0, 0, edge, edge, SWP_NOMOVE | SWP_NOZORDER | SWP_SHOWWINDOW);
    if (doc->CircleEdgeFlg == 0) {
      ClearRegionRecord();
      m_rgnWindow.CreateRectRgn(0, 0, edge, edge);
      GiveRegionToMainWindow(main);
      main->ShowWindow(SW_SHOWNA);
    }
    if (doc->BkMode == settings::kBackgroundDesktop) {
      main->ShowWindow(SW_HIDE);
      SendMessage(WM_COMMAND, ID_CAPTURE_DESKTOP);
      main->ShowWindow(SW_SHOW);
    }
  }
  CView::OnLButtonDblClk(flags, point);
}

LRESULT CMyView::OnNcHitTest(CPoint point) {
  // The first pointer movement over the window after a move takes the desktop behind its
  // new place, and a shooting star marks the new glass.
  CMyDoc* doc = GetDocument();
  CWnd* main = AfxGetMainWnd();
  if (m_bMoved == 1 && doc && doc->BkMode == settings::kBackgroundDesktop && main) {
    main->ShowWindow(SW_HIDE);
    SendMessage(WM_COMMAND, ID_CAPTURE_DESKTOP);
    main->ShowWindow(SW_SHOW);
    ScheduleShootingStar(TRUE);
    m_bMoved = 0;
  }
  return CView::OnNcHitTest(point);
}

void CMyView::OnContextMenu(CWnd*, CPoint point) {
  HMENU menu = ::LoadMenu(AfxGetResourceHandle(), MAKEINTRESOURCE(IDR_CONTEXT_MENU));
  HMENU popup = ::GetSubMenu(menu, 0);
  // "背景を取り込む(R)" only means something with the desktop background.
  const bool desktop = GetDocument()->BkMode == settings::kBackgroundDesktop;
  ::EnableMenuItem(popup, 0, MF_BYPOSITION | (desktop ? MF_ENABLED : MF_GRAYED));
  ::TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, point.x, point.y, 0, m_hWnd, nullptr);
  ::DestroyMenu(menu);
}

BOOL CMyView::PreTranslateMessage(MSG* msg) {
  const bool shiftF10 = (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN) && msg->wParam == VK_F10 &&
                        (::GetKeyState(VK_SHIFT) & ~1) != 0;
  if (shiftF10 || msg->message == WM_CONTEXTMENU) {
    // From the keyboard the menu opens just inside the window's top-left corner.
    CRect client;
    GetClientRect(&client);
    ClientToScreen(&client);
    OnContextMenu(nullptr, CPoint(client.left + 5, client.top + 5));
    return TRUE;
  }
  return CView::PreTranslateMessage(msg);
}

void CMyView::OnAbout() {
  // Asked again from the tray while the box is up, the open box comes forward: a second one
  // would stop the sound and clear the flag while the first is still up.
  if (m_pOpenAbout) {
    if (m_pOpenAbout->m_hWnd) ::SetActiveWindow(m_pOpenAbout->m_hWnd);
    return;
  }
  // The night sound plays in a loop for as long as the box is up; meanwhile the main window
  // leaves the pointer to the box.
  ::sndPlaySound("nature.wav", SND_ASYNC | SND_LOOP);
  CMyApp* app = GetMyApp();
  CVersionDlg box(app->m_strProgramDir);
  struct OpenWhileRunning {
    CVersionDlg*& slot;
    ~OpenWhileRunning() { slot = nullptr; }
  } open{m_pOpenAbout = &box};
  box.m_bRound = GetDocument()->CircleEdgeFlg;
  app->m_bAboutBoxUp = 1;
  box.DoModal();
  app->m_bAboutBoxUp = 0;
  ::sndPlaySound(nullptr, SND_ASYNC | SND_LOOP);
}

void CMyView::OnHelpTopics() { WinHelp(0, HELP_FINDER); }

void CMyView::OnNebuloriumHelp() {
  ::WinHelp(m_hWnd, (GetMyApp()->m_strProgramDir + "Nebulorium.hlp").c_str(), HELP_CONTENTS, 0);
}

void CMyView::OnNebuloriumWeb() { ::ShellExecute(::GetDesktopWindow(), "open", kNebuloriumWebPage, nullptr, nullptr, SW_SHOW); }

void CMyView::OnMakerHome() { ::ShellExecute(::GetDesktopWindow(), "open", kMakerHomePage, nullptr, nullptr, SW_SHOW); }

void CMyView::OnShowMainWindow() {
  if (CWnd* main = AfxGetMainWnd()) main->ShowWindow(SW_SHOW);
}

void CMyView::OnCaptureDesktop() {
  CaptureDesktop();
  // Whatever hid the window, it comes back once the current work is done.
  PostMessage(WM_COMMAND, ID_SHOW_MAIN_WINDOW);
}

void CMyView::OnCaptureBackground() {
  CWnd* main = AfxGetMainWnd();
  if (!main) return;
  main->ShowWindow(SW_HIDE);
  SendMessage(WM_COMMAND, ID_CAPTURE_DESKTOP);
  main->ShowWindow(SW_SHOW);
}
