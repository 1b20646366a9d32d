// The settings command: the dialog runs over the window, and OK stores every value in the
// profile and the document and brings z-order, outline, painting and tray icon up to date.
#include "app/my_app.h"
#include "dialogs/config_dlg.h"
#include "document/my_doc.h"
#include "document/settings.h"
#include "res/resource.h"
#include "view/my_view.h"

void CMyView::OnSettings() {
  CMyApp* app = GetMyApp();
  CMyDoc* doc = GetDocument();
  if (!app || !doc) return;
  // The tray's menu still works while the dialog is up: asked again, the open dialog comes
  // forward instead of a second one over it, whose OK the first would then undo.
  if (m_pOpenSettings) {
    if (m_pOpenSettings->m_hWnd) ::SetActiveWindow(m_pOpenSettings->m_hWnd);
    return;
  }
  CConfigDlg dialog(app->m_strProgramDir);
  struct OpenWhileRunning {
    CConfigDlg*& slot;
    ~OpenWhileRunning() { slot = nullptr; }
  } open{m_pOpenSettings = &dialog};
  dialog.TopMostFlg = settings::Read(app, settings::kTopMostFlg);
  dialog.BeforePositionFlg = settings::Read(app, settings::kBeforePositionFlg);
  dialog.EdgeFlg = doc->EdgeFlg;
  dialog.CircleEdgeFlg = doc->CircleEdgeFlg;
  dialog.EdgeKind = doc->EdgeKind;
  dialog.EdgeClossFlg = doc->EdgeClossFlg;
  dialog.ShootingStarLevel = doc->ShootingStarLevel;
  dialog.SateltLevel = doc->SateltLevel;
  dialog.BkMode = doc->BkMode;
  dialog.ClockFlg = doc->ClockFlg;
  dialog.ClockColor = doc->ClockColor;
  if (dialog.DoModal() != IDOK) return;
  // The dialog may have outlived the document (the program was asked to end meanwhile).
  doc = GetDocument();
  CWnd* main = AfxGetMainWnd();
  if (!doc || !main) return;

  main->SetWindowPos(dialog.TopMostFlg != 0 ? &CWnd::wndTopMost : &CWnd::wndNoTopMost, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE);
  settings::Write(app, settings::kTopMostFlg, dialog.TopMostFlg);
  settings::Write(app, settings::kBeforePositionFlg, dialog.BeforePositionFlg);
  settings::Write(app, settings::kEdgeFlg, dialog.EdgeFlg);
  doc->EdgeFlg = dialog.EdgeFlg;
  settings::Write(app, settings::kCircleEdgeFlg, dialog.CircleEdgeFlg);
  doc->CircleEdgeFlg = dialog.CircleEdgeFlg;

  // The outline is made anew on every OK, with the window out of sight meanwhile. A region
  // that cannot be made leaves the window without one (its whole rectangle shows).
  if (m_bRgnHeld) ClearRegionRecord();
  CRect client;
  GetClientRect(&client);
  main->ShowWindow(SW_HIDE);
  const BOOL made = doc->CircleEdgeFlg != 0 ? m_rgnWindow.CreateEllipticRgnIndirect(&client)
                                           : m_rgnWindow.CreateRectRgnIndirect(&client);
  if (made) {
    GiveRegionToMainWindow(main);
  } else {
    main->SetWindowRgn(nullptr, TRUE);
  }
  main->ShowWindow(SW_SHOWNA);

  settings::Write(app, settings::kClockFlg, dialog.ClockFlg);
  doc->ClockFlg = dialog.ClockFlg;
  settings::Write(app, settings::kEdgeKind, dialog.EdgeKind);
  doc->EdgeKind = dialog.EdgeKind;
  settings::Write(app, settings::kEdgeClossFlg, dialog.EdgeClossFlg);
  doc->EdgeClossFlg = dialog.EdgeClossFlg;
  settings::Write(app, settings::kShootingStarLevel, dialog.ShootingStarLevel);
  doc->ShootingStarLevel = dialog.ShootingStarLevel;
  settings::Write(app, settings::kSateltLevel, dialog.SateltLevel);
  doc->SateltLevel = dialog.SateltLevel;
  settings::Write(app, settings::kBkMode, dialog.BkMode);
  doc->BkMode = dialog.BkMode;
  settings::Write(app, settings::kClockColor, dialog.ClockColor);
  doc->ClockColor = dialog.ClockColor;

  Invalidate(TRUE);
  RefreshTrayIcon();
}

void CMyView::RefreshTrayIcon() {
  CMyApp* app = GetMyApp();
  CMyDoc* doc = GetDocument();
  CWnd* main = AfxGetMainWnd();
  if (!app || !doc || !main) return;
  const bool square = doc->CircleEdgeFlg == 0;
  app->DeleteTrayIcon(main->m_hWnd, square ? IDI_ROUND_WINDOW : IDR_MAINFRAME);
  const UINT id = square ? IDR_MAINFRAME : IDI_ROUND_WINDOW;
  HICON icon = ::LoadIcon(AfxGetResourceHandle(), MAKEINTRESOURCE(static_cast<int>(id)));
  app->AddTrayIcon(main->m_hWnd, id, icon, "Lumivane");
}
