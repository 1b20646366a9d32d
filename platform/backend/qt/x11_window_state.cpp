#include "platform/backend/qt/x11_window_state.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <vector>

namespace platform::x11 {
namespace {

Display* TheDisplay() {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  return x11 ? x11->display() : nullptr;
}

void SendState(Display* d, Window w, bool add, Atom state, Atom which) {
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = w;
  e.xclient.message_type = state;
  e.xclient.format = 32;
  e.xclient.data.l[0] = add ? 1 : 0;  // _NET_WM_STATE_ADD / _REMOVE
  e.xclient.data.l[1] = static_cast<long>(which);
  e.xclient.data.l[2] = 0;
  e.xclient.data.l[3] = 1;  // the request comes from an application
  XSendEvent(d, DefaultRootWindow(d), False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
}

}  // namespace

bool Available() { return TheDisplay() != nullptr; }

void SetWindowStates(unsigned long window, bool mapped, bool skipTaskbar, bool above) {
  Display* d = TheDisplay();
  if (!d || !window) return;
  const Atom state = XInternAtom(d, "_NET_WM_STATE", False);
  const Atom skipTask = XInternAtom(d, "_NET_WM_STATE_SKIP_TASKBAR", False);
  const Atom skipPager = XInternAtom(d, "_NET_WM_STATE_SKIP_PAGER", False);
  const Atom aboveAtom = XInternAtom(d, "_NET_WM_STATE_ABOVE", False);
  const Atom stays = XInternAtom(d, "_NET_WM_STATE_STAYS_ON_TOP", False);
  if (mapped) {
    SendState(d, window, skipTaskbar, state, skipTask);
    SendState(d, window, skipTaskbar, state, skipPager);
    SendState(d, window, above, state, aboveAtom);
  } else {
    // Keep whatever else the property holds and set ours.
    std::vector<Atom> atoms;
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d, window, state, 0, 1024, False, XA_ATOM, &type, &format, &count, &after, &data) ==
            Success &&
        data && format == 32) {
      const auto* existing = reinterpret_cast<const Atom*>(data);
      for (unsigned long i = 0; i < count; ++i) {
        if (existing[i] != skipTask && existing[i] != skipPager && existing[i] != aboveAtom && existing[i] != stays) {
          atoms.push_back(existing[i]);
        }
      }
    }
    if (data) XFree(data);
    if (skipTaskbar) {
      atoms.push_back(skipTask);
      atoms.push_back(skipPager);
    }
    if (above) atoms.push_back(aboveAtom);
    XChangeProperty(d, window, state, XA_ATOM, 32, PropModeReplace, reinterpret_cast<unsigned char*>(atoms.data()),
                    static_cast<int>(atoms.size()));
  }
  XFlush(d);
}

}  // namespace platform::x11
