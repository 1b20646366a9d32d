#include "platform/backend/qt/desktop.h"

#include <QApplication>
#include <QSocketNotifier>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/backend/qt/qt_backend.h"
#include "platform/backend/qt/x11_window_state.h"
#include "platform/user/session.h"

namespace platform {
namespace {

// Signal handlers may only write to a pipe; the event loop reads it.
int g_signalPipe[2] = {-1, -1};

void OnTerminationSignal(int) {
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = write(g_signalPipe[1], &byte, 1);
}

}  // namespace

int RunOnDesktop(int& argc, char** argv, const std::function<int(int, char**)>& program) {
  // The windows rely on X11: placement, shapes, staying on top, the screen copy. In a
  // Wayland session the program runs on XWayland; without any X display it cannot run.
  const char* display = std::getenv("DISPLAY");
  const std::string name = argc > 0 ? std::filesystem::path(argv[0]).filename().string() : "Lumivane";
  if (!display || !*display) {
    std::fprintf(stderr, "%s: no X display (DISPLAY is not set); it needs X11, or XWayland in a Wayland session\n",
                 name.c_str());
    return 1;
  }
  if (!x11::CanOpenDisplay(display)) {
    std::fprintf(stderr, "%s: cannot open the X display \"%s\"\n", name.c_str(), display);
    return 1;
  }
  qputenv("QT_QPA_PLATFORM", "xcb");
  // Pixels are the program's own: no scaling between its drawing and the screen.
  qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
  QApplication qt(argc, argv);
  // Non-blocking: a burst of signals must never block the handler on a full pipe.
  if (pipe2(g_signalPipe, O_NONBLOCK | O_CLOEXEC) != 0) return 1;
  QSocketNotifier notifier(g_signalPipe[0], QSocketNotifier::Read);
  // A request to end (logout, kill) ends the program the ordinary way, so that it saves
  // what it saves at exit; menus and dialogs that are open end first.
  QObject::connect(&notifier, &QSocketNotifier::activated, [] {
    char bytes[64];
    while (read(g_signalPipe[0], bytes, sizeof bytes) > 0) {
    }
    RequestTermination();
  });
  struct sigaction action {};
  action.sa_handler = OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &action, nullptr);

  Initialize(std::make_unique<QtBackend>(qt));
  const int code = program(argc, argv);
  Shutdown();
  return code;
}

}  // namespace platform
