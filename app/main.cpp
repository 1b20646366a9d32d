// The program's entry: on the desktop, with its resources, the framework's main loop.
#include "app/my_app.h"
#include "platform/backend/qt/desktop.h"
#include "platform/user/resources.h"
#include "res/resource.h"

// The one application object, made before the framework's entry runs.
CMyApp theApp;

int main(int argc, char** argv) {
  return platform::RunOnDesktop(argc, argv, [](int programArgc, char** programArgv) {
    user::RegisterResources(&ProgramResources());
    return AfxWinMain(programArgc, programArgv);
  });
}
