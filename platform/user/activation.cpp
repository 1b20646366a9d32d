// Activation, the keyboard focus, mouse capture and the key state.
#include <utility>

#include "platform/user/session.h"
#include "platform/user/state.h"
#include "platform/user/user.h"

namespace user::detail {

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

void DropFocusInside(HWND hwnd) {
  State& s = S();
  if (s.focus && (s.focus == hwnd || IsChild(hwnd, s.focus))) {
    const HWND old = s.focus;
    s.focus = nullptr;
    SendMessage(old, WM_KILLFOCUS, 0, 0);
  }
  if (s.capture && (s.capture == hwnd || IsChild(hwnd, s.capture))) s.capture = nullptr;
}

}  // namespace user::detail

using namespace user::detail;

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

}  // namespace user
