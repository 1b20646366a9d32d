// CFrameWnd: the main window of a document/view application, owner of the active view,
// the accelerators and the command routing.
#include "platform/framework/afxwin.h"

IMPLEMENT_DYNCREATE(CFrameWnd, CWnd)

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
  ON_WM_CREATE()
  ON_WM_DESTROY()
  ON_WM_CLOSE()
  ON_WM_SIZE()
  ON_WM_ACTIVATE()
  ON_WM_SETFOCUS()
  ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CFrameWnd::CFrameWnd() = default;

CFrameWnd::~CFrameWnd() {
  if (m_hAccelTable) ::DestroyAcceleratorTable(m_hAccelTable);
}

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCT& cs) {
  if (!cs.lpszClass) {
    cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, ::LoadCursor(nullptr, IDC_ARROW),
                                       reinterpret_cast<HBRUSH>(static_cast<std::uintptr_t>(COLOR_WINDOW + 1)));
  }
  // The framework gives frames a sunken client edge.
  cs.dwExStyle |= WS_EX_CLIENTEDGE;
  return TRUE;
}

BOOL CFrameWnd::LoadFrame(UINT resourceId, DWORD defaultStyle, CWnd* parent, CCreateContext* context) {
  const CString document = AfxLoadString(resourceId);
  m_strTitle = document.substr(0, document.find('\n'));
  // The frame's class carries the program's icon of the same resource number.
  HICON icon = ::LoadIcon(AfxGetResourceHandle(), MAKEINTRESOURCE(resourceId));
  const char* cls = AfxRegisterWndClass(CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, ::LoadCursor(nullptr, IDC_ARROW),
                                        reinterpret_cast<HBRUSH>(static_cast<std::uintptr_t>(COLOR_WINDOW + 1)),
                                        icon);
  const RECT rectDefault{0, 0, 0, 0};
  if (!Create(cls, m_strTitle.c_str(), defaultStyle, rectDefault, parent, MAKEINTRESOURCE(resourceId), 0, context)) {
    return FALSE;
  }
  m_hMenuDefault = ::GetMenu(m_hWnd);
  m_hAccelTable = ::LoadAccelerators(AfxGetResourceHandle(), MAKEINTRESOURCE(resourceId));
  if (!context) SendMessageToDescendants(WM_INITIALUPDATE, 0, 0);
  return TRUE;
}

BOOL CFrameWnd::Create(const char* className, const char* windowName, DWORD style, const RECT& rect,
                       CWnd* parent, const char* menuName, DWORD exStyle, CCreateContext* context) {
  HMENU menu = nullptr;
  if (menuName) {
    menu = ::LoadMenu(AfxGetResourceHandle(), menuName);
    if (!menu) {
      PostNcDestroy();
      return FALSE;
    }
  }
  m_strTitle = windowName ? windowName : "";
  if (!CreateEx(exStyle, className, windowName, style, rect.left, rect.top, rect.right - rect.left,
                rect.bottom - rect.top, parent ? parent->m_hWnd : nullptr, menu, context)) {
    if (menu) ::DestroyMenu(menu);
    return FALSE;
  }
  return TRUE;
}

int CFrameWnd::OnCreate(LPCREATESTRUCT cs) {
  if (CWnd::OnCreate(cs) == -1) return -1;
  auto* context = static_cast<CCreateContext*>(cs->lpCreateParams);
  if (!OnCreateClient(cs, context)) return -1;
  RecalcLayout();
  return 0;
}

BOOL CFrameWnd::OnCreateClient(LPCREATESTRUCT, CCreateContext* context) {
  if (context && context->m_pNewViewClass) {
    if (!CreateView(context, AFX_IDW_PANE_FIRST)) return FALSE;
  }
  return TRUE;
}

CView* CFrameWnd::CreateView(CCreateContext* context, UINT id) {
  CObject* made = context->m_pNewViewClass->CreateObject();
  if (!made || !made->IsKindOf(RUNTIME_CLASS(CView))) {
    delete made;
    return nullptr;
  }
  auto* view = static_cast<CView*>(made);
  const RECT none{0, 0, 0, 0};
  if (!view->Create(nullptr, nullptr, AFX_WS_DEFAULT_VIEW, none, this, id, context)) {
    return nullptr;  // a view that failed to create has deleted itself
  }
  // A view with its own sunken edge makes the frame's redundant.
  if (view->GetExStyle() & WS_EX_CLIENTEDGE) ModifyStyleEx(WS_EX_CLIENTEDGE, 0, SWP_FRAMECHANGED);
  return view;
}

void CFrameWnd::RecalcLayout() {
  CWnd* pane = GetDescendantWindow(AFX_IDW_PANE_FIRST);
  if (!pane) return;
  RECT client;
  GetClientRect(&client);
  ::SetWindowPos(pane->m_hWnd, nullptr, 0, 0, client.right, client.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CFrameWnd::OnSize(UINT type, int, int) {
  Default();
  if (type != SIZE_MINIMIZED) RecalcLayout();
}

void CFrameWnd::SetActiveView(CView* view, BOOL notify) {
  CView* old = m_pViewActive;
  if (view == old) return;
  m_pViewActive = nullptr;
  if (old) old->OnActivateView(FALSE, view, old);
  m_pViewActive = view;
  if (view && notify) view->OnActivateView(TRUE, view, old);
}

void CFrameWnd::ActivateFrame(int cmdShow) {
  if (cmdShow == -1) cmdShow = IsWindowVisible() ? -1 : SW_SHOWNORMAL;
  if (cmdShow != -1) ShowWindow(cmdShow);
}

void CFrameWnd::InitialUpdateFrame(CDocument*, BOOL makeVisible) {
  CView* view = nullptr;
  if (!GetActiveView()) {
    CWnd* pane = GetDescendantWindow(AFX_IDW_PANE_FIRST);
    if (pane && pane->IsKindOf(RUNTIME_CLASS(CView))) {
      view = static_cast<CView*>(pane);
      SetActiveView(view, FALSE);
    }
  }
  if (!makeVisible) return;
  SendMessageToDescendants(WM_INITIALUPDATE, 0, 0);
  if (view) view->OnActivateFrame(WA_INACTIVE, this);
  int cmdShow = -1;
  CWinApp* app = AfxGetApp();
  if (app && app->m_nCmdShow != -1 && app->m_pMainWnd == this) {
    cmdShow = app->m_nCmdShow;
    app->m_nCmdShow = -1;
  }
  ActivateFrame(cmdShow);
  if (view) view->OnActivateView(TRUE, view, view);
}

void CFrameWnd::OnActivate(UINT state, CWnd* other, BOOL minimized) {
  Default();
  CView* view = GetActiveView();
  if (!view) return;
  if (state != WA_INACTIVE && !minimized) view->OnActivateView(TRUE, view, view);
  view->OnActivateFrame(state, this);
}

void CFrameWnd::OnSetFocus(CWnd* old) {
  if (m_pViewActive) {
    m_pViewActive->SetFocus();
  } else {
    Default();
  }
}

BOOL CFrameWnd::OnEraseBkgnd(CDC* dc) {
  // The active view paints the whole client area itself.
  if (m_pViewActive) return TRUE;
  return static_cast<BOOL>(Default());
}

void CFrameWnd::OnClose() {
  CDocument* doc = GetActiveDocument();
  CWinApp* app = AfxGetApp();
  if (app && app->m_pMainWnd == this) {
    if (doc && !doc->SaveModified()) return;
    // Hide the program before its documents close, then close them, which destroys this
    // frame as the document's last frame.
    app->HideApplication();
    app->CloseAllDocuments(FALSE);
    if (!app->m_pMainWnd) return;
  }
  if (doc && doc->m_bAutoDelete && doc->Views().size() <= 1) {
    doc->OnCloseDocument();
    return;
  }
  DestroyWindow();
}

void CFrameWnd::OnDestroy() {
  // Put the loaded menu back so that it goes with the window.
  if (m_hMenuDefault && ::GetMenu(m_hWnd) != m_hMenuDefault) ::SetMenu(m_hWnd, m_hMenuDefault);
  // The application's help goes with its main window.
  CWinApp* app = AfxGetApp();
  if (app && app->m_pMainWnd == this && app->m_bHelpShown) {
    ::WinHelp(m_hWnd, app->m_pszHelpFilePath.c_str(), HELP_QUIT, 0);
    app->m_bHelpShown = false;
  }
  Default();
}

BOOL CFrameWnd::PreTranslateMessage(MSG* msg) {
  if (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN) {
    return m_hAccelTable && ::TranslateAccelerator(m_hWnd, m_hAccelTable, msg) ? TRUE : FALSE;
  }
  return FALSE;
}

BOOL CFrameWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo) {
  // Commands reach the active view (and its document) first, then the frame, then the
  // application.
  if (m_pViewActive && m_pViewActive->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  CWinApp* app = AfxGetApp();
  return app && app->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo) ? TRUE : FALSE;
}
