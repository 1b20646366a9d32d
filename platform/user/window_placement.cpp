// Where windows are: showing and hiding, position, size and z-order, the client area
// in screen terms, system metrics, window regions, and moves made by the window system.
#include <algorithm>

#include "platform/gdi/objects.h"
#include "platform/user/session.h"
#include "platform/user/state.h"
#include "platform/user/user.h"

namespace user::detail {

namespace {

bool IsTopmost(const Window& w) { return (w.exStyle & WS_EX_TOPMOST) != 0; }

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

}  // namespace

// An owned window always lies in front of its owner, whatever band the owner is in (a
// dialog over a window kept on top).
static void KeepOwnedAboveOwners() {
  auto& order = S().topLevels;
  for (bool moved = true; moved;) {
    moved = false;
    for (size_t i = 0; i < order.size() && !moved; ++i) {
      const Window* w = Find(order[i]);
      if (!w || !w->parent) continue;
      auto owner = std::find(order.begin(), order.end(), w->parent);
      if (owner == order.end() || owner > order.begin() + static_cast<std::ptrdiff_t>(i)) continue;
      const HWND owned = order[i];
      order.erase(order.begin() + static_cast<std::ptrdiff_t>(i));
      order.insert(std::find(order.begin(), order.end(), w->parent), owned);
      moved = true;
    }
  }
}

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
    KeepOwnedAboveOwners();
    return;
  }
  if (after && after != HWND_TOP && after != HWND_TOPMOST && after != HWND_NOTOPMOST) {
    auto it = std::find(order.begin(), order.end(), after);
    if (it != order.end()) {
      order.insert(it + 1, hwnd);
      KeepOwnedAboveOwners();
      return;
    }
  }
  order.insert(bandStart(), hwnd);
  KeepOwnedAboveOwners();
}

}  // namespace user::detail

using namespace user::detail;

namespace {

// Handles are the monitor's place in the backend's list, counted from 1.
HMONITOR MonitorHandle(size_t index) { return reinterpret_cast<HMONITOR>(index + 1); }

long long DistanceSquared(const RECT& r, const RECT& area) {
  const long long dx = r.right <= area.left ? area.left - r.right + 1 : r.left >= area.right ? r.left - area.right + 1 : 0;
  const long long dy = r.bottom <= area.top ? area.top - r.bottom + 1 : r.top >= area.bottom ? r.top - area.bottom + 1 : 0;
  return dx * dx + dy * dy;
}

}  // namespace

HMONITOR MonitorFromRect(const RECT* rect, DWORD flags) {
  if (!rect) return nullptr;
  const std::vector<platform::Backend::Monitor> monitors = platform::GetBackend().Monitors();
  if (monitors.empty()) return nullptr;
  size_t best = 0;
  long long bestArea = 0;
  for (size_t i = 0; i < monitors.size(); ++i) {
    RECT common;
    if (!IntersectRect(&common, rect, &monitors[i].area)) continue;
    const long long area = static_cast<long long>(common.right - common.left) * (common.bottom - common.top);
    if (area > bestArea) best = i, bestArea = area;
  }
  if (bestArea > 0) return MonitorHandle(best);
  if (flags == MONITOR_DEFAULTTONULL) return nullptr;
  if (flags == MONITOR_DEFAULTTOPRIMARY) return MonitorHandle(0);
  for (size_t i = 1; i < monitors.size(); ++i) {
    if (DistanceSquared(*rect, monitors[i].area) < DistanceSquared(*rect, monitors[best].area)) best = i;
  }
  return MonitorHandle(best);
}

HMONITOR MonitorFromPoint(POINT point, DWORD flags) {
  const RECT r{point.x, point.y, point.x + 1, point.y + 1};
  return MonitorFromRect(&r, flags);
}

HMONITOR MonitorFromWindow(HWND hwnd, DWORD flags) {
  RECT r;
  if (GetWindowRect(hwnd, &r)) return MonitorFromRect(&r, flags);
  // No such window: the primary monitor, unless asked for none.
  if (flags == MONITOR_DEFAULTTONULL || platform::GetBackend().Monitors().empty()) return nullptr;
  return MonitorHandle(0);
}

BOOL GetMonitorInfo(HMONITOR monitor, MONITORINFO* info) {
  const auto index = reinterpret_cast<std::uintptr_t>(monitor);
  const std::vector<platform::Backend::Monitor> monitors = platform::GetBackend().Monitors();
  if (!info || index == 0 || index > monitors.size()) return FALSE;
  info->rcMonitor = monitors[index - 1].area;
  info->rcWork = monitors[index - 1].work;
  info->dwFlags = index == 1 ? MONITORINFOF_PRIMARY : 0;
  return TRUE;
}

BOOL SystemParametersInfo(UINT action, UINT, void* param, UINT) {
  if (action != SPI_GETWORKAREA || !param) return FALSE;
  *static_cast<RECT*>(param) = platform::GetBackend().WorkArea();
  return TRUE;
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
  const DWORD oldStyle = w->style;
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
  // Controls inside follow: their native widgets show, hide and move with them. A child
  // that went away or moved leaves its old place to be drawn again by what lies beneath.
  const bool hidden = (flags & SWP_HIDEWINDOW) && (oldStyle & WS_VISIBLE);
  if (!top && (hidden || !(oldRect == w->rect))) {
    if (Window* parent = Find(w->parent)) {
      InvalidateRect(parent->handle, &oldRect, TRUE);
      for (HWND sibling : parent->children) {
        const Window* sw = Find(sibling);
        RECT overlap;
        if (sibling == hwnd || !sw || !IntersectRect(&overlap, &oldRect, &sw->rect)) continue;
        OffsetRect(&overlap, -sw->rect.left, -sw->rect.top);
        InvalidateRect(sibling, &overlap, TRUE);
      }
    }
  }
  if (becameVisible || hidden || !(oldRect == w->rect)) {
    if (!top) SyncControl(hwnd);
    SyncControlsInside(hwnd);
  }
  w = Find(hwnd);
  if (!w) return TRUE;
  // Last of all the window hears that the change is done, on the desktop too: what needs a
  // window really shown or really hidden (a copy of the screen behind it) waits for this.
  WINDOWPOS done{hwnd, insertAfter, static_cast<int>(w->rect.left), static_cast<int>(w->rect.top),
                 static_cast<int>(w->rect.right - w->rect.left), static_cast<int>(w->rect.bottom - w->rect.top), flags};
  SendMessage(hwnd, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&done));
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

int SetWindowRgn(HWND hwnd, HRGN region, BOOL redraw) {
  Window* w = Find(hwnd);
  if (!w) return 0;
  const bool wasDecorated = DecoratedByDesktop(*w);
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
    // The frame may go or come back with the region (a shape inside the client area leaves
    // nothing to decorate); the shape is in place before the window shows without it.
    if (DecoratedByDesktop(*w) != wasDecorated) SyncNative(*w);
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

namespace user {

void NativeMoved(HWND topLevel, POINT topLeft) {
  Window* w = Find(topLevel);
  if (!w || !IsTopLevel(*w)) return;
  if (w->rect.left == topLeft.x && w->rect.top == topLeft.y) return;
  SetWindowPos(topLevel, nullptr, topLeft.x, topLeft.y, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void NativeCloseRequested(HWND topLevel) {
  // While a menu or dialog is up its owner takes no input, as on the classic platform where
  // it is disabled: closing it then would destroy it under the open box. The dialog itself
  // closes, unless a menu or box of its own is open.
  if (!IsWindowEnabled(topLevel)) return;
  if (platform::InModalLoop()) {
    const DialogData* d = FindDialog(topLevel);
    if (!d || !d->modal || d->loopDepth != platform::ModalLoopDepth()) return;
  }
  if (IsWindow(topLevel)) PostMessage(topLevel, WM_SYSCOMMAND, SC_CLOSE, 0);
}

}  // namespace user
