#include "platform/backend/qt/x11_window_state.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrender.h>

#include <vector>

namespace platform::x11 {
namespace {

Display* TheDisplay() {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  return x11 ? x11->display() : nullptr;
}

Atom Intern(Display* d, const char* name) { return XInternAtom(d, name, False); }

void SendState(Display* d, Window w, bool add, Atom which) {
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = w;
  e.xclient.message_type = Intern(d, "_NET_WM_STATE");
  e.xclient.format = 32;
  e.xclient.data.l[0] = add ? 1 : 0;  // _NET_WM_STATE_ADD / _REMOVE
  e.xclient.data.l[1] = static_cast<long>(which);
  e.xclient.data.l[2] = 0;
  e.xclient.data.l[3] = 1;  // the request comes from an application
  XSendEvent(d, DefaultRootWindow(d), False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
}

std::optional<std::vector<Atom>> States(Display* d, Window w) {
  Atom type = 0;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(d, w, Intern(d, "_NET_WM_STATE"), 0, 1024, False, XA_ATOM, &type, &format, &count, &after,
                         &data) != Success) {
    return std::nullopt;
  }
  std::vector<Atom> atoms;
  if (data && format == 32) {
    const auto* existing = reinterpret_cast<const Atom*>(data);
    atoms.assign(existing, existing + count);
  }
  if (data) XFree(data);
  return atoms;
}

}  // namespace

bool Available() { return TheDisplay() != nullptr; }

void Sync() {
  if (Display* d = TheDisplay()) XSync(d, False);
}

namespace {

struct PointerState {
  int rootX = 0, rootY = 0;
  unsigned int buttons = 0;
};

std::optional<PointerState> QueryPointer() {
  Display* d = TheDisplay();
  if (!d) return std::nullopt;
  Window root = 0, child = 0;
  PointerState state;
  int x = 0, y = 0;
  if (!XQueryPointer(d, DefaultRootWindow(d), &root, &child, &state.rootX, &state.rootY, &x, &y, &state.buttons)) {
    return std::nullopt;
  }
  return state;
}

}  // namespace

std::optional<bool> LeftButtonDown() {
  const std::optional<PointerState> pointer = QueryPointer();
  if (!pointer) return std::nullopt;
  return (pointer->buttons & Button1Mask) != 0;
}

std::optional<std::pair<int, int>> PointerPosition() {
  const std::optional<PointerState> pointer = QueryPointer();
  if (!pointer) return std::nullopt;
  return std::pair{pointer->rootX, pointer->rootY};
}

std::optional<ScreenDensity> ProbeDisplay(const char* name) {
  Display* d = XOpenDisplay(name);
  if (!d) return std::nullopt;
  ScreenDensity density;
  if (const char* resources = XResourceManagerString(d)) density.resources = resources;
  const int screen = DefaultScreen(d);
  const int millimetres = DisplayWidthMM(d, screen);
  if (millimetres > 0) density.dpiAcross = DisplayWidth(d, screen) * 25.4 / millimetres;
  XCloseDisplay(d);
  return density;
}

void SetStatesBeforeMapping(unsigned long window, bool skipTaskbar, bool above) {
  Display* d = TheDisplay();
  if (!d || !window) return;
  const Atom skipTask = Intern(d, "_NET_WM_STATE_SKIP_TASKBAR");
  const Atom skipPager = Intern(d, "_NET_WM_STATE_SKIP_PAGER");
  const Atom aboveAtom = Intern(d, "_NET_WM_STATE_ABOVE");
  const Atom stays = Intern(d, "_NET_WM_STATE_STAYS_ON_TOP");
  std::vector<Atom> atoms;
  for (Atom a : States(d, window).value_or(std::vector<Atom>{})) {
    if (a != skipTask && a != skipPager && a != aboveAtom && a != stays) atoms.push_back(a);
  }
  if (skipTaskbar) {
    atoms.push_back(skipTask);
    atoms.push_back(skipPager);
  }
  if (above) atoms.push_back(aboveAtom);
  XChangeProperty(d, window, Intern(d, "_NET_WM_STATE"), XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(atoms.data()), static_cast<int>(atoms.size()));
  XFlush(d);
}

void RequestSkipTaskbar(unsigned long window, bool on) {
  Display* d = TheDisplay();
  if (!d || !window) return;
  SendState(d, window, on, Intern(d, "_NET_WM_STATE_SKIP_TASKBAR"));
  SendState(d, window, on, Intern(d, "_NET_WM_STATE_SKIP_PAGER"));
  XFlush(d);
}

void RequestAbove(unsigned long window, bool on) {
  Display* d = TheDisplay();
  if (!d || !window) return;
  SendState(d, window, on, Intern(d, "_NET_WM_STATE_ABOVE"));
  XFlush(d);
}

std::optional<bool> IsAbove(unsigned long window) {
  Display* d = TheDisplay();
  if (!d || !window) return std::nullopt;
  const auto atoms = States(d, window);
  if (!atoms) return std::nullopt;
  const Atom aboveAtom = Intern(d, "_NET_WM_STATE_ABOVE");
  for (Atom a : *atoms) {
    if (a == aboveAtom) return true;
  }
  return false;
}

unsigned long CreateCursor(const std::uint32_t* argb, int width, int height, int hotX, int hotY) {
  Display* d = TheDisplay();
  if (!d || width <= 0 || height <= 0) return 0;
  int event = 0, error = 0;
  if (!XRenderQueryExtension(d, &event, &error)) return 0;
  XRenderPictFormat* format = XRenderFindStandardFormat(d, PictStandardARGB32);
  if (!format) return 0;
  // RENDER takes colours premultiplied by their alpha.
  std::vector<std::uint32_t> pixels(static_cast<size_t>(width) * height);
  for (size_t i = 0; i < pixels.size(); ++i) {
    const std::uint32_t p = argb[i];
    const std::uint32_t a = p >> 24;
    const auto times = [a](std::uint32_t c) { return (c * a + 127) / 255; };
    pixels[i] = a << 24 | times((p >> 16) & 0xFF) << 16 | times((p >> 8) & 0xFF) << 8 | times(p & 0xFF);
  }
  XImage* image = XCreateImage(d, nullptr, 32, ZPixmap, 0, reinterpret_cast<char*>(pixels.data()),
                               static_cast<unsigned>(width), static_cast<unsigned>(height), 32, width * 4);
  if (!image) return 0;
  // The pixels are in this machine's byte order; Xlib reorders them for the server's.
  const std::uint32_t probe = 1;
  image->byte_order = *reinterpret_cast<const unsigned char*>(&probe) == 1 ? LSBFirst : MSBFirst;
  const Pixmap pixmap = XCreatePixmap(d, DefaultRootWindow(d), static_cast<unsigned>(width),
                                      static_cast<unsigned>(height), 32);
  GC gc = XCreateGC(d, pixmap, 0, nullptr);
  XPutImage(d, pixmap, gc, image, 0, 0, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height));
  XFreeGC(d, gc);
  image->data = nullptr;  // the pixels belong to the vector
  XDestroyImage(image);
  const Picture picture = XRenderCreatePicture(d, pixmap, format, 0, nullptr);
  const Cursor cursor = XRenderCreateCursor(d, picture, static_cast<unsigned>(hotX), static_cast<unsigned>(hotY));
  XRenderFreePicture(d, picture);
  XFreePixmap(d, pixmap);
  return cursor;
}

void FreeCursor(unsigned long cursor) {
  Display* d = TheDisplay();
  if (d && cursor) XFreeCursor(d, cursor);
}

void DefineCursor(unsigned long window, unsigned long cursor) {
  Display* d = TheDisplay();
  if (!d || !window) return;
  XDefineCursor(d, window, cursor);
  XFlush(d);
}

}  // namespace platform::x11
