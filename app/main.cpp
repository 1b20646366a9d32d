// The program's entry: the desktop backend, the resources, the framework's main loop.
#include <QApplication>
#include <QSocketNotifier>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include "app/my_app.h"
#include "platform/backend/qt/qt_backend.h"
#include "platform/user/resources.h"
#include "platform/user/session.h"
#include "res/resource.h"

// The one application object, made before the framework's entry runs.
CMyApp theApp;

namespace {

int g_signalPipe[2] = {-1, -1};

void OnTerminate(int) {
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = write(g_signalPipe[1], &byte, 1);
}

// A request to end (logout, kill) closes the program the ordinary way, so that its
// settings are saved and its tray icon goes away.
void CloseOnTerminationSignals(QSocketNotifier& notifier) {
  QObject::connect(&notifier, &QSocketNotifier::activated, [] {
    char bytes[64];
    while (read(g_signalPipe[0], bytes, sizeof bytes) > 0) {
    }
    // Menus and dialogs that are open end first; the main window closes after them.
    platform::RequestTermination();
  });
  struct sigaction action {};
  action.sa_handler = OnTerminate;
  sigemptyset(&action.sa_mask);
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGHUP, &action, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  // Pixels are the program's own: no scaling between its drawing and the screen.
  qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
  QApplication qt(argc, argv);
  // Non-blocking: a burst of signals must never block the handler on a full pipe.
  if (pipe2(g_signalPipe, O_NONBLOCK | O_CLOEXEC) != 0) return 1;
  QSocketNotifier notifier(g_signalPipe[0], QSocketNotifier::Read);
  CloseOnTerminationSignals(notifier);
  platform::Initialize(std::make_unique<platform::QtBackend>(qt));
  user::RegisterResources(&ProgramResources());
  const int code = AfxWinMain(argc, argv);
  platform::Shutdown();
  return code;
}
