// CWnd: a window object bound to its window, message-map dispatch and command routing.
#include <algorithm>
#include <unordered_map>

#include "platform/framework/afxwin.h"

namespace {

std::unordered_map<HWND, CWnd*>& PermanentMap() {
  static std::unordered_map<HWND, CWnd*> map;
  return map;
}

// Wrappers for windows the framework did not create (the desktop, say); they live until
// their window is gone.
std::unordered_map<HWND, std::unique_ptr<CWnd>>& TemporaryMap() {
  static std::unordered_map<HWND, std::unique_ptr<CWnd>> map;
  return map;
}

// The window object whose window is being created; it is attached at the first message.
CWnd* g_creating = nullptr;

}  // namespace

IMPLEMENT_DYNCREATE(CWnd, CCmdTarget)

const CWnd CWnd::wndTop(HWND_TOP);
const CWnd CWnd::wndBottom(HWND_BOTTOM);
const CWnd CWnd::wndTopMost(HWND_TOPMOST);
const CWnd CWnd::wndNoTopMost(HWND_NOTOPMOST);

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
  ON_WM_NCDESTROY()
END_MESSAGE_MAP()

CWnd::CWnd() = default;

CWnd::~CWnd() {
  if (m_hWnd && FromHandlePermanent(m_hWnd) == this) {
    // A window object going away takes its window with it.
    ::DestroyWindow(m_hWnd);
    if (FromHandlePermanent(m_hWnd) == this) Detach();
  }
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd) {
  auto it = PermanentMap().find(hwnd);
  return it == PermanentMap().end() ? nullptr : it->second;
}

CWnd* CWnd::FromHandle(HWND hwnd) {
  if (!hwnd) return nullptr;
  if (CWnd* p = FromHandlePermanent(hwnd)) return p;
  auto& temps = TemporaryMap();
  for (auto it = temps.begin(); it != temps.end();) {
    it = ::IsWindow(it->first) ? std::next(it) : temps.erase(it);
  }
  auto& slot = temps[hwnd];
  if (!slot) {
    slot = std::make_unique<CWnd>();
    slot->m_hWnd = hwnd;
  }
  return slot.get();
}

BOOL CWnd::Attach(HWND hwnd) {
  if (!hwnd || m_hWnd) return FALSE;
  m_hWnd = hwnd;
  PermanentMap()[hwnd] = this;
  return TRUE;
}

HWND CWnd::Detach() {
  const HWND h = m_hWnd;
  if (h) {
    auto it = PermanentMap().find(h);
    if (it != PermanentMap().end() && it->second == this) PermanentMap().erase(it);
  }
  m_hWnd = nullptr;
  return h;
}

LRESULT AfxWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CWnd* wnd = CWnd::FromHandlePermanent(hwnd);
  if (!wnd && g_creating) {
    wnd = std::exchange(g_creating, nullptr);
    wnd->Attach(hwnd);
  }
  if (!wnd) return ::DefWindowProc(hwnd, message, wParam, lParam);
  return wnd->WindowProc(message, wParam, lParam);
}

const char* AfxRegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon) {
  // One class per combination, named after its attributes as the framework does.
  static std::vector<std::unique_ptr<std::string>> names;
  char name[96];
  std::snprintf(name, sizeof name, "Afx:%x:%lx:%lx:%lx", classStyle,
                static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(cursor)),
                static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(background)),
                static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(icon)));
  for (const auto& n : names) {
    if (*n == name) {
      WNDCLASS existing;
      if (::GetClassInfo(AfxGetInstanceHandle(), n->c_str(), &existing)) return n->c_str();
    }
  }
  names.push_back(std::make_unique<std::string>(name));
  WNDCLASS wc;
  wc.style = classStyle;
  wc.lpfnWndProc = &AfxWndProc;
  wc.hInstance = AfxGetInstanceHandle();
  wc.hIcon = icon;
  wc.hCursor = cursor;
  wc.hbrBackground = background;
  wc.lpszClassName = names.back()->c_str();
  ::RegisterClass(&wc);
  return names.back()->c_str();
}

BOOL CWnd::CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, int x, int y,
                    int width, int height, HWND parent, HMENU idOrMenu, void* param) {
  CREATESTRUCT cs;
  cs.dwExStyle = exStyle;
  cs.lpszClass = className;
  cs.lpszName = windowName;
  cs.style = static_cast<LONG>(style);
  cs.x = x;
  cs.y = y;
  cs.cx = width;
  cs.cy = height;
  cs.hwndParent = parent;
  cs.hMenu = idOrMenu;
  cs.hInstance = AfxGetInstanceHandle();
  cs.lpCreateParams = param;
  if (!PreCreateWindow(cs)) {
    PostNcDestroy();
    return FALSE;
  }
  if (!cs.lpszClass) cs.lpszClass = AfxRegisterWndClass(0, LoadCursor(nullptr, IDC_ARROW));
  CWnd* previous = std::exchange(g_creating, this);
  HWND hwnd = ::CreateWindowEx(cs.dwExStyle, cs.lpszClass, cs.lpszName, static_cast<DWORD>(cs.style), cs.x,
                               cs.y, cs.cx, cs.cy, cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
  g_creating = previous;
  // A window of a class of its own (a button, say) never passed through the framework's
  // procedure: it becomes this object's now, its own procedure behind the message map.
  if (hwnd && !m_hWnd) SubclassWindow(hwnd);
  return hwnd != nullptr ? TRUE : FALSE;
}

BOOL CWnd::Create(const char* className, const char* windowName, DWORD style, const RECT& rect, CWnd* parent,
                  UINT id, CCreateContext* context) {
  return CreateEx(0, className, windowName, style | WS_CHILD, rect.left, rect.top, rect.right - rect.left,
                  rect.bottom - rect.top, parent ? parent->m_hWnd : nullptr,
                  reinterpret_cast<HMENU>(static_cast<std::uintptr_t>(id)), context);
}

BOOL CWnd::DestroyWindow() {
  if (!m_hWnd) return FALSE;
  return ::DestroyWindow(m_hWnd);
}

BOOL CWnd::PreCreateWindow(CREATESTRUCT&) { return TRUE; }

BOOL CWnd::SubclassWindow(HWND hwnd) {
  if (!Attach(hwnd)) return FALSE;
  m_pfnSuper = ::SetWindowProc(hwnd, &AfxWndProc);
  return TRUE;
}

void CWnd::CenterWindow(CWnd* alternateOwner) {
  HWND owner = alternateOwner ? alternateOwner->m_hWnd : ::GetWindow(m_hWnd, GW_OWNER);
  if (!owner && (GetStyle() & WS_CHILD)) owner = ::GetParent(m_hWnd);
  const bool overOwner = owner && ::IsWindowVisible(owner) && !(::GetWindowLong(owner, GWL_STYLE) & WS_MINIMIZE);
  // The work area of the monitor the owner is on (or the window itself, without one): a
  // dialog of a window on the second monitor comes up there, not pushed onto the first.
  RECT work;
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (::GetMonitorInfo(::MonitorFromWindow(overOwner ? owner : m_hWnd, MONITOR_DEFAULTTONEAREST), &monitor)) {
    work = monitor.rcWork;
  } else {
    ::SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0);
  }
  RECT around = work;
  if (overOwner) ::GetWindowRect(owner, &around);
  RECT mine;
  ::GetWindowRect(m_hWnd, &mine);
  const int width = mine.right - mine.left;
  const int height = mine.bottom - mine.top;
  int x = (around.left + around.right) / 2 - width / 2;
  int y = (around.top + around.bottom) / 2 - height / 2;
  // Whole inside the work area, its top-left corner first when it is larger.
  x = std::max<int>(work.left, std::min<int>(x, work.right - width));
  y = std::max<int>(work.top, std::min<int>(y, work.bottom - height));
  ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (!OnWndMsg(message, wParam, lParam, &result)) result = DefWindowProc(message, wParam, lParam);
  return result;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (m_pfnSuper) return ::CallWindowProc(m_pfnSuper, m_hWnd, message, wParam, lParam);
  return ::DefWindowProc(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (message == WM_DRAWITEM && lParam) {
    // The control's own object draws it first.
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (CWnd* control = FromHandlePermanent(item->hwndItem); control && control != this) {
      if (control->OnChildNotify(message, wParam, lParam, result)) return TRUE;
    }
  }
  if (message == WM_COMMAND) {
    if (!OnCommand(wParam, lParam)) return FALSE;
    *result = 1;
    return TRUE;
  }
  if (message == WM_NOTIFY) {
    LRESULT r = 0;
    if (!OnNotify(wParam, lParam, &r)) return FALSE;
    *result = r;
    return TRUE;
  }
  const AFX_MSGMAP_ENTRY* e = FindEntry(message, 0, 0);
  if (!e) return FALSE;
  *result = e->pfn(this, wParam, lParam);
  return TRUE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
  const UINT id = LOWORD(wParam);
  int code = HIWORD(wParam);
  if (lParam == 0) {
    // Menus and accelerators: both are plain commands.
    if (id == 0) return FALSE;
    code = static_cast<int>(CN_COMMAND);
  }
  return OnCmdMsg(id, code, nullptr, nullptr);
}

BOOL CWnd::OnNotify(WPARAM, LPARAM lParam, LRESULT* result) {
  auto* header = reinterpret_cast<NMHDR*>(lParam);
  if (!header) return FALSE;
  const AFX_MSGMAP_ENTRY* e = FindEntry(WM_NOTIFY, header->code, header->idFrom);
  if (!e) return FALSE;
  e->pfn(this, reinterpret_cast<WPARAM>(header), reinterpret_cast<LPARAM>(result));
  return TRUE;
}

void CWnd::OnNcDestroy() {
  CWinApp* app = AfxGetApp();
  if (app && app->m_pMainWnd == this) {
    // The main window going away ends the application's message loop.
    ::PostQuitMessage(0);
    app->m_pMainWnd = nullptr;
  }
  Default();
  m_dcsInUse.clear();
  Detach();
  PostNcDestroy();
}

void CWnd::PostNcDestroy() {}

LRESULT CWnd::Default() {
  const MSG* m = ::GetCurrentMessage();
  if (!m) return 0;
  const MSG copy = *m;
  return DefWindowProc(copy.message, copy.wParam, copy.lParam);
}

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT flags) {
  const DWORD style = GetStyle();
  const DWORD next = (style & ~remove) | add;
  if (style == next) return FALSE;
  ::SetWindowLong(m_hWnd, GWL_STYLE, static_cast<LONG>(next));
  if (flags) ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | flags);
  return TRUE;
}

BOOL CWnd::ModifyStyleEx(DWORD remove, DWORD add, UINT flags) {
  const DWORD style = GetExStyle();
  const DWORD next = (style & ~remove) | add;
  if (style == next) return FALSE;
  ::SetWindowLong(m_hWnd, GWL_EXSTYLE, static_cast<LONG>(next));
  if (flags) ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | flags);
  return TRUE;
}

CFrameWnd* CWnd::GetParentFrame() const {
  for (HWND h = ::GetParent(m_hWnd); h; h = ::GetParent(h)) {
    CWnd* w = FromHandlePermanent(h);
    if (w && w->IsKindOf(RUNTIME_CLASS(CFrameWnd))) return static_cast<CFrameWnd*>(w);
  }
  return nullptr;
}

void CWnd::WinHelp(std::uintptr_t data, UINT command) {
  CWinApp* app = AfxGetApp();
  CWnd* top = GetTopLevelParent();
  if (!top) top = this;
  top->SendMessage(WM_CANCELMODE);
  if (app && ::WinHelp(top->m_hWnd, app->m_pszHelpFilePath.c_str(), command, data)) {
    app->m_bHelpShown = true;
    return;
  }
  AfxMessageBox(AFX_IDP_FAILED_TO_LAUNCH_HELP);
}

CWnd* CWnd::GetTopLevelParent() const {
  HWND h = m_hWnd;
  while (h && (::GetWindowLong(h, GWL_STYLE) & WS_CHILD)) h = ::GetParent(h);
  return FromHandle(h);
}

BOOL CWnd::SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags) {
  return ::SetWindowPos(m_hWnd, insertAfter ? insertAfter->m_hWnd : nullptr, x, y, cx, cy, flags);
}

void CWnd::ClientToScreen(LPRECT r) const {
  POINT a{r->left, r->top};
  POINT b{r->right, r->bottom};
  ::ClientToScreen(m_hWnd, &a);
  ::ClientToScreen(m_hWnd, &b);
  *r = RECT{a.x, a.y, b.x, b.y};
}

CDC* CWnd::GetDC() {
  HDC hdc = ::GetDC(m_hWnd);
  if (!hdc) return nullptr;
  auto dc = std::make_unique<CDC>();
  dc->Attach(hdc);
  m_dcsInUse.push_back(std::move(dc));
  return m_dcsInUse.back().get();
}

int CWnd::ReleaseDC(CDC* dc) {
  auto it = std::find_if(m_dcsInUse.begin(), m_dcsInUse.end(), [dc](const auto& p) { return p.get() == dc; });
  if (it == m_dcsInUse.end()) return 0;
  const int r = ::ReleaseDC(m_hWnd, (*it)->Detach());
  m_dcsInUse.erase(it);
  return r;
}

CWnd* CWnd::SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }

CWnd* CWnd::GetDescendantWindow(UINT id) const {
  if (HWND child = ::GetDlgItem(m_hWnd, static_cast<int>(id))) return FromHandle(child);
  return nullptr;
}

void CWnd::SendMessageToDescendants(UINT message, WPARAM wParam, LPARAM lParam) {
  // Children may come and go while they handle the message; walk a snapshot.
  std::vector<HWND> children;
  for (HWND c = ::GetWindow(m_hWnd, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) children.push_back(c);
  for (HWND c : children) {
    if (!::IsWindow(c)) continue;
    if (CWnd* w = FromHandlePermanent(c)) {
      w->SendMessage(message, wParam, lParam);
      if (::IsWindow(c)) w->SendMessageToDescendants(message, wParam, lParam);
    }
  }
}

int CWnd::MessageBox(const char* text, const char* caption, UINT type) {
  CString title = caption ? caption : (AfxGetApp() ? AfxGetApp()->m_pszAppName : CString());
  return ::MessageBox(m_hWnd, text, title.c_str(), type);
}
