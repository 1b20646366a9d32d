// The application framework: windows with message maps, the frame and view of the
// document/view architecture, documents and their template, and the application object.
#pragma once

#include <list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/core/profile_store.h"
#include "platform/framework/afx_core.h"
#include "platform/framework/afx_gdi.h"
#include "platform/user/user.h"

class CDocument;
class CDocTemplate;
class CFrameWnd;
class CView;
class CWinApp;

// Framework command numbers reused by programs.
constexpr UINT ID_FILE_NEW = 0xE100;
constexpr UINT ID_FILE_OPEN = 0xE101;
constexpr UINT ID_FILE_CLOSE = 0xE102;
constexpr UINT ID_FILE_SAVE = 0xE103;
constexpr UINT ID_FILE_SAVE_AS = 0xE104;
constexpr UINT ID_APP_ABOUT = 0xE140;
constexpr UINT ID_APP_EXIT = 0xE141;
constexpr UINT ID_HELP_FINDER = 0xE143;

// Framework strings a program's string table provides.
constexpr UINT AFX_IDS_APP_TITLE = 0xE000;
constexpr UINT AFX_IDS_UNTITLED = 0xE001;
constexpr UINT AFX_IDS_OPENFILE = 0xF000;
constexpr UINT AFX_IDS_SAVEFILE = 0xF001;
constexpr UINT AFX_IDS_ALLFILTER = 0xF002;
constexpr UINT AFX_IDP_FAILED_TO_OPEN_DOC = 0xF104;
constexpr UINT AFX_IDP_FAILED_TO_SAVE_DOC = 0xF105;
constexpr UINT AFX_IDP_FAILED_TO_LAUNCH_HELP = 0xF107;

constexpr UINT AFX_IDW_PANE_FIRST = 0xE900;
constexpr DWORD AFX_WS_DEFAULT_VIEW = WS_CHILD | WS_VISIBLE | WS_BORDER;
constexpr DWORD FWS_ADDTOTITLE = 0x00008000;
constexpr UINT WM_INITIALUPDATE = 0x0364;

// What the framework hands from the document template to the frame and view it creates.
struct CCreateContext {
  const CRuntimeClass* m_pNewViewClass = nullptr;
  CDocument* m_pCurrentDoc = nullptr;
  CDocTemplate* m_pNewDocTemplate = nullptr;
  CFrameWnd* m_pCurrentFrame = nullptr;
};

// ---- Windows ----
class CWnd : public CCmdTarget {
  DECLARE_DYNCREATE(CWnd)

 public:
  CWnd();
  // A stand-in for a window handle that is not a window (the z-order positions).
  explicit CWnd(HWND special) : m_hWnd(special) {}
  ~CWnd() override;

  HWND m_hWnd = nullptr;
  operator HWND() const { return m_hWnd; }
  HWND GetSafeHwnd() const { return m_hWnd; }

  // The wrapper attached to a window by the framework, or null.
  static CWnd* FromHandlePermanent(HWND hwnd);
  // The permanent wrapper, or a temporary one that lives until the window is destroyed.
  static CWnd* FromHandle(HWND hwnd);
  BOOL Attach(HWND hwnd);
  HWND Detach();

  virtual BOOL CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                        int x, int y, int width, int height, HWND parent, HMENU idOrMenu,
                        void* param = nullptr);
  virtual BOOL Create(const char* className, const char* windowName, DWORD style, const RECT& rect,
                      CWnd* parent, UINT id, CCreateContext* context = nullptr);
  virtual BOOL DestroyWindow();
  virtual BOOL PreCreateWindow(CREATESTRUCT& cs);
  virtual BOOL PreTranslateMessage(MSG* msg);
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
  virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result);
  virtual void PostNcDestroy();
  // Makes a window made elsewhere (a dialog's control) this object's: its messages pass
  // through the message map first, then to its own procedure.
  BOOL SubclassWindow(HWND hwnd);

  // Passes the message being handled to the default processing.
  LRESULT Default();

  // The application's help file (its help path), through the top-level window: any
  // tracking mode ends first; when no help can be started the framework says so.
  void WinHelp(std::uintptr_t data, UINT command = HELP_CONTEXT);

  DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLong(m_hWnd, GWL_STYLE)); }
  DWORD GetExStyle() const { return static_cast<DWORD>(::GetWindowLong(m_hWnd, GWL_EXSTYLE)); }
  // Changes style bits; with flags, the window's frame is updated (SetWindowPos).
  BOOL ModifyStyle(DWORD remove, DWORD add, UINT flags = 0);
  BOOL ModifyStyleEx(DWORD remove, DWORD add, UINT flags = 0);

  CWnd* GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
  CFrameWnd* GetParentFrame() const;
  CWnd* GetTopLevelParent() const;
  BOOL ShowWindow(int command) { return ::ShowWindow(m_hWnd, command); }
  BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags);
  void MoveWindow(int x, int y, int w, int h, BOOL repaint = TRUE) { ::MoveWindow(m_hWnd, x, y, w, h, repaint); }
  void GetWindowRect(LPRECT r) const { ::GetWindowRect(m_hWnd, r); }
  void GetClientRect(LPRECT r) const { ::GetClientRect(m_hWnd, r); }
  void ClientToScreen(LPRECT r) const;
  void ClientToScreen(LPPOINT p) const { ::ClientToScreen(m_hWnd, p); }
  void ScreenToClient(LPPOINT p) const { ::ScreenToClient(m_hWnd, p); }
  void Invalidate(BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, erase); }
  void InvalidateRect(LPCRECT r, BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, r, erase); }
  void InvalidateRgn(CRgn* rgn, BOOL erase = TRUE) { ::InvalidateRgn(m_hWnd, rgn ? static_cast<HRGN>(*rgn) : nullptr, erase); }
  void UpdateWindow() { ::UpdateWindow(m_hWnd); }
  BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
  BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(m_hWnd, enable); }
  BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
  // Centres the window over its owner, or over the work area when the owner is hidden
  // or minimized, and keeps it inside the work area.
  void CenterWindow(CWnd* alternateOwner = nullptr);
  void SetWindowText(const char* text) { ::SetWindowText(m_hWnd, text); }
  void SetFont(CFont* font, BOOL redraw = TRUE) {
    ::SendMessage(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(font ? static_cast<HFONT>(*font) : nullptr), redraw);
  }
  CString GetWindowText() const { return ::GetWindowTextString(m_hWnd); }
  int SetWindowRgn(HRGN rgn, BOOL redraw) { return ::SetWindowRgn(m_hWnd, rgn, redraw); }
  UINT_PTR SetTimer(UINT_PTR id, UINT elapse, TIMERPROC proc) { return ::SetTimer(m_hWnd, id, elapse, proc); }
  BOOL KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }
  LRESULT SendMessage(UINT m, WPARAM w = 0, LPARAM l = 0) { return ::SendMessage(m_hWnd, m, w, l); }
  BOOL PostMessage(UINT m, WPARAM w = 0, LPARAM l = 0) { return ::PostMessage(m_hWnd, m, w, l); }
  CDC* GetDC();
  int ReleaseDC(CDC* dc);
  CWnd* SetFocus();
  BOOL SetMenu(HMENU menu) { return ::SetMenu(m_hWnd, menu); }
  CWnd* GetDescendantWindow(UINT id) const;
  void SendMessageToDescendants(UINT message, WPARAM wParam, LPARAM lParam);
  int MessageBox(const char* text, const char* caption = nullptr, UINT type = MB_OK);
  // The window behind the special z-order positions, for SetWindowPos.
  static const CWnd wndTop;
  static const CWnd wndBottom;
  static const CWnd wndTopMost;
  static const CWnd wndNoTopMost;

 protected:
  // Looks the message up in the map chain; true when a handler ran.
  virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
  // A message the parent received about this control (WM_DRAWITEM), handed to the
  // control's own object; true when it handled it.
  virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) { return FALSE; }

  // Default handlers that the message-map macros bind; each passes the message on.
  int OnCreate(LPCREATESTRUCT) { return static_cast<int>(Default()); }
  void OnDestroy() { Default(); }
  void OnNcDestroy();
  void OnPaint() { Default(); }
  void OnTimer(UINT_PTR) { Default(); }
  void OnSize(UINT, int, int) { Default(); }
  void OnMove(int, int) { Default(); }
  void OnClose() { Default(); }
  void OnShowWindow(BOOL, UINT) { Default(); }
  void OnWindowPosChanged(WINDOWPOS*) { Default(); }
  void OnActivate(UINT, CWnd*, BOOL) { Default(); }
  BOOL OnSetCursor(CWnd*, UINT, UINT) { return static_cast<BOOL>(Default()); }
  void OnSetFocus(CWnd*) { Default(); }
  void OnLButtonDown(UINT, CPoint) { Default(); }
  void OnLButtonDblClk(UINT, CPoint) { Default(); }
  void OnMouseMove(UINT, CPoint) { Default(); }
  void OnContextMenu(CWnd*, CPoint) { Default(); }
  LRESULT OnNcHitTest(CPoint) { return Default(); }
  BOOL OnEraseBkgnd(CDC*) { return static_cast<BOOL>(Default()); }
  BOOL OnQueryNewPalette() { return static_cast<BOOL>(Default()); }
  void OnPaletteChanged(CWnd*) { Default(); }
  void OnSysCommand(UINT, LPARAM) { Default(); }

  WNDPROC m_pfnSuper = nullptr;

  DECLARE_MESSAGE_MAP()

 private:
  std::vector<std::unique_ptr<CDC>> m_dcsInUse;
  friend LRESULT AfxWndProc(HWND, UINT, WPARAM, LPARAM);
};

LRESULT AfxWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Registers (once) a window class of the framework's window procedure and returns its name.
const char* AfxRegisterWndClass(UINT classStyle, HCURSOR cursor = nullptr, HBRUSH background = nullptr,
                                HICON icon = nullptr);

// ---- Message-map entries for window messages ----
namespace afx {
template <typename T, auto F> LRESULT OnCreate(CCmdTarget* p, WPARAM, LPARAM l) {
  return (static_cast<T*>(p)->*F)(reinterpret_cast<LPCREATESTRUCT>(l));
}
template <typename T, auto F> LRESULT Void(CCmdTarget* p, WPARAM, LPARAM) {
  (static_cast<T*>(p)->*F)();
  return 0;
}
template <typename T, auto F> LRESULT OnTimer(CCmdTarget* p, WPARAM w, LPARAM) {
  (static_cast<T*>(p)->*F)(static_cast<UINT_PTR>(w));
  return 0;
}
template <typename T, auto F> LRESULT OnSize(CCmdTarget* p, WPARAM w, LPARAM l) {
  (static_cast<T*>(p)->*F)(static_cast<UINT>(w), GET_X_LPARAM(l), GET_Y_LPARAM(l));
  return 0;
}
template <typename T, auto F> LRESULT OnMove(CCmdTarget* p, WPARAM, LPARAM l) {
  (static_cast<T*>(p)->*F)(GET_X_LPARAM(l), GET_Y_LPARAM(l));
  return 0;
}
template <typename T, auto F> LRESULT OnShowWindow(CCmdTarget* p, WPARAM w, LPARAM l) {
  (static_cast<T*>(p)->*F)(static_cast<BOOL>(w), static_cast<UINT>(l));
  return 0;
}
template <typename T, auto F> LRESULT OnWindowPosChanged(CCmdTarget* p, WPARAM, LPARAM l) {
  (static_cast<T*>(p)->*F)(reinterpret_cast<WINDOWPOS*>(l));
  return 0;
}
template <typename T, auto F> LRESULT OnActivate(CCmdTarget* p, WPARAM w, LPARAM l) {
  (static_cast<T*>(p)->*F)(LOWORD(w), CWnd::FromHandle(reinterpret_cast<HWND>(l)), HIWORD(w) != 0);
  return 0;
}
template <typename T, auto F> LRESULT OnSetCursor(CCmdTarget* p, WPARAM w, LPARAM l) {
  return (static_cast<T*>(p)->*F)(CWnd::FromHandle(reinterpret_cast<HWND>(w)),
                                  LOWORD(static_cast<std::uintptr_t>(l)),
                                  HIWORD(static_cast<std::uintptr_t>(l)));
}
template <typename T, auto F> LRESULT OnFocus(CCmdTarget* p, WPARAM w, LPARAM) {
  (static_cast<T*>(p)->*F)(CWnd::FromHandle(reinterpret_cast<HWND>(w)));
  return 0;
}
template <typename T, auto F> LRESULT OnMouse(CCmdTarget* p, WPARAM w, LPARAM l) {
  (static_cast<T*>(p)->*F)(static_cast<UINT>(w), CPoint(GET_X_LPARAM(l), GET_Y_LPARAM(l)));
  return 0;
}
template <typename T, auto F> LRESULT OnContextMenu(CCmdTarget* p, WPARAM w, LPARAM l) {
  (static_cast<T*>(p)->*F)(CWnd::FromHandle(reinterpret_cast<HWND>(w)), CPoint(GET_X_LPARAM(l), GET_Y_LPARAM(l)));
  return 0;
}
template <typename T, auto F> LRESULT OnNcHitTest(CCmdTarget* p, WPARAM, LPARAM l) {
  return (static_cast<T*>(p)->*F)(CPoint(GET_X_LPARAM(l), GET_Y_LPARAM(l)));
}
template <typename T, auto F> LRESULT OnEraseBkgnd(CCmdTarget* p, WPARAM w, LPARAM) {
  CDC dc;
  dc.Attach(reinterpret_cast<HDC>(w));
  const LRESULT r = (static_cast<T*>(p)->*F)(&dc);
  dc.Detach();
  return r;
}
template <typename T, auto F> LRESULT OnBool(CCmdTarget* p, WPARAM, LPARAM) {
  return (static_cast<T*>(p)->*F)();
}
template <typename T, auto F> LRESULT OnPaletteChanged(CCmdTarget* p, WPARAM w, LPARAM) {
  (static_cast<T*>(p)->*F)(CWnd::FromHandle(reinterpret_cast<HWND>(w)));
  return 0;
}
template <typename T, auto F> LRESULT OnSysCommand(CCmdTarget* p, WPARAM w, LPARAM l) {
  (static_cast<T*>(p)->*F)(static_cast<UINT>(w), l);
  return 0;
}
}  // namespace afx

#define LV_ON(msg, adapter, fn) {msg, 0, 0, 0, &afx::adapter<ThisClass, &ThisClass::fn>},
#define ON_WM_CREATE() LV_ON(WM_CREATE, OnCreate, OnCreate)
#define ON_WM_DESTROY() LV_ON(WM_DESTROY, Void, OnDestroy)
#define ON_WM_NCDESTROY() LV_ON(WM_NCDESTROY, Void, OnNcDestroy)
#define ON_WM_PAINT() LV_ON(WM_PAINT, Void, OnPaint)
#define ON_WM_CLOSE() LV_ON(WM_CLOSE, Void, OnClose)
#define ON_WM_TIMER() LV_ON(WM_TIMER, OnTimer, OnTimer)
#define ON_WM_SIZE() LV_ON(WM_SIZE, OnSize, OnSize)
#define ON_WM_MOVE() LV_ON(WM_MOVE, OnMove, OnMove)
#define ON_WM_SHOWWINDOW() LV_ON(WM_SHOWWINDOW, OnShowWindow, OnShowWindow)
#define ON_WM_WINDOWPOSCHANGED() LV_ON(WM_WINDOWPOSCHANGED, OnWindowPosChanged, OnWindowPosChanged)
#define ON_WM_ACTIVATE() LV_ON(WM_ACTIVATE, OnActivate, OnActivate)
#define ON_WM_SETCURSOR() LV_ON(WM_SETCURSOR, OnSetCursor, OnSetCursor)
#define ON_WM_SETFOCUS() LV_ON(WM_SETFOCUS, OnFocus, OnSetFocus)
#define ON_WM_LBUTTONDOWN() LV_ON(WM_LBUTTONDOWN, OnMouse, OnLButtonDown)
#define ON_WM_LBUTTONDBLCLK() LV_ON(WM_LBUTTONDBLCLK, OnMouse, OnLButtonDblClk)
#define ON_WM_MOUSEMOVE() LV_ON(WM_MOUSEMOVE, OnMouse, OnMouseMove)
#define ON_WM_CONTEXTMENU() LV_ON(WM_CONTEXTMENU, OnContextMenu, OnContextMenu)
#define ON_WM_NCHITTEST() LV_ON(WM_NCHITTEST, OnNcHitTest, OnNcHitTest)
#define ON_WM_ERASEBKGND() LV_ON(WM_ERASEBKGND, OnEraseBkgnd, OnEraseBkgnd)
#define ON_WM_QUERYNEWPALETTE() LV_ON(WM_QUERYNEWPALETTE, OnBool, OnQueryNewPalette)
#define ON_WM_PALETTECHANGED() LV_ON(WM_PALETTECHANGED, OnPaletteChanged, OnPaletteChanged)
#define ON_WM_SYSCOMMAND() LV_ON(WM_SYSCOMMAND, OnSysCommand, OnSysCommand)

// ---- Document/view ----
class CDocument : public CCmdTarget {
  DECLARE_DYNAMIC(CDocument)

 public:
  CDocument();
  ~CDocument() override;

  virtual BOOL OnNewDocument();
  virtual BOOL OnOpenDocument(const char* path);
  virtual BOOL OnSaveDocument(const char* path);
  virtual void OnCloseDocument();
  virtual void DeleteContents() {}
  // The document's content to or from its file; the archive tells the direction.
  virtual void Serialize(CArchive& archive) {}
  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo) override;

  void AddView(CView* view);
  void RemoveView(CView* view);
  const std::list<CView*>& Views() const { return m_viewList; }
  BOOL IsModified() const { return m_bModified; }
  void SetModifiedFlag(BOOL modified = TRUE) { m_bModified = modified; }
  const CString& GetTitle() const { return m_strTitle; }
  void SetTitle(const CString& title) { m_strTitle = title; }
  const CString& GetPathName() const { return m_strPathName; }
  void SetPathName(const CString& path);
  CDocTemplate* GetDocTemplate() const { return m_pDocTemplate; }
  virtual BOOL SaveModified() { return TRUE; }

  BOOL m_bAutoDelete = TRUE;

 protected:
  void OnFileSave();
  void OnFileSaveAs();
  BOOL DoSave(const char* path, BOOL replace = TRUE);

  DECLARE_MESSAGE_MAP()

 private:
  friend class CDocTemplate;
  friend class CSingleDocTemplate;
  CString m_strTitle;
  CString m_strPathName;
  CDocTemplate* m_pDocTemplate = nullptr;
  std::list<CView*> m_viewList;
  BOOL m_bModified = FALSE;
};

class CView : public CWnd {
  DECLARE_DYNAMIC(CView)

 public:
  CView();
  ~CView() override;

  CDocument* GetDocument() const { return m_pDocument; }
  BOOL PreCreateWindow(CREATESTRUCT& cs) override;
  BOOL PreTranslateMessage(MSG* msg) override;
  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo) override;
  virtual void OnActivateView(BOOL activate, CView* activateView, CView* deactiveView);
  virtual void OnActivateFrame(UINT state, CFrameWnd* frame) {}
  virtual void OnInitialUpdate() { Invalidate(TRUE); }
  virtual void OnDraw(CDC* dc) = 0;

 protected:
  int OnCreate(LPCREATESTRUCT cs);
  void OnPaint();
  void OnDestroy();
  void PostNcDestroy() override { delete this; }
  LRESULT OnInitialUpdateMessage(WPARAM, LPARAM);

  DECLARE_MESSAGE_MAP()

 private:
  friend class CDocument;
  CDocument* m_pDocument = nullptr;
};

class CFrameWnd : public CWnd {
  DECLARE_DYNCREATE(CFrameWnd)

 public:
  CFrameWnd();
  ~CFrameWnd() override;

  virtual BOOL LoadFrame(UINT resourceId, DWORD defaultStyle, CWnd* parent, CCreateContext* context);
  BOOL Create(const char* className, const char* windowName, DWORD style, const RECT& rect,
              CWnd* parent, const char* menuName, DWORD exStyle, CCreateContext* context);
  BOOL PreCreateWindow(CREATESTRUCT& cs) override;
  BOOL PreTranslateMessage(MSG* msg) override;
  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo) override;
  void PostNcDestroy() override { delete this; }

  CView* GetActiveView() const { return m_pViewActive; }
  void SetActiveView(CView* view, BOOL notify = TRUE);
  CDocument* GetActiveDocument() const { return m_pViewActive ? m_pViewActive->GetDocument() : nullptr; }
  virtual void ActivateFrame(int cmdShow = -1);
  void InitialUpdateFrame(CDocument* doc, BOOL makeVisible);
  virtual void RecalcLayout();
  HACCEL m_hAccelTable = nullptr;
  HMENU m_hMenuDefault = nullptr;

 protected:
  virtual BOOL OnCreateClient(LPCREATESTRUCT cs, CCreateContext* context);
  CView* CreateView(CCreateContext* context, UINT id);
  int OnCreate(LPCREATESTRUCT cs);
  void OnDestroy();
  void OnClose();
  void OnSize(UINT type, int cx, int cy);
  void OnActivate(UINT state, CWnd* other, BOOL minimized);
  void OnSetFocus(CWnd* old);
  BOOL OnEraseBkgnd(CDC* dc);

  CString m_strTitle;

  DECLARE_MESSAGE_MAP()

 private:
  CView* m_pViewActive = nullptr;
};

class CDocTemplate : public CCmdTarget {
 public:
  CDocTemplate(UINT resourceId, const CRuntimeClass* docClass, const CRuntimeClass* frameClass,
               const CRuntimeClass* viewClass);
  virtual CDocument* OpenDocumentFile(const char* path, BOOL makeVisible = TRUE) = 0;
  virtual void CloseAllDocuments();
  virtual CDocument* OnlyDocument() const = 0;
  CDocument* CreateNewDocument();
  CFrameWnd* CreateNewFrame(CDocument* doc);
  // Field n of the template's document string ("title\ndocName\n...").
  CString GetDocString(int field) const;
  UINT ResourceId() const { return m_nIDResource; }

 protected:
  friend class CDocument;
  virtual void AddDocument(CDocument* doc) { doc->m_pDocTemplate = this; }
  virtual void RemoveDocument(CDocument* doc) { doc->m_pDocTemplate = nullptr; }
  UINT m_nIDResource;
  const CRuntimeClass* m_pDocClass;
  const CRuntimeClass* m_pFrameClass;
  const CRuntimeClass* m_pViewClass;
};

class CSingleDocTemplate : public CDocTemplate {
 public:
  using CDocTemplate::CDocTemplate;
  ~CSingleDocTemplate() override;
  CDocument* OpenDocumentFile(const char* path, BOOL makeVisible = TRUE) override;
  CDocument* OnlyDocument() const override { return m_pOnlyDoc; }

 protected:
  void AddDocument(CDocument* doc) override;
  void RemoveDocument(CDocument* doc) override;

 private:
  CDocument* m_pOnlyDoc = nullptr;
};

// ---- The application ----
class CCommandLineInfo {
 public:
  enum Shell { FileNew, FileOpen, FileNothing };
  Shell m_nShellCommand = FileNew;
  CString m_strFileName;
  virtual ~CCommandLineInfo() = default;
  // One argument: a switch (`flag`, given without its leading '-') or a plain parameter.
  virtual void ParseParam(const char* param, BOOL flag, BOOL last);
};

class CWinApp : public CCmdTarget {
 public:
  explicit CWinApp(const char* appName = nullptr);
  ~CWinApp() override;

  virtual BOOL InitInstance() { return TRUE; }
  virtual int ExitInstance();
  virtual int Run();
  virtual BOOL PreTranslateMessage(MSG* msg);
  virtual BOOL OnIdle(long count) { return FALSE; }

  void SetRegistryKey(const char* company);
  void LoadStdProfileSettings(UINT maxMru = 4);
  // Integer settings under the company key, read fresh from the settings file each time.
  UINT GetProfileInt(const char* section, const char* entry, int defaultValue);
  BOOL WriteProfileInt(const char* section, const char* entry, int value);
  // Where the settings live (empty before SetRegistryKey).
  std::string ProfilePath() const;

  void AddDocTemplate(CDocTemplate* tmpl);
  void ParseCommandLine(CCommandLineInfo& info);
  BOOL ProcessShellCommand(CCommandLineInfo& info);
  CDocument* OpenDocumentFile(const char* path);
  // Asks for a file name with the platform's file dialog; false when cancelled.
  BOOL DoPromptFileName(CString& name, UINT titleId, BOOL open);
  void AddToRecentFileList(const CString& path);
  void CloseAllDocuments(BOOL endSession);
  void HideApplication();
  const std::vector<CString>& RecentFiles() const { return m_recentFiles; }

  CWnd* m_pMainWnd = nullptr;
  CString m_pszAppName;
  CString m_pszRegistryKey;
  CString m_pszHelpFilePath;
  bool m_bHelpShown = false;  // the application's help file was opened this session
  CString m_pszExeName;
  int m_nCmdShow = SW_SHOWNORMAL;
  std::vector<std::string> m_args;  // command-line arguments after the program name
  MSG m_msgCur{};

 protected:
  void OnFileNew();
  void OnFileOpen();

  DECLARE_MESSAGE_MAP()

 private:
  std::vector<CDocTemplate*> m_templates;
  std::unique_ptr<platform::ProfileStore> m_profile;
  std::vector<CString> m_recentFiles;
  UINT m_maxMru = 0;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
HINSTANCE AfxGetResourceHandle();
HINSTANCE AfxGetInstanceHandle();
int AfxMessageBox(const char* text, UINT type = MB_OK);
int AfxMessageBox(UINT stringId, UINT type = MB_OK);
CString AfxLoadString(UINT id);
// Prepares the application object as the framework's entry does before InitInstance:
// arguments, application name, executable name and help path.
void AfxWinInit(CWinApp* app, int argc, char** argv);
// The framework's entry: InitInstance, the message loop, ExitInstance. Returns the exit
// code.
int AfxWinMain(int argc, char** argv);
// Folder of the running executable with a trailing separator, and its full path.
std::string AfxExecutablePath();
