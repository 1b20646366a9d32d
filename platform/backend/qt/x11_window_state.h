// The window-manager hints Qt does not set the way the program needs: a tool window is
// kept out of the taskbar by _NET_WM_STATE_SKIP_TASKBAR (Qt's own tool-window type makes
// some window managers move it wrongly), and "always on top" is _NET_WM_STATE_ABOVE.
// Picture cursors are made and chosen here too: Qt makes a new X cursor every time a picture
// cursor is set, which an animated pointer does eighteen times a second.
// Kept apart from the Qt code because Xlib's macros clash with Qt's names.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace platform::x11 {

// True when the program runs on an X server.
bool Available();
// What an X server says about its pixel density.
struct ScreenDensity {
  std::string resources;  // its resource database (RESOURCE_MANAGER), where Xft.dpi is
  std::optional<double> dpiAcross;  // the default screen's pixels over its width in inches
};
// Connects to the X server at this display name, before anything else does, and asks it
// about its density; nothing when no server answers there.
std::optional<ScreenDensity> ProbeDisplay(const char* name);
// The pointer's place on the screen in the server's own pixels; nothing without X.
std::optional<std::pair<int, int>> PointerPosition();
// Waits until the X server has carried out every request sent so far.
void Sync();
// Whether the left mouse button is down now, as the server knows it; nothing without X.
std::optional<bool> LeftButtonDown();
// Puts the states on a window that is about to be mapped (the window manager reads the
// property when mapping), keeping whatever else the property holds.
void SetStatesBeforeMapping(unsigned long window, bool skipTaskbar, bool above);
// Asks the window manager to change one state of a mapped window.
void RequestSkipTaskbar(unsigned long window, bool on);
void RequestAbove(unsigned long window, bool on);
// Whether the window is kept above others now, as the window manager has it; nothing when
// the property cannot be read.
std::optional<bool> IsAbove(unsigned long window);

// Makes an X cursor of a picture (0xAARRGGBB, row by row) with its hot spot; 0 when the
// server cannot (no X, no RENDER extension). Free it with FreeCursor.
unsigned long CreateCursor(const std::uint32_t* argb, int width, int height, int hotX, int hotY);
void FreeCursor(unsigned long cursor);
// Shows the cursor over the window (0: the parent's).
void DefineCursor(unsigned long window, unsigned long cursor);

}  // namespace platform::x11
