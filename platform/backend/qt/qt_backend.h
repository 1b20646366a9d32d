// The desktop backend: one Qt window per top-level window, presenting the pixels the
// platform layer drew, with native widgets over them for dialog controls; the system tray,
// popup menus, file dialogs and message boxes through Qt; the window manager's interactive
// move; the screen for desktop copies; sounds through the sound server.
#pragma once

#include <QElapsedTimer>
#include <QCursor>
#include <QTimer>
#include <map>
#include <memory>
#include <unordered_map>

#include "platform/backend/qt/native_controls.h"
#include "platform/sound/sound_player.h"
#include "platform/user/backend.h"

class QApplication;
class QMouseEvent;
class QSystemTrayIcon;

namespace platform {

class HelpViewer;
class NativeWindow;

class QtBackend : public Backend {
 public:
  // `scale`: the whole number of screen pixels a side each of the program's pixels takes,
  // which Qt already applies to windows, their shapes and the pointer's places; the
  // backend applies it to what Qt shows as it is (cursors, tray icons, screen copies).
  QtBackend(QApplication& app, int scale);
  ~QtBackend() override;

  std::uint64_t NowMs() override;
  std::int64_t EpochSeconds() override;
  LocalTime Now() override;
  void WaitForEvents(std::optional<std::uint64_t> deadlineMs) override;
  SIZE ScreenSize() override;
  std::vector<Monitor> Monitors() override;
  RECT WorkArea() override;
  int ScreenBitsPerPixel() override;
  void GrabScreen(const RECT& area, std::uint32_t* out, int stride) override;
  void CreateNative(HWND hwnd) override;
  void DestroyNative(HWND hwnd) override;
  void SyncNative(HWND hwnd, const NativeWindowState& state) override;
  void RaiseNative(HWND hwnd, bool activate) override;
  void SetNativeShape(HWND hwnd, const gdi::Region* region) override;
  void Present(HWND hwnd, const gdi::Surface& pixels, const RECT& dirty) override;
  void StartSystemMove(HWND hwnd) override;
  void SyncControl(HWND top, HWND control, const NativeControlState& state) override;
  void DestroyControl(HWND control) override;
  void SetCursor(const Cursor& cursor) override;
  POINT CursorPos() override;
  bool ShowsNativeControls() const override { return true; }
  std::vector<std::pair<int, COLORREF>> SystemColors() override;
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

  // The pointer entered or left one of the program's windows (the window shows the
  // current cursor while the pointer is over it).
  void PointerEntered(NativeWindow* window);
  void PointerLeft(NativeWindow* window);
  // The program's pixel the pointer was in at a mouse event, in screen coordinates.
  POINT PointOf(const QMouseEvent& e);
  // The window became the active one.
  void WindowActivated(NativeWindow* window);

 private:
  // How long a hidden window may linger in the screen's pixels: the server unmaps it and the
  // windows beneath repaint within this.
  static constexpr int kScreenSettleMs = 40;
  // What NowMs says at start-up.
  static constexpr std::uint64_t kClockStartMs = 1000;

  // The cursors made so far, by their pictures' hash: a picture as the server's own cursor,
  // anything else (or a picture where the server cannot) as Qt's.
  struct KeptCursor {
    Cursor source;
    QCursor shown;
    unsigned long picture = 0;
  };
  static constexpr std::size_t kCursorsKept = 64;

  NativeWindow* Find(HWND hwnd) const;
  void ReturnFocusTo(HWND owner);
  const KeptCursor& CursorFor(const Cursor& cursor);
  void ShowCursorOn(NativeWindow* window);
  void GiveBackFreedMemory();

  QApplication& app_;
  int scale_ = 1;
  QElapsedTimer clock_;
  QTimer wake_;
  QElapsedTimer sinceTrim_;  // since freed heap memory was last given back
  std::unordered_map<HWND, NativeWindow*> windows_;
  NativeControls controls_;
  std::map<std::pair<HWND, UINT>, std::unique_ptr<QSystemTrayIcon>> tray_;
  // One help viewer a help file, kept and reused until HELP_QUIT or the end.
  std::map<std::string, std::unique_ptr<HelpViewer>> helpViewers_;
  NativeWindow* hovered_ = nullptr;
  Cursor cursor_;
  NativeWindow* shownOn_ = nullptr;  // where cursor_ was last shown
  std::unordered_map<std::size_t, KeptCursor> cursors_;
  SoundPlayer sound_;
};

}  // namespace platform
