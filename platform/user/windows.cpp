// Windows: classes, creation and destruction, geometry, z-order, showing and hiding,
// activation and focus, window regions.
#include <algorithm>
#include <cctype>
#include <cstring>

#include "platform/gdi/gdi.h"
#include "platform/gdi/objects.h"
#include "platform/user/session.h"
#include "platform/user/state.h"
#include "platform/user/user.h"

namespace user::detail {

namespace {

std::string ClassKey(const char* name) {
  std::string key;
  if (!name) return key;
  if (IS_INTRESOURCE(name)) return "#" + std::to_string(reinterpret_cast<std::uintptr_t>(name));
  for (const char* p = name; *p; ++p) key.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(*p))));
  return key;
}

bool IsTopmost(const Window& w) { return (w.exStyle & WS_EX_TOPMOST) != 0; }

// Puts a top-level window into the z-order: at the front of its band, at the back, or
// right behind another window.
void PlaceTopLevel(HWND hwnd, HWND after) {
  State& s = S();
  auto& order = s.topLevels;
  order.erase(std::remove(order.begin(), order.end(), hwnd), order.end());
  Window* w = Find(hwnd);
  if (!w) return;
  auto bandStart = [&]() {
    if (IsTopmost(*w)) return order.begin();
    return std::find_if(order.begin(), order.end(), [](HWND h) {
      const Window* o = Find(h);
      return o && !IsTopmost(*o);
    });
  };
  if (after == HWND_BOTTOM) {
    if (IsTopmost(*w)) {
      auto firstNormal = std::find_if(order.begin(), order.end(), [](HWND h) {
        const Window* o = Find(h);
        return o && !IsTopmost(*o);
      });
      order.insert(firstNormal, hwnd);
    } else {
      order.push_back(hwnd);
    }
    return;
  }
  if (after && after != HWND_TOP && after != HWND_TOPMOST && after != HWND_NOTOPMOST) {
    auto it = std::find(order.begin(), order.end(), after);
    if (it != order.end()) {
      order.insert(it + 1, hwnd);
      return;
    }
  }
  order.insert(bandStart(), hwnd);
}

// Reports a changed client position or size, as the classic platform does after every
// change of position, size or frame.
void SendSizeAndMove(HWND h) {
  Window* w = Find(h);
  if (!w) return;
  const RECT in = Insets(*w);
  const POINT origin{w->rect.left + in.left, w->rect.top + in.top};
  if (!(w->reportedOrigin == origin)) {
    w->reportedOrigin = origin;
    SendMessage(h, WM_MOVE, 0, MAKELPARAM(origin.x, origin.y));
    w = Find(h);
    if (!w) return;
  }
  const SIZE client = ClientSize(*w);
  if (!(w->reportedSize == client)) {
    w->reportedSize = client;
    SendMessage(h, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.cx, client.cy));
  }
}

void ResizeSurface(Window& w) {
  if (!w.surface) return;
  w.surface->Resize(w.rect.right - w.rect.left, w.rect.bottom - w.rect.top);
}

void DropFocusInside(HWND hwnd) {
  State& s = S();
  if (s.focus && (s.focus == hwnd || IsChild(hwnd, s.focus))) {
    const HWND old = s.focus;
    s.focus = nullptr;
    SendMessage(old, WM_KILLFOCUS, 0, 0);
  }
  if (s.capture && (s.capture == hwnd || IsChild(hwnd, s.capture))) s.capture = nullptr;
}

void DestroyTree(HWND hwnd);

}  // namespace

State& S() {
  static State state;
  return state;
}

void ResetState() { S() = State(); }

Window* Find(HWND hwnd) {
  State& s = S();
  auto it = s.windows.find(reinterpret_cast<std::uintptr_t>(hwnd));
  return it == s.windows.end() ? nullptr : it->second.get();
}

bool IsTopLevel(const Window& w) { return (w.style & WS_CHILD) == 0; }

void SyncNative(const Window& w) {
  platform::NativeWindowState state;
  state.rect = w.rect;
  state.visible = (w.style & WS_VISIBLE) != 0;
  state.toolWindow = (w.exStyle & WS_EX_TOOLWINDOW) != 0;
  state.topmost = (w.exStyle & WS_EX_TOPMOST) != 0;
  state.captioned = (w.style & WS_CAPTION) == WS_CAPTION;
  state.title = w.text;
  platform::GetBackend().SyncNative(w.handle, state);
}

Window* TopLevelOf(Window* w) {
  while (w && !IsTopLevel(*w)) w = Find(w->parent);
  return w;
}

RECT Insets(const Window& w) {
  RECT in{};
  int border = 0;
  if ((w.exStyle & WS_EX_DLGMODALFRAME) || (w.style & WS_DLGFRAME)) {
    border = GetSystemMetrics(SM_CXDLGFRAME);
  } else if (w.style & WS_THICKFRAME) {
    border = 4;
  } else if (w.style & WS_BORDER) {
    border = GetSystemMetrics(SM_CXBORDER);
  }
  if (w.exStyle & WS_EX_CLIENTEDGE) border += GetSystemMetrics(SM_CXEDGE);
  in = RECT{border, border, border, border};
  if ((w.style & WS_CAPTION) == WS_CAPTION) in.top += GetSystemMetrics(SM_CYCAPTION);
  return in;
}

POINT WindowOriginInTop(const Window& w) {
  if (IsTopLevel(w)) return POINT{0, 0};
  const Window* parent = Find(w.parent);
  if (!parent) return POINT{0, 0};
  const POINT p = ClientOriginInTop(*parent);
  return POINT{p.x + w.rect.left, p.y + w.rect.top};
}

POINT ClientOriginInTop(const Window& w) {
  const POINT o = WindowOriginInTop(w);
  const RECT in = Insets(w);
  return POINT{o.x + in.left, o.y + in.top};
}

SIZE ClientSize(const Window& w) {
  const RECT in = Insets(w);
  return SIZE{std::max<LONG>(0, (w.rect.right - w.rect.left) - in.left - in.right),
              std::max<LONG>(0, (w.rect.bottom - w.rect.top) - in.top - in.bottom)};
}

bool IsReallyVisible(const Window& w) {
  const Window* p = &w;
  while (p) {
    if (!(p->style & WS_VISIBLE)) return false;
    if (IsTopLevel(*p)) return true;
    p = Find(p->parent);
  }
  return false;
}

void InvalidateTree(Window& w, bool erase) {
  const SIZE c = ClientSize(w);
  w.update = gdi::Region::FromRect(0, 0, c.cx, c.cy);
  w.erase = w.erase || erase;
  for (HWND child : w.children) {
    if (Window* cw = Find(child)) InvalidateTree(*cw, erase);
  }
}

void Activate(HWND hwnd, int how) {
  State& s = S();
  if (s.active == hwnd) return;
  const HWND old = s.active;
  s.active = hwnd;
  if (old && IsWindow(old)) SendMessage(old, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(hwnd));
  if (hwnd && IsWindow(hwnd)) {
    SendMessage(hwnd, WM_ACTIVATE, static_cast<WPARAM>(how), reinterpret_cast<LPARAM>(old));
  }
}

namespace {

void DestroyTree(HWND hwnd) {
  State& s = S();
  Window* w = Find(hwnd);
  if (!w) return;
  w->destroying = true;
  // Owned popups go first, as on the classic platform.
  std::vector<HWND> owned;
  for (const auto& [id, other] : s.windows) {
    if (IsTopLevel(*other) && other->parent == hwnd && !other->destroying) owned.push_back(other->handle);
  }
  for (HWND o : owned) DestroyWindow(o);

  if (s.active == hwnd) {
    s.active = nullptr;
    SendMessage(hwnd, WM_ACTIVATE, WA_INACTIVE, 0);
  }
  DropFocusInside(hwnd);
  SendMessage(hwnd, WM_DESTROY, 0, 0);
  w = Find(hwnd);
  if (!w) return;
  const std::vector<HWND> children = w->children;
  for (HWND c : children) DestroyTree(c);
  SendMessage(hwnd, WM_NCDESTROY, 0, 0);

  w = Find(hwnd);
  if (!w) return;
  if (IsTopLevel(*w)) {
    platform::GetBackend().DestroyNative(hwnd);
    auto& order = s.topLevels;
    order.erase(std::remove(order.begin(), order.end(), hwnd), order.end());
  } else if (Window* parent = Find(w->parent)) {
    auto& sib = parent->children;
    sib.erase(std::remove(sib.begin(), sib.end(), hwnd), sib.end());
  }
  ForgetWindowMessages(hwnd);
  // Tray icons of a window that is gone would only confuse the user.
  for (auto it = s.tray.begin(); it != s.tray.end();) {
    if (it->hwnd == hwnd) {
      platform::GetBackend().TrayDelete(hwnd, it->id);
      it = s.tray.erase(it);
    } else {
      ++it;
    }
  }
  if (w->menu) DestroyMenu(w->menu);
  s.windows.erase(reinterpret_cast<std::uintptr_t>(hwnd));
}

}  // namespace

}  // namespace user::detail

using namespace user::detail;

BOOL RegisterClass(const WNDCLASS* wc) {
  if (!wc || !wc->lpszClassName || !wc->lpfnWndProc) return FALSE;
  const std::string key = ClassKey(wc->lpszClassName);
  State& s = S();
  if (s.classes.count(key)) return FALSE;
  WindowClass c{*wc, IS_INTRESOURCE(wc->lpszClassName) ? key : std::string(wc->lpszClassName)};
  auto [it, ok] = s.classes.emplace(key, std::move(c));
  it->second.wc.lpszClassName = it->second.name.c_str();
  return ok ? TRUE : FALSE;
}

BOOL GetClassInfo(HINSTANCE, const char* className, WNDCLASS* out) {
  State& s = S();
  auto it = s.classes.find(ClassKey(className));
  if (it == s.classes.end()) return FALSE;
  if (out) *out = it->second.wc;
  return TRUE;
}

HWND CreateWindowEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, int x,
                    int y, int width, int height, HWND parent, HMENU menuOrId, HINSTANCE instance,
                    void* param) {
  State& s = S();
  auto cit = s.classes.find(ClassKey(className));
  if (cit == s.classes.end()) return nullptr;
  Window* parentWindow = parent ? Find(parent) : nullptr;
  if (parent && !parentWindow) return nullptr;
  if ((style & WS_CHILD) && !parentWindow) return nullptr;

  auto owned = std::make_unique<Window>();
  Window& w = *owned;
  w.handle = reinterpret_cast<HWND>(s.nextHandle);
  s.nextHandle += 4;
  w.cls = &cit->second;
  w.proc = cit->second.wc.lpfnWndProc;
  w.style = style & ~WS_VISIBLE;
  w.exStyle = exStyle;
  if (style & WS_CHILD) {
    w.parent = parent;
    w.id = static_cast<UINT>(reinterpret_cast<std::uintptr_t>(menuOrId));
  } else {
    // The owner of a popup is always a top-level window.
    Window* top = parentWindow ? TopLevelOf(parentWindow) : nullptr;
    w.parent = top ? top->handle : nullptr;
    w.menu = menuOrId;
  }
  w.rect = RECT{x, y, x + std::max(0, width), y + std::max(0, height)};
  const HWND hwnd = w.handle;
  s.windows.emplace(reinterpret_cast<std::uintptr_t>(hwnd), std::move(owned));
  if (style & WS_CHILD) {
    parentWindow->children.insert(parentWindow->children.begin(), hwnd);
  } else {
    w.surface = std::make_shared<gdi::Surface>(w.rect.right - w.rect.left, w.rect.bottom - w.rect.top);
    PlaceTopLevel(hwnd, HWND_TOP);
  }

  CREATESTRUCT cs;
  cs.lpCreateParams = param;
  cs.hInstance = instance;
  cs.hMenu = menuOrId;
  cs.hwndParent = parent;
  cs.x = x;
  cs.y = y;
  cs.cx = width;
  cs.cy = height;
  cs.style = static_cast<LONG>(style);
  cs.lpszName = windowName;
  cs.lpszClass = className;
  cs.dwExStyle = exStyle;

  if (!SendMessage(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) {
    DestroyWindow(hwnd);
    return nullptr;
  }
  if (Window* nw = Find(hwnd); nw && IsTopLevel(*nw)) platform::GetBackend().CreateNative(hwnd);
  if (SendMessage(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
    DestroyWindow(hwnd);
    return nullptr;
  }
  if (!IsWindow(hwnd)) return nullptr;
  // The new window learns its size and place, in that order.
  if (Window* created = Find(hwnd)) {
    const SIZE client = ClientSize(*created);
    created->reportedSize = client;
    SendMessage(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.cx, client.cy));
  }
  if (Window* created = Find(hwnd)) {
    const RECT in = Insets(*created);
    created->reportedOrigin = POINT{created->rect.left + in.left, created->rect.top + in.top};
    SendMessage(hwnd, WM_MOVE, 0, MAKELPARAM(created->reportedOrigin.x, created->reportedOrigin.y));
  }
  if ((style & WS_VISIBLE) && IsWindow(hwnd)) ShowWindow(hwnd, SW_SHOW);
  return IsWindow(hwnd) ? hwnd : nullptr;
}

BOOL DestroyWindow(HWND hwnd) {
  Window* w = Find(hwnd);
  if (!w || w->destroying) return FALSE;
  if (w->style & WS_VISIBLE) {
    // Destruction hides the window without the show-window message.
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  DestroyTree(hwnd);
  return TRUE;
}

BOOL IsWindow(HWND hwnd) { return Find(hwnd) != nullptr ? TRUE : FALSE; }

BOOL IsWindowVisible(HWND hwnd) {
  const Window* w = Find(hwnd);
  return w && IsReallyVisible(*w) ? TRUE : FALSE;
}

BOOL IsChild(HWND parent, HWND hwnd) {
  const Window* w = Find(hwnd);
  while (w && !IsTopLevel(*w)) {
    if (w->parent == parent) return TRUE;
    w = Find(w->parent);
  }
  return FALSE;
}

HWND GetParent(HWND hwnd) {
  const Window* w = Find(hwnd);
  return w ? w->parent : nullptr;
}

HWND GetDesktopWindow() {
  State& s = S();
  if (s.desktop && Find(s.desktop)) return s.desktop;
  auto w = std::make_unique<Window>();
  w->handle = reinterpret_cast<HWND>(s.nextHandle);
  s.nextHandle += 4;
  w->style = WS_POPUP | WS_VISIBLE;
  const SIZE screen = platform::GetBackend().ScreenSize();
  w->rect = RECT{0, 0, screen.cx, screen.cy};
  w->text = "";
  static const WindowClass desktopClass{WNDCLASS{0, &DefWindowProc, nullptr, nullptr, nullptr,
                                                 nullptr, nullptr, "#32769"},
                                        "#32769"};
  w->cls = &desktopClass;
  w->proc = &DefWindowProc;
  s.desktop = w->handle;
  s.windows.emplace(reinterpret_cast<std::uintptr_t>(s.desktop), std::move(w));
  return s.desktop;
}

HWND GetTopWindow(HWND parent) {
  if (!parent) {
    const auto& order = S().topLevels;
    return order.empty() ? nullptr : order.front();
  }
  const Window* w = Find(parent);
  return w && !w->children.empty() ? w->children.front() : nullptr;
}

HWND GetWindow(HWND hwnd, UINT command) {
  const Window* w = Find(hwnd);
  if (!w) return nullptr;
  switch (command) {
    case GW_CHILD: return w->children.empty() ? nullptr : w->children.front();
    case GW_OWNER: return IsTopLevel(*w) ? w->parent : nullptr;
    case GW_HWNDNEXT: {
      const std::vector<HWND>* siblings = nullptr;
      if (IsTopLevel(*w)) {
        siblings = &S().topLevels;
      } else if (const Window* p = Find(w->parent)) {
        siblings = &p->children;
      }
      if (!siblings) return nullptr;
      auto it = std::find(siblings->begin(), siblings->end(), hwnd);
      if (it == siblings->end() || std::next(it) == siblings->end()) return nullptr;
      return *std::next(it);
    }
    default: return nullptr;
  }
}

HWND GetDlgItem(HWND parent, int id) {
  const Window* w = Find(parent);
  if (!w) return nullptr;
  for (HWND c : w->children) {
    const Window* cw = Find(c);
    if (cw && static_cast<int>(cw->id) == id) return c;
  }
  return nullptr;
}

int GetDlgCtrlID(HWND hwnd) {
  const Window* w = Find(hwnd);
  return w ? static_cast<int>(w->id) : 0;
}

LONG GetWindowLong(HWND hwnd, int index) {
  const Window* w = Find(hwnd);
  if (!w) return 0;
  switch (index) {
    case GWL_STYLE: return static_cast<LONG>(w->style);
    case GWL_EXSTYLE: return static_cast<LONG>(w->exStyle);
    case GWL_ID: return static_cast<LONG>(w->id);
    default: return 0;
  }
}

LONG SetWindowLong(HWND hwnd, int index, LONG value) {
  Window* w = Find(hwnd);
  if (!w) return 0;
  DWORD* field = nullptr;
  switch (index) {
    case GWL_STYLE: field = &w->style; break;
    case GWL_EXSTYLE: field = &w->exStyle; break;
    case GWL_ID: {
      const LONG old = static_cast<LONG>(w->id);
      w->id = static_cast<UINT>(value);
      return old;
    }
    default: return 0;
  }
  const DWORD old = *field;
  STYLESTRUCT ss{old, static_cast<DWORD>(value)};
  SendMessage(hwnd, WM_STYLECHANGING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&ss));
  w = Find(hwnd);
  if (!w) return 0;
  field = index == GWL_STYLE ? &w->style : &w->exStyle;
  // Visibility is changed through ShowWindow, not through the style bits.
  DWORD next = ss.styleNew;
  if (index == GWL_STYLE) next = (next & ~WS_VISIBLE) | (old & WS_VISIBLE);
  *field = next;
  SendMessage(hwnd, WM_STYLECHANGED, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&ss));
  // Styles set to what they were leave the desktop alone.
  if (Window* top = Find(hwnd); top && IsTopLevel(*top) && next != old) SyncNative(*top);
  return static_cast<LONG>(old);
}

std::intptr_t GetWindowUserData(HWND hwnd) {
  const Window* w = Find(hwnd);
  return w ? w->userData : 0;
}

void SetWindowUserData(HWND hwnd, std::intptr_t data) {
  if (Window* w = Find(hwnd)) w->userData = data;
}

WNDPROC GetWindowProc(HWND hwnd) {
  const Window* w = Find(hwnd);
  return w ? w->proc : nullptr;
}

WNDPROC SetWindowProc(HWND hwnd, WNDPROC proc) {
  Window* w = Find(hwnd);
  if (!w || !proc) return nullptr;
  return std::exchange(w->proc, proc);
}

BOOL SetWindowText(HWND hwnd, const char* text) {
  if (!IsWindow(hwnd)) return FALSE;
  return SendMessage(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : "")) ? TRUE : FALSE;
}

int GetWindowText(HWND hwnd, char* buffer, int size) {
  if (!buffer || size <= 0) return 0;
  const Window* w = Find(hwnd);
  if (!w) {
    buffer[0] = '\0';
    return 0;
  }
  const size_t n = std::min(w->text.size(), static_cast<size_t>(size - 1));
  std::memcpy(buffer, w->text.data(), n);
  buffer[n] = '\0';
  return static_cast<int>(n);
}

std::string GetWindowTextString(HWND hwnd) {
  const Window* w = Find(hwnd);
  return w ? w->text : std::string();
}

BOOL ShowWindow(HWND hwnd, int command) {
  Window* w = Find(hwnd);
  if (!w) return FALSE;
  const bool wasVisible = (w->style & WS_VISIBLE) != 0;
  const bool show = command != SW_HIDE;
  if (show != wasVisible) SendMessage(hwnd, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
  if (!IsWindow(hwnd)) return wasVisible ? TRUE : FALSE;
  if (!show) {
    if (wasVisible) {
      SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                   SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return wasVisible ? TRUE : FALSE;
  }
  UINT flags = SWP_SHOWWINDOW | SWP_NOSIZE | SWP_NOMOVE;
  const bool activate = command == SW_SHOW || command == SW_SHOWNORMAL || command == SW_RESTORE ||
                        command == SW_SHOWMAXIMIZED;
  if (!activate) flags |= SWP_NOACTIVATE | SWP_NOZORDER;
  if (!IsTopLevel(*w)) flags |= SWP_NOZORDER | SWP_NOACTIVATE;
  SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, flags);
  return wasVisible ? TRUE : FALSE;
}

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  Window* w = Find(hwnd);
  if (!w || hwnd == S().desktop) return FALSE;
  const RECT oldRect = w->rect;
  if (!(flags & SWP_NOMOVE)) {
    const LONG width = w->rect.right - w->rect.left;
    const LONG height = w->rect.bottom - w->rect.top;
    w->rect = RECT{x, y, x + width, y + height};
  }
  if (!(flags & SWP_NOSIZE)) {
    w->rect.right = w->rect.left + std::max(0, cx);
    w->rect.bottom = w->rect.top + std::max(0, cy);
  }
  const bool sized = (oldRect.right - oldRect.left) != (w->rect.right - w->rect.left) ||
                     (oldRect.bottom - oldRect.top) != (w->rect.bottom - w->rect.top);
  if (sized) ResizeSurface(*w);
  const bool top = IsTopLevel(*w);

  if (!(flags & SWP_NOZORDER)) {
    if (insertAfter == HWND_TOPMOST) w->exStyle |= WS_EX_TOPMOST;
    if (insertAfter == HWND_NOTOPMOST) w->exStyle &= ~WS_EX_TOPMOST;
    if (top) {
      PlaceTopLevel(hwnd, insertAfter);
    } else if (Window* parent = Find(w->parent)) {
      auto& sib = parent->children;
      sib.erase(std::remove(sib.begin(), sib.end(), hwnd), sib.end());
      if (insertAfter == HWND_BOTTOM) {
        sib.push_back(hwnd);
      } else {
        sib.insert(sib.begin(), hwnd);
      }
    }
  }

  bool becameVisible = false;
  if ((flags & SWP_SHOWWINDOW) && !(w->style & WS_VISIBLE)) {
    w->style |= WS_VISIBLE;
    becameVisible = true;
  }
  if ((flags & SWP_HIDEWINDOW) && (w->style & WS_VISIBLE)) {
    w->style &= ~WS_VISIBLE;
    if (S().active == hwnd) {
      S().active = nullptr;
      SendMessage(hwnd, WM_ACTIVATE, WA_INACTIVE, 0);
      w = Find(hwnd);
      if (!w) return TRUE;
    }
    DropFocusInside(hwnd);
    w = Find(hwnd);
    if (!w) return TRUE;
  }
  if ((becameVisible || ((sized || (flags & SWP_FRAMECHANGED)) && !(flags & SWP_NOREDRAW)))) {
    InvalidateTree(*w, true);
  }
  SendSizeAndMove(hwnd);
  w = Find(hwnd);
  if (!w) return TRUE;
  if (top && !(flags & SWP_NOACTIVATE) && (w->style & WS_VISIBLE) &&
      ((flags & SWP_SHOWWINDOW) || !(flags & SWP_NOZORDER))) {
    Activate(hwnd, WA_ACTIVE);
    w = Find(hwnd);
    if (!w) return TRUE;
  }
  // The native window follows last, so that what the handlers above changed (a window
  // region set on activation, say) is in place before the window appears.
  if (top) {
    SyncNative(*w);
    if (!(flags & SWP_NOZORDER) && insertAfter != HWND_BOTTOM && (w->style & WS_VISIBLE)) {
      platform::GetBackend().RaiseNative(hwnd, !(flags & SWP_NOACTIVATE));
    }
  }
  return TRUE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
  return SetWindowPos(hwnd, nullptr, x, y, width, height,
                      SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0u : SWP_NOREDRAW));
}

BOOL GetWindowRect(HWND hwnd, RECT* rect) {
  const Window* w = Find(hwnd);
  if (!w || !rect) return FALSE;
  if (IsTopLevel(*w)) {
    *rect = w->rect;
    return TRUE;
  }
  const Window* top = TopLevelOf(const_cast<Window*>(w));
  const POINT o = WindowOriginInTop(*w);
  const LONG left = (top ? top->rect.left : 0) + o.x;
  const LONG topY = (top ? top->rect.top : 0) + o.y;
  *rect = RECT{left, topY, left + (w->rect.right - w->rect.left), topY + (w->rect.bottom - w->rect.top)};
  return TRUE;
}

BOOL GetClientRect(HWND hwnd, RECT* rect) {
  const Window* w = Find(hwnd);
  if (!w || !rect) return FALSE;
  const SIZE c = ClientSize(*w);
  *rect = RECT{0, 0, c.cx, c.cy};
  return TRUE;
}

BOOL ClientToScreen(HWND hwnd, POINT* point) {
  Window* w = Find(hwnd);
  if (!w || !point) return FALSE;
  const Window* top = TopLevelOf(w);
  const POINT o = ClientOriginInTop(*w);
  point->x += (top ? top->rect.left : 0) + o.x;
  point->y += (top ? top->rect.top : 0) + o.y;
  return TRUE;
}

BOOL ScreenToClient(HWND hwnd, POINT* point) {
  Window* w = Find(hwnd);
  if (!w || !point) return FALSE;
  const Window* top = TopLevelOf(w);
  const POINT o = ClientOriginInTop(*w);
  point->x -= (top ? top->rect.left : 0) + o.x;
  point->y -= (top ? top->rect.top : 0) + o.y;
  return TRUE;
}

int GetSystemMetrics(int index) {
  switch (index) {
    case SM_CXSCREEN: return platform::GetBackend().ScreenSize().cx;
    case SM_CYSCREEN: return platform::GetBackend().ScreenSize().cy;
    case SM_CXBORDER:
    case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME: return 3;
    case SM_CYCAPTION: return 19;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR: return 32;
    case SM_CXEDGE:
    case SM_CYEDGE: return 2;
    case SM_CXSMICON:
    case SM_CYSMICON: return 16;
    default: return 0;
  }
}

HWND GetActiveWindow() { return S().active; }

HWND SetActiveWindow(HWND hwnd) {
  const HWND old = S().active;
  Window* w = Find(hwnd);
  if (!w || !IsTopLevel(*w)) return nullptr;
  platform::GetBackend().RaiseNative(hwnd, true);
  Activate(hwnd, WA_ACTIVE);
  return old;
}

HWND GetForegroundWindow() { return S().active; }

BOOL SetForegroundWindow(HWND hwnd) { return SetActiveWindow(hwnd) || GetActiveWindow() == hwnd; }

HWND GetFocus() { return S().focus; }

HWND SetFocus(HWND hwnd) {
  State& s = S();
  const HWND old = s.focus;
  if (hwnd && !IsWindow(hwnd)) return nullptr;
  if (old == hwnd) return old;
  s.focus = hwnd;
  if (old && IsWindow(old)) SendMessage(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
  if (hwnd && IsWindow(hwnd) && s.focus == hwnd) {
    SendMessage(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
  }
  return old;
}

HWND GetCapture() { return S().capture; }

HWND SetCapture(HWND hwnd) {
  return std::exchange(S().capture, IsWindow(hwnd) ? hwnd : nullptr);
}

BOOL ReleaseCapture() {
  S().capture = nullptr;
  return TRUE;
}

short GetKeyState(int virtualKey) {
  if (virtualKey < 0 || virtualKey > 255) return 0;
  const State& s = S();
  short v = s.keyToggled[static_cast<size_t>(virtualKey)] ? 1 : 0;
  if (s.keyDown[static_cast<size_t>(virtualKey)]) v = static_cast<short>(v | 0x8000);
  return v;
}

int SetWindowRgn(HWND hwnd, HRGN region, BOOL redraw) {
  Window* w = Find(hwnd);
  if (!w) return 0;
  if (region) {
    gdi::RegionObject* r = gdi::Find<gdi::RegionObject>(region);
    if (!r) return 0;
    w->windowRegion = std::move(r->region);
    // From here on the region is the window's; the handle is no longer valid.
    gdi::RemoveObject(AsGdiObject(region));
  } else {
    w->windowRegion.reset();
  }
  if (IsTopLevel(*w)) {
    platform::GetBackend().SetNativeShape(hwnd, w->windowRegion ? &*w->windowRegion : nullptr);
  }
  if (redraw && (w->style & WS_VISIBLE)) InvalidateTree(*w, true);
  return 1;
}

int GetWindowRgn(HWND hwnd, HRGN region) {
  const Window* w = Find(hwnd);
  gdi::RegionObject* r = gdi::Find<gdi::RegionObject>(region);
  if (!w || !r || !w->windowRegion) return ERROR;
  r->region = *w->windowRegion;
  return r->region.Complexity();
}

HINSTANCE GetModuleHandle(const char*) { return user::ProgramInstance(); }

namespace user {

void NativeActivated(HWND topLevel, bool active) {
  Window* w = Find(topLevel);
  if (!w) return;
  if (active) {
    Activate(topLevel, WA_CLICKACTIVE);
  } else if (S().active == topLevel) {
    Activate(nullptr, WA_INACTIVE);
  }
}

void NativeMoved(HWND topLevel, POINT topLeft) {
  Window* w = Find(topLevel);
  if (!w || !IsTopLevel(*w)) return;
  if (w->rect.left == topLeft.x && w->rect.top == topLeft.y) return;
  SetWindowPos(topLevel, nullptr, topLeft.x, topLeft.y, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void NativeCloseRequested(HWND topLevel) {
  // While a menu or dialog is up its owner takes no input, as on the classic platform where
  // it is disabled: closing it then would destroy it under the open box.
  if (platform::InModalLoop()) return;
  if (IsWindow(topLevel)) PostMessage(topLevel, WM_SYSCOMMAND, SC_CLOSE, 0);
}

const gdi::Surface* WindowPixels(HWND hwnd) {
  const Window* w = Find(hwnd);
  return w ? w->surface.get() : nullptr;
}

const gdi::Region* WindowShape(HWND hwnd) {
  const Window* w = Find(hwnd);
  return w && w->windowRegion ? &*w->windowRegion : nullptr;
}

DWORD WindowStyle(HWND hwnd) {
  const Window* w = Find(hwnd);
  return w ? w->style : 0;
}

DWORD WindowExStyle(HWND hwnd) {
  const Window* w = Find(hwnd);
  return w ? w->exStyle : 0;
}

std::vector<HWND> TopLevelWindows() { return S().topLevels; }

}  // namespace user
