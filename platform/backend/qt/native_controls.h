// Dialog controls on the desktop: one native Qt widget per control window, a child of its
// dialog's window and placed over the dialog's pixels, so that the dialog follows the
// desktop's theme and accessibility. The widget only shows the state the window layer keeps
// and reports what the user did to it; the window layer decides, and syncs its answer back.
// Keys typed into a widget go to the window layer too, which runs the dialog's keyboard.
#pragma once

#include <QPoint>
#include <QPointer>
#include <unordered_map>

#include "platform/user/backend.h"

class QWidget;

namespace platform {

class NativeControls {
 public:
  NativeControls() = default;
  ~NativeControls();
  NativeControls(const NativeControls&) = delete;
  NativeControls& operator=(const NativeControls&) = delete;

  // Creates or brings up to date the widget of `control` on `window`. `clientOffset` is where
  // the window's widget starts in the window layer's window coordinates (the client area of a
  // window the window manager decorates; the origin otherwise).
  void Sync(QWidget* window, QPoint clientOffset, HWND control, const NativeControlState& state);
  void Destroy(HWND control);
  // The window goes, and the widgets of its controls with it.
  void DestroyAllOn(const QWidget* window);
  // The window's widget starts elsewhere in window coordinates now: its controls follow.
  void MoveAllOn(const QWidget* window, QPoint clientOffset);
  // The window became active: the control the window layer gave the focus takes Qt's focus.
  void WindowActivated(const QWidget* window);

 private:
  struct Control {
    QPointer<QWidget> widget;  // a child of `window`, which deletes it with itself
    const QWidget* window = nullptr;
    QPoint clientOffset;
    NativeControlState state;  // as last synced
  };

  static QWidget* Create(QWidget* window, HWND control, NativeControlState::Kind kind);
  static void Place(const Control& c);
  static void Focus(const Control& c);

  std::unordered_map<HWND, Control> controls_;
};

}  // namespace platform
