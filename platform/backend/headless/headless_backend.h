// The headless backend: a virtual screen with a desktop picture, a virtual clock that tests
// move forward, injected input, and records of what the program asked of the system (tray
// icons, menus, message boxes, window moves, sounds).
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/gdi/region.h"
#include "platform/gdi/surface.h"
#include "platform/user/backend.h"

namespace platform {

class HeadlessBackend : public Backend {
 public:
  struct Options {
    SIZE screen{640, 480};
    int bitsPerPixel = 32;
    LocalTime start{2026, 12, 9, 3, 21, 0, 0};  // a Wednesday evening
    // Rows at the screen's bottom taken by a panel: not part of the work area.
    int panelHeight = 0;
    // The monitors the screen is made of; none: one monitor, the whole screen.
    std::vector<RECT> monitors;
  };

  HeadlessBackend();
  explicit HeadlessBackend(Options options);

  // ---- Driving the clock ----
  // Moves the virtual clock forward by `ms`, stopping at every timer that falls due on the
  // way and dispatching what the queue holds at each stop.
  void Advance(std::uint64_t ms);
  void SetLocalTime(const LocalTime& t);
  // The same, given as seconds since the epoch (the headless world has no time zone).
  void SetEpochSeconds(std::int64_t seconds);

  // ---- The screen behind the windows ----
  void SetDesktopPicture(gdi::Surface picture);  // also sets the screen size

  // ---- Input ----
  void MouseMove(POINT screen);
  void MouseDown(POINT screen, UINT button = WM_LBUTTONDOWN);
  void MouseUp(POINT screen, UINT button = WM_LBUTTONUP);
  void Key(int virtualKey, bool down);
  // Clicks the tray icon with the given button message (WM_LBUTTONDOWN, WM_RBUTTONDOWN).
  void ClickTray(HWND hwnd, UINT id, UINT mouseMessage);

  // ---- Answers to modal requests ----
  // Chooses the command of a popup menu (0 for none). Without a chooser, menus are
  // dismissed.
  std::function<UINT(const std::vector<MenuEntry>&, POINT, HWND)> menuChooser;
  std::function<std::optional<std::string>(const FileDialogRequest&)> fileDialogAnswer;
  int messageBoxAnswer = 1;
  // Whether a help viewer can be started, and whether the desktop has an opener for
  // addresses.
  bool helpAvailable = true;
  bool opensUrls = true;
  // Keeps each menu, file dialog or message box up, with the program's messages flowing,
  // while it returns true; then the answer above is taken. Without it the answer comes at
  // once. A box whose modal loop ends early (a quit, an end requested) is cancelled.
  std::function<bool()> whileModalUp;
  // Called when a modal loop would wait with nothing to do; it must change something
  // (answer, advance the clock) or the wait fails.
  std::function<void()> idle;

  // ---- Records ----
  struct TrayEntry {
    HWND hwnd = nullptr;
    UINT id = 0;
    std::vector<Image> icon;
    std::string tip;
  };
  struct MenuCall {
    std::vector<MenuEntry> entries;
    POINT at;
    HWND owner = nullptr;
  };
  struct MessageBoxCall {
    HWND owner = nullptr;
    std::string text;
    std::string caption;
    UINT type = 0;
  };
  std::vector<TrayEntry> tray;         // icons present now, in order of adding
  std::vector<MenuCall> menus;         // every popup menu shown
  std::vector<MessageBoxCall> messageBoxes;
  std::vector<HWND> systemMoves;       // windows the window system was asked to move
  std::vector<FileDialogRequest> fileDialogs;
  std::vector<HelpRequest> helpRequests;  // every WinHelp call that reached the backend
  // What the viewer of the last request showed: the topic's title, or its message about a
  // file it could not read (and then no title).
  std::string helpTopicShown;
  std::string helpProblem;
  std::vector<std::string> openedUrls;    // addresses handed to the desktop's opener
  // Every copy of the screen taken, and whether a shown window of the program lay over it
  // then (a copy that would hold the program's own window on a real screen).
  struct Grab {
    RECT area;
    bool programWindowShown = false;
  };
  std::vector<Grab> grabs;
  Cursor cursor;                       // what the pointer shows now
  int cursorChanges = 0;
  POINT cursorPos{0, 0};
  std::map<HWND, int> presents;        // pixel hand-overs per window
  std::map<HWND, int> nativeSyncs;     // changes of position, styles or title handed over
  // The outline each window has on the desktop now (nothing: its whole rectangle).
  std::map<HWND, std::optional<gdi::Region>> shapes;
  // What the window system was asked, in order: "shown", "hidden", "shape", "tray-add",
  // "tray-delete", each followed by a space and the window handle (and the tray id).
  std::vector<std::string> log;
  // The dialog controls as the desktop would show them now, by control.
  std::map<HWND, NativeControlState> controls;
  // The sound calls, in order: "play PATH loop", "play PATH once", "refused PATH" (a file
  // the decoder would not take; nothing plays then) and "stop". Nothing is heard.
  std::vector<std::string> sounds;
  // The file playing now, empty when none. A sound played once counts as playing until the
  // next sound call: nothing here times it.
  std::string soundPlaying;

  // ---- Backend ----
  std::uint64_t NowMs() override { return now_; }
  std::int64_t EpochSeconds() override;
  LocalTime Now() override;
  void WaitForEvents(std::optional<std::uint64_t> deadlineMs) override;
  SIZE ScreenSize() override { return screen_; }
  // The primary monitor's, as on the desktop.
  RECT WorkArea() override {
    return monitors_.empty() ? RECT{0, 0, screen_.cx, screen_.cy - panelHeight_} : Monitors().front().work;
  }
  std::vector<Monitor> Monitors() override;
  int ScreenBitsPerPixel() override { return bits_; }
  void GrabScreen(const RECT& area, std::uint32_t* out, int stride) override;
  void CreateNative(HWND) override {}
  void DestroyNative(HWND hwnd) override;
  void SyncNative(HWND hwnd, const NativeWindowState& state) override;
  void RaiseNative(HWND, bool) override {}
  void SetNativeShape(HWND hwnd, const gdi::Region*) override;
  void Present(HWND hwnd, const gdi::Surface&, const RECT&) override { ++presents[hwnd]; }
  void StartSystemMove(HWND hwnd) override { systemMoves.push_back(hwnd); }
  void SyncControl(HWND, HWND control, const NativeControlState& state) override { controls[control] = state; }
  void DestroyControl(HWND control) override { controls.erase(control); }
  void SetCursor(const Cursor& c) override {
    cursor = c;
    ++cursorChanges;
  }
  POINT CursorPos() override { return cursorPos; }
  bool TrayAdd(HWND hwnd, UINT id, const std::vector<Image>& icon, const std::string& tip) override;
  bool TrayModify(HWND hwnd, UINT id, const std::vector<Image>& icon, const std::string& tip) override;
  bool TrayDelete(HWND hwnd, UINT id) override;
  UINT TrackPopupMenu(const std::vector<MenuEntry>& entries, POINT at, HWND owner) override;
  std::optional<std::string> FileDialog(const FileDialogRequest& request) override;
  int MessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) override;
  bool PlaySound(const std::string& path, bool loop) override;
  void StopSound() override;
  bool ShowHelp(const HelpRequest& request) override;
  bool OpenUrl(const std::string& url) override;

 private:
  HWND TopLevelAt(POINT screen) const;
  // Runs the modal loop of a menu or dialog; false when it ended early.
  bool StayModal();
  void Log(const std::string& what, HWND hwnd, long extra = -1);

  std::map<HWND, bool> shown_;

  std::uint64_t now_ = 1000;
  std::uint64_t clockBaseMs_ = 1000;
  std::int64_t epochBase_ = 0;
  SIZE screen_;
  int bits_ = 32;
  int panelHeight_ = 0;
  std::vector<RECT> monitors_;
  gdi::Surface desktop_;
};

}  // namespace platform
