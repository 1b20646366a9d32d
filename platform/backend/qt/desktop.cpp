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
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/backend/qt/presentation_scale.h"
#include "platform/backend/qt/qt_backend.h"
#include "platform/backend/qt/x11_window_state.h"
#include "platform/user/session.h"

namespace platform {
namespace {

std::optional<std::string> Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::optional<std::string>(value) : std::nullopt;
}

// Sets environment variables for as long as it lives, then puts back what was there: Qt reads
// them while it starts, and the programs the desktop's opener starts must get the user's own.
class EnvironmentForQt {
 public:
  void Set(const char* name, const std::optional<std::string>& value) {
    saved_.emplace_back(name, Environment(name));
    if (value) {
      setenv(name, value->c_str(), 1);
    } else {
      unsetenv(name);
    }
  }
  ~EnvironmentForQt() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      if (it->second) {
        setenv(it->first.c_str(), it->second->c_str(), 1);
      } else {
        unsetenv(it->first.c_str());
      }
    }
  }

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

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
  const std::optional<x11::ScreenDensity> density = x11::ProbeDisplay(display);
  if (!density) {
    std::fprintf(stderr, "%s: cannot open the X display \"%s\"\n", name.c_str(), display);
    return 1;
  }
  DensityHints hints;
  hints.lumivaneScale = Environment("LUMIVANE_SCALE");
  hints.gdkScale = Environment("GDK_SCALE");
  hints.qtScaleFactor = Environment("QT_SCALE_FACTOR");
  hints.qtScreenScaleFactors = Environment("QT_SCREEN_SCALE_FACTORS");
  hints.xResources = density->resources;
  hints.screenDpi = density->dpiAcross;
  const PresentationScale scale = ChoosePresentationScale(hints);
  if (!scale.warning.empty()) std::fprintf(stderr, "%s: %s\n", name.c_str(), scale.warning.c_str());

  std::optional<QApplication> qt;
  {
    // The program's pixels reach the screen as blocks of one whole factor, the same on every
    // screen: Qt's own scaling from the screens' densities is off, and the factor is Qt's
    // global one.
    EnvironmentForQt environment;
    environment.Set("QT_QPA_PLATFORM", "xcb");
    environment.Set("QT_ENABLE_HIGHDPI_SCALING", "0");
    environment.Set("QT_SCALE_FACTOR", std::to_string(scale.factor));
    for (const char* perScreen : {"QT_SCREEN_SCALE_FACTORS", "QT_AUTO_SCREEN_SCALE_FACTOR", "QT_USE_PHYSICAL_DPI",
                                  "QT_SCALE_FACTOR_ROUNDING_POLICY"}) {
      environment.Set(perScreen, std::nullopt);
    }
    if (scale.factor > 1 && !Environment("QT_FONT_DPI")) {
      environment.Set("QT_FONT_DPI", std::to_string(scale.fontDpi));
    }
    qt.emplace(argc, argv);
  }
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

  Initialize(std::make_unique<QtBackend>(*qt, scale.factor));
  const int code = program(argc, argv);
  Shutdown();
  return code;
}

}  // namespace platform
