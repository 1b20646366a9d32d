// Running a program on the real desktop: the one place that starts Qt. A program's entry
// point calls RunOnDesktop and never touches Qt itself.
#pragma once

#include <functional>

namespace platform {

// Runs on X11 only (XWayland in a Wayland session): without an X display it says so in one
// line and returns 1. Makes the Qt application (which takes its own options out of argc and argv), starts the
// platform session on the desktop backend, turns the termination signals (SIGTERM, SIGINT,
// SIGHUP) into RequestTermination, runs `program` with the remaining arguments, and ends
// the session. Returns the program's exit status.
int RunOnDesktop(int& argc, char** argv, const std::function<int(int argc, char** argv)>& program);

}  // namespace platform
