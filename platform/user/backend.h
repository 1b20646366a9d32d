// What the window layer needs from the system it runs on. One backend drives a real desktop
// through Qt; the headless one stands in for tests and tools, with a virtual screen, a
// virtual clock and recorded calls.
//
// The window layer keeps every piece of window state itself (positions, styles, regions,
// pixels, timers) and hands a backend what it needs by value; a backend mirrors top-level
// windows natively, turns native events into the calls of platform/user/native_events.h,
// and provides the services that need the real system.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/core/types.h"
#include "platform/core/windef.h"

namespace gdi {
class Region;
struct Surface;
}  // namespace gdi

namespace platform {

// One entry of a popup menu as the backend shows it.
struct MenuEntry {
  enum class Kind { Command, Separator, Submenu };
  Kind kind = Kind::Command;
  UINT id = 0;
  std::string text;  // UTF-8, with '&' marking the mnemonic
  bool grayed = false;
  std::vector<MenuEntry> children;
};

// A top-level window as the desktop is to show it.
struct NativeWindowState {
  RECT rect;                // screen coordinates
  bool visible = false;
  bool toolWindow = false;  // no taskbar entry
  bool topmost = false;     // kept above other windows
  bool captioned = false;   // decorated by the window manager
  // The client area in window coordinates. A captioned window's caption and borders are
  // the window manager's to draw: the desktop shows only this part of its pixels, at this
  // place on the screen.
  RECT client;
  // What the window manager's frame offers on a captioned window.
  bool closeBox = false;
  bool minimizeBox = false;
  bool maximizeBox = false;
  bool resizable = false;
  bool noActivate = false;  // never takes the focus, not even when clicked (a balloon)
  HWND owner = nullptr;     // the top-level window it belongs to, kept below it; or none
  std::string title;        // UTF-8
};

// What WinHelp asks of the help viewer.
struct HelpRequest {
  std::string file;        // the help file's path
  UINT command = 0;        // HELP_CONTEXT, HELP_QUIT, HELP_CONTENTS, HELP_FINDER
  std::uintptr_t data = 0; // HELP_CONTEXT: the topic's number
  HWND owner = nullptr;
};

// A dialog control the desktop shows as a native widget of its own, placed over the dialog's
// pixels. The window layer keeps the control's state; the widget only shows it and reports
// what the user did (platform/user/native.h). Owner-drawn buttons, icons and pictures are
// not native: they are drawn into the dialog's pixels.
struct NativeControlState {
  enum class Kind { PushButton, CheckBox, RadioButton, Label, TabControl, Slider, DropDownList };
  Kind kind = Kind::Label;
  RECT rect;                 // in the top-level window's pixels
  bool visible = false;      // the control and all its parents are shown
  bool enabled = true;
  bool focused = false;      // holds the keyboard focus
  bool defaultButton = false;
  int alignment = 0;         // labels: 0 left, 1 centred, 2 right
  std::string text;          // UTF-8, '&' marking the mnemonic
  bool checked = false;
  std::vector<std::string> items;  // tab texts or list items
  int selection = -1;              // chosen tab or item; -1 for none
  int rangeMin = 0;
  int rangeMax = 100;
  int position = 0;
  int pageSize = 1;          // a slider's step for Page Up and Page Down
  bool ticks = false;        // a tick at every step
  bool dropped = false;      // a drop-down list that is open
  std::string fontFamily;    // the dialog font, as installed
  int fontPixels = 12;       // its character height
};

struct FileDialogRequest {
  bool open = true;  // open (true) or save as (false)
  std::string title;
  std::string initialName;
  HWND owner = nullptr;
};

class Backend {
 public:
  virtual ~Backend() = default;

  // ---- Time ----
  // Milliseconds on a monotonic clock.
  virtual std::uint64_t NowMs() = 0;
  // Seconds since the epoch, for seeding and for the time object.
  virtual std::int64_t EpochSeconds() = 0;
  virtual LocalTime Now() = 0;

  // ---- Waiting ----
  // Processes native events, waiting until at least one arrives or the deadline (a NowMs
  // value) passes. Events become posted messages through the platform's input functions.
  virtual void WaitForEvents(std::optional<std::uint64_t> deadlineMs) = 0;

  // ---- Screen ----
  virtual SIZE ScreenSize() = 0;
  // The part of the screen not taken by panels and docks, in screen coordinates.
  virtual RECT WorkArea() = 0;
  // The monitors the screen is made of, the primary one first, each with its work area.
  struct Monitor {
    RECT area;
    RECT work;
  };
  virtual std::vector<Monitor> Monitors() {
    const SIZE screen = ScreenSize();
    return {Monitor{RECT{0, 0, screen.cx, screen.cy}, WorkArea()}};
  }
  virtual int ScreenBitsPerPixel() = 0;
  // Copies screen pixels (0x00RRGGBB) of the given rectangle; areas off the screen are black.
  virtual void GrabScreen(const RECT& area, std::uint32_t* out, int stride) = 0;

  // ---- Top-level windows ----
  // The platform calls these for windows without WS_CHILD; child windows live only in the
  // platform's own tables and paint into their top-level window's pixels.
  virtual void CreateNative(HWND hwnd) = 0;
  virtual void DestroyNative(HWND hwnd) = 0;
  // Position, size, styles, visibility or title may have changed.
  virtual void SyncNative(HWND hwnd, const NativeWindowState& state) = 0;
  // Brings the window to the top of its band and, if asked, gives it the focus.
  virtual void RaiseNative(HWND hwnd, bool activate) = 0;
  // The window region changed (the platform's copy is the truth; null means none).
  virtual void SetNativeShape(HWND hwnd, const gdi::Region* region) = 0;
  // Pixels of the window changed inside `dirty` (window coordinates).
  virtual void Present(HWND hwnd, const gdi::Surface& pixels, const RECT& dirty) = 0;
  // Lets the window system move the window with the mouse while the button is held.
  virtual void StartSystemMove(HWND hwnd) = 0;

  // ---- Dialog controls ----
  // Whether controls are shown as native widgets (SyncControl); without them the window
  // layer draws them itself.
  virtual bool ShowsNativeControls() const { return false; }
  // The desktop theme's colours for the classic system colours it has (COLOR_BTNFACE, ...),
  // so that what the window layer draws in a dialog matches the native widgets.
  virtual std::vector<std::pair<int, COLORREF>> SystemColors() { return {}; }
  // Creates or brings up to date the native widget of a control of the top-level window
  // `top`; called whenever anything of `state` may have changed.
  virtual void SyncControl(HWND top, HWND control, const NativeControlState& state) = 0;
  virtual void DestroyControl(HWND control) = 0;

  // ---- Pointer ----
  virtual void SetCursor(const Cursor& cursor) = 0;
  virtual POINT CursorPos() = 0;

  // ---- Shell ----
  // The icon comes in one picture per size (none for a missing icon); the backend keeps
  // its own copy.
  virtual bool TrayAdd(HWND hwnd, UINT id, const std::vector<Image>& icon,
                       const std::string& tip) = 0;
  virtual bool TrayModify(HWND hwnd, UINT id, const std::vector<Image>& icon,
                          const std::string& tip) = 0;
  virtual bool TrayDelete(HWND hwnd, UINT id) = 0;

  // ---- Modal interaction ----
  // Shows the popup menu at the screen point and returns the chosen command, 0 if none.
  // While a menu, dialog or message box is up the backend keeps the platform's messages
  // flowing through platform::RunModalLoop(), and takes it down as cancelled when that loop
  // ends early.
  virtual UINT TrackPopupMenu(const std::vector<MenuEntry>& entries, POINT at, HWND owner) = 0;
  // Returns the chosen path, or nothing when cancelled.
  virtual std::optional<std::string> FileDialog(const FileDialogRequest& request) = 0;
  // Shows a message and returns the button pressed (IDOK for the one-button box).
  virtual int MessageBox(HWND owner, const std::string& text, const std::string& caption,
                         UINT type) = 0;

  // ---- Sound ----
  // Stops the sound that plays, if any, then plays the sound file at `path` in the
  // background, over and over while `loop`, until the next sound call. False when the file
  // cannot be decoded: then nothing plays. A desktop without a sound server plays nothing,
  // and that is no failure.
  virtual bool PlaySound(const std::string& path, bool loop) = 0;
  virtual void StopSound() = 0;

  // ---- Help and the desktop's opener ----
  // Shows (or, for HELP_QUIT, closes) the help viewer of the file; false when no viewer can
  // be started. A file that cannot be read is the viewer's to report, not a failure here.
  virtual bool ShowHelp(const HelpRequest& request) = 0;
  // Hands an address (https://..., file://...) to the desktop's default opener; false when
  // nothing could take it.
  virtual bool OpenUrl(const std::string& url) = 0;
};

}  // namespace platform
