// The program's entry: on the desktop, with its resources, the framework's main loop.
#include <cstdio>
#include <cstring>

#include "app/my_app.h"
#include "platform/backend/qt/desktop.h"
#include "platform/user/resources.h"
#include "res/resource.h"

// The one application object, made before the framework's entry runs.
CMyApp theApp;

namespace {

constexpr const char* kHelp =
    "Usage: lumivane [--help | --version]\n"
    "\n"
    "Lumivane puts a small square or round roof window on the desktop through which the\n"
    "night sky of today's date is seen, with a painted frame, a clock, shooting stars,\n"
    "satellites and the names of the stars. Drag it to move it, double-click its upper or\n"
    "lower half to make it larger or smaller, and use its menu (right button, or the tray\n"
    "icon) for the settings, help and the about box.\n"
    "\n"
    "It takes no other arguments. It needs an X display (XWayland in a Wayland session).\n"
    "Settings: $XDG_CONFIG_HOME/Orvant/Lumivane.ini (~/.config/Orvant/Lumivane.ini).\n"
    "\n"
    "  --help     show this text and end\n"
    "  --version  show the version and end\n";

}  // namespace

int main(int argc, char** argv) {
  // Answered before anything starts: these need no display.
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    std::fputs(kHelp, stdout);
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("Lumivane %s\n", kProductVersion);
    return 0;
  }
  return platform::RunOnDesktop(argc, argv, [](int programArgc, char** programArgv) {
    user::RegisterResources(&ProgramResources());
    return AfxWinMain(programArgc, programArgv);
  });
}
