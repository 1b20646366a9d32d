// What the end-to-end tests need to run the real program on a real X desktop: an Xvfb server
// of the test's own with the openbox window manager and the trayer tray host, Xlib to look at
// the windows, xdotool to drive them, and a fixture that starts the program with a settings
// folder of its own for each test.
//
// This header includes Xlib, whose macros (None, Bool) clash with gtest and the program's
// headers: include it after them.
#pragma once

#include <gtest/gtest.h>
#include "platform/core/windef.h"
#include "platform/gdi/region.h"
#include "sky/star_table.h"

#include <X11/Xlib.h>
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace desktop_test {

// ---- Processes ----

// Starts a program with its standard error going to `errorLog` (and on to the terminal too
// with LUMIVANE_E2E_VERBOSE set), so that what it said can be shown when a test fails.
pid_t Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env, const std::string& errorLog,
            int keepFd = -1);

std::string ReadText(const std::string& path);

bool WaitUntil(const std::function<bool()>& ok, std::chrono::milliseconds limit);

// Exit status of a child, or nothing if it is still running after the limit.
std::optional<int> WaitForExit(pid_t pid, std::chrono::milliseconds limit);

void Stop(pid_t pid);

// Whether a child is still running (reaping it if it has ended).
bool Running(pid_t pid);

// Runs a shell command; a failing command fails the test.
void Shell(const std::string& command);

// ---- Windows, as the X server sees them ----

std::vector<Atom> AtomList(Display* d, Window w, const char* property);

bool HasState(Display* d, Window w, const char* state);

std::string ClassOf(Display* d, Window w);

struct Geometry {
  int x = 0, y = 0, width = 0, height = 0;
};

Geometry GeometryOf(Display* d, Window w);

void Walk(Display* d, Window w, const std::function<void(Window, Window)>& visit, Window parent = 0);

// The window's outline as the X server keeps it.
gdi::Region ShapeOf(Display* d, Window w);

// How many pixels of a square window of the given size, and of the ring just outside it,
// the outline gets wrong for the ellipse inscribed in the window.
int PixelsOffTheEllipse(const gdi::Region& shape, int size);

// The program's own override-redirect windows that are on screen: its balloons.
std::vector<Window> BalloonWindows(Display* d);

// Whether `upper` is higher in the stacking order than the top-level window holding `lower`
// (the window manager's frame round it, if any).
bool StackedAbove(Display* d, Window upper, Window lower);

// Windows of the program's own, by title, on the screen now.
std::vector<Window> WindowsTitled(Display* d, const std::string& title);

// Where the program's menu (the window's or the tray icon's, the same commands) stands on
// the screen, if it is open: an override-redirect window too big for a balloon.
std::optional<Geometry> MenuOnScreen(Display* d);

bool IsActive(Display* d, Window w);

// The colours of an area of a window, row by row.
std::vector<unsigned long> PixelsOf(Display* d, Window w, int x, int y, int width, int height);

std::vector<unsigned long> PixelsOf(Display* d, Window w);

// A picture over the whole screen below every window the window manager stacks, standing in
// for the desktop's wallpaper, for as long as the object lives: each pixel says where it is.
class PatternedDesktop {
 public:
  PatternedDesktop(Display* d, int width, int height);
  ~PatternedDesktop();
  PatternedDesktop(const PatternedDesktop&) = delete;
  PatternedDesktop& operator=(const PatternedDesktop&) = delete;

  // Puts it back beneath everything, such as another unmanaged window lowered after it.
  void Lower();
  // The colour of the picture at a point of the screen.
  static std::uint32_t At(int x, int y);

 private:
  Display* d_;
  Window window_ = 0;
  Pixmap pixmap_ = 0;
};

// ---- The pointer ----

void ClickAt(int x, int y);

// xdotool commands that press and release the right button at a point of the screen.
std::string RightClickAt(int x, int y);

// ---- The program's sky ----

// Where today's sky lies on the map for a window of the given size.
POINT TodaysOrigin(int size);

// The star table the program reads, from beside it.
struct ProgramStarTable {
  ProgramStarTable();
  ~ProgramStarTable();
  ProgramStarTable(const ProgramStarTable&) = delete;
  ProgramStarTable& operator=(const ProgramStarTable&) = delete;

  // The first star of the table whose image the largest window shows today away from its
  // edges: where it is in the window, and its title.
  std::optional<std::pair<POINT, std::string>> InTodaysWindow() const;
  // A point of today's window of the given size, at least 20 pixels in from its edges, that
  // no star's rectangle comes within 3 pixels of; nothing if there is none.
  std::optional<POINT> AwayFromTheStars(int size) const;

  CStarTable stars;
};

// ---- Sound ----

// A sound server of the test's own, playing into a null sink, and what plays into it.
class NullSoundServer {
 public:
  explicit NullSoundServer(const std::string& folder);
  ~NullSoundServer();
  NullSoundServer(const NullSoundServer&) = delete;
  NullSoundServer& operator=(const NullSoundServer&) = delete;

  bool Ready() const { return ready_; }
  // For the program: where the server is.
  const std::vector<std::string>& Environment() const { return env_; }
  // How many streams play now.
  int Streams();

 private:
  std::optional<std::string> Pactl(const std::string& what);

  std::string folder_;
  std::vector<std::string> env_;
  pid_t server_ = -1;
  bool ready_ = false;
};

// ---- The desktop ----

struct DesktopOptions {
  // Xvfb's arguments that lay out its screens, such as {"-screen", "0", "1024x768x24"}.
  std::vector<std::string> screenArguments;
  // The tray host's height in pixels.
  int trayHeight = 24;
  // The monitors the screen is divided into, as a desktop of several monitors reports them
  // (RandR monitors, which the Xinerama extension reports too); the first is the primary
  // one. None: the screen is one monitor.
  std::vector<Geometry> monitors;
};

// The X server, the window manager and the tray host, and the test's own connection to the
// server. Start and Stop report trouble through gtest's assertions, so that they can be
// called from a fixture's SetUpTestSuite and TearDownTestSuite.
class TestDesktop {
 public:
  // Starts the three, each one waited for until it answers, in that order, and points
  // DISPLAY at the server. On a fatal failure it prints what the desktop's programs said.
  void Start(const DesktopOptions& options);
  // Closes the connection, stops the three and removes their logs.
  void Stop();

  // The server's display name, such as ":1".
  const std::string& DisplayName() const { return display_; }
  Display* Connection() const { return x_; }
  // What the desktop's programs wrote on their standard error.
  std::string Logs() const;

 private:
  void Launch(const DesktopOptions& options);

  pid_t xvfb_ = -1, openbox_ = -1, trayer_ = -1;
  std::string display_;
  std::string logs_;
  Display* x_ = nullptr;
};

// A fixture for tests of the program on a desktop shared by the whole suite. The derived
// fixture lays the desktop out: its SetUpTestSuite calls StartDesktop.
class DesktopFixture : public ::testing::Test {
 protected:
  static void StartDesktop(const DesktopOptions& options) { desktop_.Start(options); }
  static void TearDownTestSuite() { desktop_.Stop(); }
  // The test's own connection to the desktop's X server.
  static Display* X() { return desktop_.Connection(); }

  // Each test gets a configuration folder of its own, where the program keeps its settings
  // and its log.
  void SetUp() override;
  // Stops the program; on a failure prints what it and the desktop's programs said.
  void TearDown() override;

  std::filesystem::path SettingsFile() const;
  void Setting(const char* name, int value);
  std::optional<int> ReadSetting(const char* name) const;

  // Starts the program and waits for its window to be mapped; returns that window.
  Window StartProgram(std::vector<std::string> env = {});

  // The program's icon docked inside the tray host, if any.
  Window TrayIcon();

  static inline TestDesktop desktop_;
  pid_t program_ = -1;
  std::string config_;
};

}  // namespace desktop_test
