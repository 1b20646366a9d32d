// The table of windows and what the rest of the window layer asks of it: lookup, the
// client area inside a window's borders, visibility up the parent chain, and the
// top-level windows' state as backends and tools see it.
#include <algorithm>

#include "platform/user/session.h"
#include "platform/user/state.h"
#include "platform/user/user.h"

namespace user::detail {

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

bool DecoratedByDesktop(const Window& w) {
  if ((w.style & WS_CAPTION) != WS_CAPTION) return false;
  // A window region that leaves out the caption and borders (the round about box) leaves
  // nothing for the window manager to decorate: the window shows as its shape alone.
  if (w.windowRegion && !w.windowRegion->IsEmpty()) {
    const RECT in = Insets(w);
    const RECT box = w.windowRegion->Box();
    if (box.left >= in.left && box.top >= in.top && box.right <= (w.rect.right - w.rect.left) - in.right &&
        box.bottom <= (w.rect.bottom - w.rect.top) - in.bottom) {
      return false;
    }
  }
  return true;
}

void SyncNative(const Window& w) {
  platform::NativeWindowState state;
  state.rect = w.rect;
  state.visible = (w.style & WS_VISIBLE) != 0;
  state.toolWindow = (w.exStyle & WS_EX_TOOLWINDOW) != 0;
  state.topmost = (w.exStyle & WS_EX_TOPMOST) != 0;
  state.captioned = DecoratedByDesktop(w);
  const RECT in = Insets(w);
  state.client = RECT{in.left, in.top, (w.rect.right - w.rect.left) - in.right, (w.rect.bottom - w.rect.top) - in.bottom};
  state.closeBox = state.captioned && (w.style & WS_SYSMENU);
  // The box styles share their bits with the controls' group and tab-stop styles; they
  // mean boxes on captioned windows with a system menu only.
  state.minimizeBox = state.closeBox && (w.style & WS_MINIMIZEBOX);
  state.maximizeBox = state.closeBox && (w.style & WS_MAXIMIZEBOX);
  state.resizable = (w.style & WS_THICKFRAME) != 0;
  state.noActivate = (w.exStyle & WS_EX_NOACTIVATE) != 0;
  state.owner = w.parent;
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

}  // namespace user::detail

using namespace user::detail;

namespace user {

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
