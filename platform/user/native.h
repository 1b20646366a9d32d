// What backends and tools see of the window layer beyond the classic calls: the native
// events a backend turns into messages, and the state of top-level windows it shows.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/core/windef.h"

namespace gdi {
class Region;
struct Surface;
}  // namespace gdi

namespace user {

// A tray icon as the window layer keeps it.
struct TrayIcon {
  HWND hwnd = nullptr;
  UINT id = 0;
  UINT callbackMessage = 0;
  std::string tip;
  int iconSizes = 0;  // pictures the icon had when added; 0 for no icon
};

// ---- Calls for backends: native events become queued messages ----
// Mouse message (WM_MOUSEMOVE, WM_LBUTTONDOWN, ...) at a screen point over a top-level
// window; the platform finds the child window, sends the hit test and cursor messages and
// turns clicks on CS_DBLCLKS windows into double-clicks.
void InjectMouse(HWND topLevel, UINT message, POINT screen, WPARAM keys);
// A key went down or up; it becomes a key message (WM_SYSKEY* with Alt or for F10) for the
// focus window, or the active window when nothing has the focus.
void InjectKey(int virtualKey, bool down);
// The program's windows lost the keyboard: every key counts as released.
void ReleaseKeys();
// The window system changed activation (another application was clicked, say).
void NativeActivated(HWND topLevel, bool active);
// The window system moved a top-level window (interactive move).
void NativeMoved(HWND topLevel, POINT topLeft);
// The window system asks to close a top-level window (its close button, Alt+F4); ignored
// while a menu or dialog is up.
void NativeCloseRequested(HWND topLevel);
// The user worked the native widget of a dialog control (platform::NativeControlState).
// Each becomes a queued message to the control, which then acts as it does for its own
// mouse and keys: the button is clicked (an automatic check box or radio button changes
// and the parent hears BN_CLICKED); the tab or list item is chosen (with its
// notification); the slider moved (WM_HSCROLL to the parent, `final` ends the drag); the
// control took the focus.
void NativeControlClicked(HWND control);
void NativeControlSelected(HWND control, int index);
void NativeSliderMoved(HWND control, int position, bool final);
void NativeControlFocused(HWND control);
// A click on a tray icon: posts the icon's callback message.
void DeliverTrayEvent(HWND hwnd, UINT id, UINT mouseMessage);
// Watches every message sent or dispatched, before its window procedure runs; for tests
// and diagnostics. An empty function removes the spy.
void SetMessageSpy(std::function<void(const MSG&)> spy);
// Records the tray icons added; for tests and tools.
std::vector<TrayIcon> TrayIcons();

// Geometry and pixels of a top-level window, for backends and tools.
const gdi::Surface* WindowPixels(HWND hwnd);
const gdi::Region* WindowShape(HWND hwnd);
DWORD WindowStyle(HWND hwnd);
DWORD WindowExStyle(HWND hwnd);
std::vector<HWND> TopLevelWindows();  // z-order, front first

}  // namespace user
