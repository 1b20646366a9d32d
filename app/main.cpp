// The program's entry: the desktop backend, the resources, the framework's main loop.
#include <QApplication>

#include "app/my_app.h"
#include "platform/backend/qt/qt_backend.h"
#include "platform/core/platform.h"
#include "platform/user/resources.h"
#include "res/resource.h"

// The one application object, made before the framework's entry runs.
CMyApp theApp;

int main(int argc, char** argv) {
  QApplication qt(argc, argv);
  platform::Initialize(std::make_unique<platform::QtBackend>(qt));
  user::RegisterResources(&ProgramResources());
  const int code = AfxWinMain(argc, argv);
  platform::Shutdown();
  return code;
}
