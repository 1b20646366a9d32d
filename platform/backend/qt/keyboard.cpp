#include "platform/backend/qt/keyboard.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QWidget>

#include "platform/core/windef.h"
#include "platform/user/native.h"

namespace platform {

int VirtualKeyFor(int qtKey) {
  if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return 'A' + (qtKey - Qt::Key_A);
  if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return '0' + (qtKey - Qt::Key_0);
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return VK_F1 + (qtKey - Qt::Key_F1);
  switch (qtKey) {
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_Control: return VK_CONTROL;
    case Qt::Key_Alt: return VK_MENU;
    case Qt::Key_Backspace: return VK_BACK;
    // Shift+Tab arrives as Backtab; Shift itself is already down in the window layer.
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Delete: return VK_DELETE;
    case Qt::Key_Menu: return VK_APPS;
    default: return 0;
  }
}

void ForwardKey(const QKeyEvent& event) {
  const bool down = event.type() == QEvent::KeyPress;
  if (!down && event.isAutoRepeat()) return;
  if (const int vk = VirtualKeyFor(event.key())) user::InjectKey(vk, down);
}

bool FocusLeavesWindow(const QWidget& widget, const QFocusEvent& event) {
  if (event.reason() == Qt::ActiveWindowFocusReason || event.reason() == Qt::PopupFocusReason) return true;
  // Qt names the new focus widget before it tells the old one.
  const QWidget* next = QApplication::focusWidget();
  return !next || next->window() != widget.window();
}

}  // namespace platform
