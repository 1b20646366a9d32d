#include "app/my_app.h"

#include <cstdio>
#include <cstring>

#include "app/main_frame.h"
#include "document/my_doc.h"
#include "document/settings.h"
#include "res/resource.h"
#include "view/my_view.h"

BEGIN_MESSAGE_MAP(CMyApp, CWinApp)
  ON_COMMAND(ID_ABOUT, OnAppAbout)
  ON_COMMAND(ID_FILE_NEW, OnFileNew)
  ON_COMMAND(ID_FILE_OPEN, OnFileOpen)
END_MESSAGE_MAP()

CMyApp::CMyApp() : CWinApp(nullptr) {}

CMyApp* GetMyApp() { return static_cast<CMyApp*>(AfxGetApp()); }

BOOL CMyApp::InitInstance() {
  // The recent-file list is read before the registry key is set, so it would come from the
  // initialisation file; the program never shows it.
  LoadStdProfileSettings(4);
  SetRegistryKey("Orvant");

  // The program folder is the help path's folder: the folder of the executable itself,
  // however long its path.
  const size_t slash = m_pszHelpFilePath.rfind('/');
  m_strProgramDir = slash == CString::npos ? CString() : m_pszHelpFilePath.substr(0, slash + 1);

  AddDocTemplate(new CSingleDocTemplate(IDR_MAINFRAME, RUNTIME_CLASS(CMyDoc), RUNTIME_CLASS(CMainFrame),
                                        RUNTIME_CLASS(CMyView)));

  // The document holds no file, so the program opens none and has no switches: any
  // argument is refused before a window or a setting is touched. (Taken as a file to open,
  // it would skip reading the settings and the defaults would overwrite them at exit.)
  CProgramCommandLine commandLine;
  ParseCommandLine(commandLine);
  if (!commandLine.m_unexpected.empty()) {
    std::fprintf(stderr, "%s: unexpected argument \"%s\" (it opens no files and takes no options)\n",
                 m_pszAppName.c_str(), commandLine.m_unexpected.front().c_str());
    m_nStartFailureCode = 2;
    return FALSE;
  }
  if (!ProcessShellCommand(commandLine)) return FALSE;

  // The tray icon shows the window's shape as the registry has it.
  const bool round = settings::Read(this, settings::kCircleEdgeFlg) != 0;
  const UINT id = round ? IDI_ROUND_WINDOW : IDR_MAINFRAME;
  HICON icon = ::LoadIcon(AfxGetResourceHandle(), MAKEINTRESOURCE(id));
  AddTrayIcon(m_pMainWnd->m_hWnd, id, icon, "Lumivane");
  return TRUE;
}

int CMyApp::ExitInstance() {
  const int code = CWinApp::ExitInstance();
  return m_nStartFailureCode != 0 ? m_nStartFailureCode : code;
}

void CMyApp::CProgramCommandLine::ParseParam(const char* param, BOOL flag, BOOL) {
  m_unexpected.push_back(flag ? CString("-") + param : CString(param));
}

BOOL CMyApp::AddTrayIcon(HWND hwnd, UINT id, HICON icon, const char* tip) {
  NOTIFYICONDATAA data;
  data.cbSize = kNotifyIconDataSize;
  data.hWnd = hwnd;
  data.uID = id;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = WM_TRAY_NOTIFY;
  data.hIcon = icon;
  if (tip) {
    // At most 63 bytes of the tip and the terminating zero.
    std::strncpy(data.szTip, tip, sizeof data.szTip - 1);
    data.szTip[sizeof data.szTip - 1] = '\0';
  } else {
    data.szTip[0] = '\0';
  }
  const BOOL result = ::Shell_NotifyIcon(NIM_ADD, &data);
  if (icon) ::DestroyIcon(icon);
  return result;
}

BOOL CMyApp::DeleteTrayIcon(HWND hwnd, UINT id) {
  NOTIFYICONDATAA data;
  data.cbSize = kNotifyIconDataSize;
  data.hWnd = hwnd;
  data.uID = id;
  return ::Shell_NotifyIcon(NIM_DELETE, &data);
}

void CMyApp::OnTrayNotify(WPARAM, LPARAM lParam) {
  CWnd* frame = m_pMainWnd;
  if (!frame) return;
  switch (static_cast<UINT>(lParam)) {
    case WM_RBUTTONDOWN: {
      // The menu opens on the press, at the pointer.
      POINT at;
      ::GetCursorPos(&at);
      HMENU menu = ::LoadMenu(AfxGetResourceHandle(), MAKEINTRESOURCE(IDR_TRAY_MENU));
      HMENU popup = ::GetSubMenu(menu, 0);
      ::TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, frame->m_hWnd, nullptr);
      ::DestroyMenu(menu);
      break;
    }
    case WM_LBUTTONDOWN:
      // Up to the top where it stands, and shown should it be hidden.
      frame->SetWindowPos(&CWnd::wndTop, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);
      frame->ShowWindow(SW_SHOW);
      break;
    default:
      break;
  }
}
