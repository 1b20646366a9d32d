// The application object, its message loop and its settings.
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "platform/framework/afxwin.h"
#include "platform/user/resources.h"
#include "platform/user/session.h"

namespace {
CWinApp* g_app = nullptr;
}

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
END_MESSAGE_MAP()

CWinApp::CWinApp(const char* appName) {
  if (appName) m_pszAppName = appName;
  g_app = this;
}

CWinApp::~CWinApp() {
  for (CDocTemplate* t : m_templates) delete t;
  if (g_app == this) {
    g_app = nullptr;
    if (platform::IsInitialized()) {
      platform::SetMessageFilter(nullptr);
      platform::SetTerminationHandler(nullptr);
    }
  }
}

CWinApp* AfxGetApp() { return g_app; }
CWnd* AfxGetMainWnd() { return g_app ? g_app->m_pMainWnd : nullptr; }
HINSTANCE AfxGetResourceHandle() { return user::ProgramInstance(); }
HINSTANCE AfxGetInstanceHandle() { return user::ProgramInstance(); }

CString AfxLoadString(UINT id) {
  char buffer[2048];
  const int n = ::LoadString(AfxGetResourceHandle(), id, buffer, sizeof buffer);
  return CString(buffer, static_cast<size_t>(std::max(n, 0)));
}

int AfxMessageBox(const char* text, UINT type) {
  CWnd* main = AfxGetMainWnd();
  const CString caption = g_app ? g_app->m_pszAppName : CString();
  return ::MessageBox(main ? main->m_hWnd : nullptr, text, caption.c_str(), type);
}

int AfxMessageBox(UINT stringId, UINT type) { return AfxMessageBox(AfxLoadString(stringId).c_str(), type); }

std::string AfxExecutablePath() {
  // The link target can be any length: grow the buffer until it fits.
  std::string buffer(256, '\0');
  for (;;) {
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) return std::string();
    if (static_cast<size_t>(n) < buffer.size()) {
      buffer.resize(static_cast<size_t>(n));
      return buffer;
    }
    buffer.resize(buffer.size() * 2);
  }
}

void CWinApp::SetRegistryKey(const char* company) {
  m_pszRegistryKey = company ? company : "";
  m_profile = std::make_unique<platform::ProfileStore>(platform::ProfilePathFor(m_pszRegistryKey, m_pszAppName));
}

std::string CWinApp::ProfilePath() const { return m_profile ? m_profile->Path().string() : std::string(); }

void CWinApp::LoadStdProfileSettings(UINT maxMru) {
  // The recent-file list is kept for the session only: nothing in the program shows it.
  m_maxMru = maxMru;
  m_recentFiles.clear();
}

UINT CWinApp::GetProfileInt(const char* section, const char* entry, int defaultValue) {
  if (!m_profile || !section || !entry) return static_cast<UINT>(defaultValue);
  return static_cast<UINT>(m_profile->ReadInt(section, entry).value_or(defaultValue));
}

BOOL CWinApp::WriteProfileInt(const char* section, const char* entry, int value) {
  if (!m_profile || !section || !entry) return FALSE;
  return m_profile->WriteInt(section, entry, value) ? TRUE : FALSE;
}

void CWinApp::AddDocTemplate(CDocTemplate* tmpl) {
  if (tmpl) m_templates.push_back(tmpl);
}

void CCommandLineInfo::ParseParam(const char* param, BOOL flag, BOOL) {
  // Switches are not the program's concern; a plain argument names a file to open.
  if (flag || !param) return;
  if (m_strFileName.empty()) {
    m_strFileName = param;
    m_nShellCommand = FileOpen;
  }
}

void CWinApp::ParseCommandLine(CCommandLineInfo& info) {
  for (size_t i = 0; i < m_args.size(); ++i) {
    const std::string& a = m_args[i];
    const bool flag = !a.empty() && a[0] == '-';
    info.ParseParam(flag ? a.c_str() + 1 : a.c_str(), flag ? TRUE : FALSE, i + 1 == m_args.size() ? TRUE : FALSE);
  }
}

BOOL CWinApp::ProcessShellCommand(CCommandLineInfo& info) {
  switch (info.m_nShellCommand) {
    case CCommandLineInfo::FileNew:
      OnFileNew();
      return m_pMainWnd != nullptr ? TRUE : FALSE;
    case CCommandLineInfo::FileOpen:
      return OpenDocumentFile(info.m_strFileName.c_str()) != nullptr ? TRUE : FALSE;
    case CCommandLineInfo::FileNothing:
      return TRUE;
  }
  return FALSE;
}

void CWinApp::OnFileNew() {
  if (!m_templates.empty()) m_templates.front()->OpenDocumentFile(nullptr);
}

void CWinApp::OnFileOpen() {
  CString name;
  if (!DoPromptFileName(name, AFX_IDS_OPENFILE, TRUE)) return;
  OpenDocumentFile(name.c_str());
}

CDocument* CWinApp::OpenDocumentFile(const char* path) {
  if (m_templates.empty() || !path) return nullptr;
  return m_templates.front()->OpenDocumentFile(path);
}

BOOL CWinApp::DoPromptFileName(CString& name, UINT titleId, BOOL open) {
  platform::FileDialogRequest request;
  request.open = open != FALSE;
  request.title = AfxLoadString(titleId);
  request.initialName = name;
  request.owner = m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr;
  const auto chosen = platform::GetBackend().FileDialog(request);
  if (!chosen) return FALSE;
  name = *chosen;
  return TRUE;
}

void CWinApp::AddToRecentFileList(const CString& path) {
  if (m_maxMru == 0) return;
  m_recentFiles.erase(std::remove(m_recentFiles.begin(), m_recentFiles.end(), path), m_recentFiles.end());
  m_recentFiles.insert(m_recentFiles.begin(), path);
  if (m_recentFiles.size() > m_maxMru) m_recentFiles.resize(m_maxMru);
}

void CWinApp::CloseAllDocuments(BOOL) {
  for (CDocTemplate* t : m_templates) t->CloseAllDocuments();
}

void CWinApp::HideApplication() {
  if (!m_pMainWnd) return;
  m_pMainWnd->ShowWindow(SW_HIDE);
  if (m_pMainWnd) {
    m_pMainWnd->SetWindowPos(&CWnd::wndBottom, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

BOOL CWinApp::PreTranslateMessage(MSG* msg) {
  // Offer the message to each window from its target up to the main window.
  const HWND stop = m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr;
  for (HWND h = msg->hwnd; h; h = ::GetParent(h)) {
    if (CWnd* w = CWnd::FromHandlePermanent(h)) {
      if (w->PreTranslateMessage(msg)) return TRUE;
    }
    if (h == stop) break;
  }
  return FALSE;
}

int CWinApp::Run() {
  MSG msg;
  while (::GetMessage(&msg, nullptr, 0, 0)) {
    m_msgCur = msg;
    platform::FilterAndDispatch(&msg);
  }
  m_msgCur = msg;
  return ExitInstance();
}

int CWinApp::ExitInstance() { return static_cast<int>(m_msgCur.wParam); }

void AfxWinInit(CWinApp* app, int argc, char** argv) {
  // Every loop of the platform, modal ones included, lets the windows pre-translate.
  platform::SetMessageFilter([app](MSG* msg) { return app->PreTranslateMessage(msg) != FALSE; });
  // A request to end from outside (logout, kill) closes the main window the ordinary way,
  // so that what it saves at closing is saved.
  platform::SetTerminationHandler([app] {
    if (app->m_pMainWnd && app->m_pMainWnd->m_hWnd) {
      app->m_pMainWnd->PostMessage(WM_CLOSE);
    } else {
      ::PostQuitMessage(0);
    }
  });
  app->m_args.assign(argv + std::min(argc, 1), argv + argc);
  if (app->m_pszAppName.empty()) app->m_pszAppName = AfxLoadString(AFX_IDS_APP_TITLE);
  // The help file sits beside the executable and is named after it.
  const std::filesystem::path exe = AfxExecutablePath();
  app->m_pszExeName = exe.stem().string();
  std::filesystem::path help = exe;
  help.replace_extension(".HLP");
  app->m_pszHelpFilePath = help.string();
}

int AfxWinMain(int argc, char** argv) {
  CWinApp* app = AfxGetApp();
  if (!app) return -1;
  AfxWinInit(app, argc, argv);
  if (!app->InitInstance()) {
    if (app->m_pMainWnd) app->m_pMainWnd->DestroyWindow();
    return app->ExitInstance();
  }
  return app->Run();
}
