// How the desktop's keyboard reaches the window layer. Whichever of the program's widgets
// holds Qt's focus (a window, or a dialog control's native widget), its keys become the
// classic virtual keys, and the window layer decides what they do.
#pragma once

class QFocusEvent;
class QKeyEvent;
class QWidget;

namespace platform {

// The classic virtual key of a Qt key; 0 for keys the program has no use for.
int VirtualKeyFor(int qtKey);

// Hands a key press or release to the window layer. Auto-repeated presses count (a held key
// repeats on the classic platform too); the releases Qt makes between them do not.
void ForwardKey(const QKeyEvent& event);

// Whether the focus leaving `widget` takes the keyboard away from its top-level window: to
// another window, a popup, or outside the program. A move between the window and its own
// control widgets keeps the keys held.
bool FocusLeavesWindow(const QWidget& widget, const QFocusEvent& event);

}  // namespace platform
