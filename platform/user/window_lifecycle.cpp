// Window classes, the creation and destruction of windows, the tree of parents, owners
// and children, and each window's attributes: styles, procedure, user data, title.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <utility>

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

}  // namespace

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
    case DWLP_MSGRESULT:
      if (DialogData* d = FindDialog(hwnd)) return static_cast<LONG>(std::exchange(d->messageResult, value));
      return 0;
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

HINSTANCE GetModuleHandle(const char*) { return user::ProgramInstance(); }
