// Internal state of the window layer, shared by its source files. Nothing outside
// platform/user includes this but tests that look inside.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/core/windef.h"
#include "platform/gdi/region.h"
#include "platform/gdi/surface.h"
#include "platform/user/backend.h"
#include "platform/user/native.h"
#include "platform/user/resources.h"

namespace user::detail {

struct WindowClass {
  WNDCLASS wc;
  std::string name;
};

struct Window {
  HWND handle = nullptr;
  const WindowClass* cls = nullptr;
  WNDPROC proc = nullptr;
  DWORD style = 0;
  DWORD exStyle = 0;
  HWND parent = nullptr;  // WS_CHILD: the parent; otherwise the owner (may be null)
  std::vector<HWND> children;  // top of the sibling z-order first
  RECT rect;  // window rectangle: screen for top-level windows, parent client for children
  std::string text;
  UINT id = 0;
  HMENU menu = nullptr;
  gdi::Region update;  // client coordinates
  bool erase = false;
  std::optional<gdi::Region> windowRegion;  // window coordinates
  std::shared_ptr<gdi::Surface> surface;    // top-level windows
  std::intptr_t userData = 0;
  bool destroying = false;
  // Client size and position last reported with WM_SIZE and WM_MOVE, so that any change,
  // including one made by a style change, is reported once.
  SIZE reportedSize{-1, -1};
  POINT reportedOrigin{-32768, -32768};
};

struct Timer {
  HWND hwnd = nullptr;
  UINT_PTR id = 0;
  unsigned interval = 0;
  std::uint64_t due = 0;
  TIMERPROC proc = nullptr;
};

// A queued message; raw input still carries screen coordinates and is turned into a
// window message when it is retrieved.
struct Queued {
  MSG msg;
  bool rawMouse = false;
  bool rawKey = false;
};

struct CursorObject {
  platform::Cursor cursor;
};

struct IconObject {
  std::vector<platform::Image> sizes;
};

struct MenuItem {
  UINT id = 0;
  std::string text;
  UINT flags = 0;  // MF_GRAYED, MF_DISABLED, MF_SEPARATOR, MF_POPUP
  HMENU submenu = nullptr;
};

struct MenuObject {
  std::vector<MenuItem> items;
  HMENU parent = nullptr;  // submenus belong to their parent menu
};

using TrayIcon = user::TrayIcon;

// What a control of the system classes keeps beyond its window (platform/user/controls).
struct ControlData {
  enum class Kind { Button, Static, TabControl, Slider, ComboBox };
  Kind kind = Kind::Static;
  HFONT font = nullptr;
  // Buttons.
  UINT check = BST_UNCHECKED;
  bool pushed = false;       // shown pressed: the mouse holds it, or Space
  bool mouseTracking = false;
  // Static icons and pictures, loaded from the resource the template names.
  HICON icon = nullptr;
  HBITMAP bitmap = nullptr;
  bool ownsImage = false;
  // Tab controls and lists.
  std::vector<std::string> items;
  int selection = -1;
  bool dropped = false;       // a list that is open
  int droppedHeight = 0;      // the open list's height below the box
  // Sliders.
  int rangeMin = 0;
  int rangeMax = 100;
  int position = 0;
  int pageSize = 20;
  bool dragging = false;
  int dragOffset = 0;
};

// A dialog made from a template (platform/user/dialogs).
struct DialogData {
  DLGPROC proc = nullptr;
  LPARAM param = 0;
  HFONT font = nullptr;
  SIZE baseUnits{4, 8};  // pixels per 4 horizontal and 8 vertical dialog units
  UINT defaultId = IDOK;
  HWND savedFocus = nullptr;  // the control that had the focus when the dialog was left
  bool ended = false;
  LRESULT result = 0;
  LRESULT messageResult = 0;  // what the procedure answers for a message it handled
  bool modal = false;
  int loopDepth = 0;          // a modal dialog: the modal-loop depth its own loop runs at
};

struct State {
  std::map<std::uintptr_t, std::unique_ptr<Window>> windows;
  std::vector<HWND> topLevels;  // z-order, front first; topmost windows lead
  std::map<std::string, WindowClass> classes;
  std::deque<Queued> queue;
  std::vector<Timer> timers;
  bool quitPending = false;
  int quitCode = 0;
  HWND desktop = nullptr;
  HWND active = nullptr;
  HWND focus = nullptr;
  HWND capture = nullptr;
  HCURSOR cursor = nullptr;
  std::vector<MSG> current;  // messages being handled, innermost last
  std::uintptr_t nextHandle = 0x10000;
  std::uintptr_t nextUserObject = 0x20000;
  std::uintptr_t nextTimerId = 1;
  DWORD messageTime = 0;
  std::uint64_t paintsBegun = 0;
  std::function<void(const MSG&)> spy;
  std::array<bool, 256> keyDown{};
  std::array<bool, 256> keyToggled{};
  std::map<std::uintptr_t, CursorObject> cursors;
  std::map<std::uintptr_t, IconObject> icons;
  std::map<std::uintptr_t, MenuObject> menus;
  std::map<std::uintptr_t, std::vector<Accelerator>> accelerators;
  std::vector<TrayIcon> tray;
  std::map<HWND, ControlData> controls;
  std::map<HWND, DialogData> dialogs;
  // Last left click, for double-click detection.
  HWND lastClickWindow = nullptr;
  std::uint64_t lastClickTime = 0;
  POINT lastClickPoint;
  bool lastClickWasDouble = false;
};

State& S();
void ResetState();

Window* Find(HWND hwnd);
bool IsTopLevel(const Window& w);
Window* TopLevelOf(Window* w);
// Non-client insets of a window from its styles (caption, borders, client edge).
RECT Insets(const Window& w);
// Position of the window's top-left corner inside its top-level window's pixels.
POINT WindowOriginInTop(const Window& w);
POINT ClientOriginInTop(const Window& w);
SIZE ClientSize(const Window& w);
// The window and all its ancestors have WS_VISIBLE.
bool IsReallyVisible(const Window& w);

// Marks the window's whole client area, and those of its descendants, for repainting.
void InvalidateTree(Window& w, bool erase);
// What a device context for the window may touch, in top-level pixel coordinates.
gdi::Region VisibleRegion(const Window& w, bool clientOnly);
// Hands drawn pixels of the top-level window to the backend.
void Present(HWND top, const RECT& dirtySurfaceRect);

// Whether the window manager draws the window's caption and borders: it has them, and
// its window region (if any) does not leave them out.
bool DecoratedByDesktop(const Window& w);
// Hands the backend the top-level window's rectangle, styles, visibility and title.
void SyncNative(const Window& w);

// Removes timers and queued messages that belong to the window.
void ForgetWindowMessages(HWND hwnd);
std::optional<std::uint64_t> NextTimerDue();

// Activation bookkeeping with WM_ACTIVATE to both windows.
void Activate(HWND hwnd, int how);
// Takes the focus and the capture from the window and everything inside it.
void DropFocusInside(HWND hwnd);

// Puts a top-level window into the z-order: at the front of its band, at the back, or
// right behind another window.
void PlaceTopLevel(HWND hwnd, HWND after);

// Registers the classes of the system's own windows: dialogs and their controls.
void RegisterSystemClasses();
// Hands the backend the state of a control's native widget, and those of every control
// inside a window (after it was shown, hidden, moved, enabled or disabled).
void SyncControl(HWND control);
void SyncControlsInside(HWND hwnd);
// The dialog's keyboard focus moves to a control, with the default button following a
// focused push button.
void DialogSetFocus(HWND dialog, HWND control);
ControlData* FindControl(HWND hwnd);
DialogData* FindDialog(HWND hwnd);

// Destroys a window's owned popups, children and itself, with their messages, in the
// classic order.
void DestroyTree(HWND hwnd);

}  // namespace user::detail
