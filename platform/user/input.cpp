// Mouse and keyboard input: raw events from the backend become window messages when they
// are taken from the queue, after the hit test and the cursor message, as on the classic
// platform.
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/user/session.h"
#include "platform/user/state.h"
#include "platform/user/user.h"

using namespace user::detail;

namespace {

constexpr UINT WM_NCMOUSEMOVE = 0x00A0;
constexpr int kDoubleClickMs = 500;
constexpr int kDoubleClickSlop = 2;

// Deepest visible window under a screen point, starting at a top-level window, passing
// over the windows that let the mouse through.
HWND ChildFromPoint(HWND top, POINT screen, const std::vector<HWND>& transparent) {
  HWND current = top;
  for (;;) {
    const Window* w = Find(current);
    if (!w) return nullptr;
    HWND next = nullptr;
    for (HWND c : w->children) {
      const Window* cw = Find(c);
      if (!cw || !(cw->style & WS_VISIBLE)) continue;
      if (std::find(transparent.begin(), transparent.end(), c) != transparent.end()) continue;
      RECT r;
      GetWindowRect(c, &r);
      if (PtInRect(&r, screen)) {
        next = c;
        break;
      }
    }
    if (!next) return current;
    current = next;
  }
}

int VirtualKeyOfButton(UINT message) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP: return 0x01;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP: return 0x02;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP: return 0x04;
    default: return 0;
  }
}

bool IsButtonDown(UINT message) {
  return message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN;
}

}  // namespace

namespace user::detail {

bool CookInput(Queued& q, MSG* out) {
  State& s = S();
  if (q.rawKey) {
    const int vk = static_cast<int>(q.msg.wParam) & 0xFF;
    const bool down = q.msg.message == WM_KEYDOWN || q.msg.message == WM_SYSKEYDOWN;
    if (down && !s.keyDown[static_cast<size_t>(vk)]) s.keyToggled[static_cast<size_t>(vk)] = !s.keyToggled[static_cast<size_t>(vk)];
    s.keyDown[static_cast<size_t>(vk)] = down;
    HWND target = s.focus ? s.focus : s.active;
    if (!target || !IsWindow(target)) return false;
    *out = q.msg;
    out->hwnd = target;
    // With Alt held, and for F10, keys are system keys; decided now, in the order the
    // keys were pressed.
    if (s.keyDown[VK_MENU] || vk == VK_MENU || vk == VK_F10) {
      out->message = down ? WM_SYSKEYDOWN : WM_SYSKEYUP;
    }
    return true;
  }

  const POINT screen = q.msg.pt;
  const int vk = VirtualKeyOfButton(q.msg.message);
  if (vk) s.keyDown[static_cast<size_t>(vk)] = IsButtonDown(q.msg.message);
  const LPARAM screenParam = MAKELPARAM(screen.x, screen.y);
  HWND target = nullptr;
  int hit = HTCLIENT;
  if (s.capture && IsWindow(s.capture)) {
    target = s.capture;
  } else {
    // A window that answers the hit test with HTTRANSPARENT (a static text, a tab
    // control's body) hands the point to the window beneath it.
    std::vector<HWND> transparent;
    for (;;) {
      target = ChildFromPoint(q.msg.hwnd, screen, transparent);
      if (!target) return false;
      hit = static_cast<int>(SendMessage(target, WM_NCHITTEST, 0, screenParam));
      if (!IsWindow(target)) return false;
      if (hit != HTTRANSPARENT || target == q.msg.hwnd) break;
      transparent.push_back(target);
    }
  }
  // A disabled window takes no mouse input; a press on a window whose dialog is up
  // brings the dialog forward instead.
  if (const Window* tw = Find(target)) {
    const Window* top = TopLevelOf(const_cast<Window*>(tw));
    const bool disabled = (tw->style & WS_DISABLED) || (top && (top->style & WS_DISABLED));
    if (disabled) {
      if (!s.capture) {
        SendMessage(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target),
                    MAKELPARAM(IsButtonDown(q.msg.message) ? HTERROR : hit, static_cast<int>(q.msg.message)));
      }
      if (IsButtonDown(q.msg.message) && top) {
        for (const auto& [handle, data] : s.dialogs) {
          if (data.modal && GetWindow(handle, GW_OWNER) == top->handle && IsWindowVisible(handle)) {
            SetActiveWindow(handle);
            break;
          }
        }
      }
      return false;
    }
  }
  if (!s.capture) {
    SendMessage(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target),
                MAKELPARAM(hit, static_cast<int>(q.msg.message)));
    if (!IsWindow(target)) return false;
  }
  if (IsButtonDown(q.msg.message)) {
    Window* tw = Find(target);
    Window* top = tw ? TopLevelOf(tw) : nullptr;
    if (top && s.active != top->handle && !(top->exStyle & WS_EX_NOACTIVATE)) {
      SendMessage(target, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(top->handle),
                  MAKELPARAM(hit, static_cast<int>(q.msg.message)));
      if (IsWindow(top->handle)) Activate(top->handle, WA_CLICKACTIVE);
      if (!IsWindow(target)) return false;
    }
  }

  *out = q.msg;
  out->hwnd = target;
  if (hit != HTCLIENT) {
    // Non-client mouse messages carry the hit-test code and the screen point.
    out->message = q.msg.message - WM_MOUSEMOVE + WM_NCMOUSEMOVE;
    out->wParam = static_cast<WPARAM>(hit);
    out->lParam = screenParam;
    return true;
  }
  POINT client = screen;
  ScreenToClient(target, &client);
  out->lParam = MAKELPARAM(client.x, client.y);

  if (q.msg.message == WM_LBUTTONDOWN || q.msg.message == WM_RBUTTONDOWN) {
    const Window* tw = Find(target);
    const bool dblclks = tw && tw->cls && (tw->cls->wc.style & CS_DBLCLKS);
    const std::uint64_t now = platform::GetBackend().NowMs();
    const bool again = dblclks && s.lastClickWindow == target && !s.lastClickWasDouble &&
                       now - s.lastClickTime <= kDoubleClickMs &&
                       std::abs(screen.x - s.lastClickPoint.x) <= kDoubleClickSlop &&
                       std::abs(screen.y - s.lastClickPoint.y) <= kDoubleClickSlop;
    if (again) out->message = q.msg.message + (WM_LBUTTONDBLCLK - WM_LBUTTONDOWN);
    s.lastClickWasDouble = again;
    s.lastClickWindow = target;
    s.lastClickTime = now;
    s.lastClickPoint = screen;
  }
  return true;
}

}  // namespace user::detail

namespace user {

void InjectMouse(HWND topLevel, UINT message, POINT screen, WPARAM keys) {
  if (!IsWindow(topLevel)) return;
  Queued q;
  q.rawMouse = true;
  q.msg = MSG{topLevel, message, keys, 0, static_cast<DWORD>(platform::GetBackend().NowMs()), screen};
  S().queue.push_back(q);
}

void ReleaseKeys() {
  // Keys released while another window had the keyboard never reach us: forget them, so
  // that a modifier does not seem held forever.
  detail::S().keyDown.fill(false);
}

void InjectKey(int virtualKey, bool down) {
  State& s = S();
  Queued q;
  q.rawKey = true;
  const UINT message = down ? WM_KEYDOWN : WM_KEYUP;
  const LPARAM flags = down ? 1 : static_cast<LPARAM>(0xC0000001u);
  q.msg = MSG{nullptr, message, static_cast<WPARAM>(virtualKey & 0xFF), flags,
              static_cast<DWORD>(platform::GetBackend().NowMs()), {}};
  s.queue.push_back(q);
}

}  // namespace user
