// The window-manager hints Qt does not set the way the program needs: a tool window is
// kept out of the taskbar by _NET_WM_STATE_SKIP_TASKBAR (Qt's own tool-window type makes
// some window managers move it wrongly), and "always on top" is _NET_WM_STATE_ABOVE.
// Kept apart from the Qt code because Xlib's macros clash with Qt's names.
#pragma once

namespace platform::x11 {

// True when the program runs on an X server.
bool Available();
// Sets the states of a top-level window. An unmapped window gets the property itself
// (the window manager reads it when mapping); a mapped one is changed through the
// window manager.
void SetWindowStates(unsigned long window, bool mapped, bool skipTaskbar, bool above);

}  // namespace platform::x11
