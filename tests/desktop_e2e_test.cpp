// The real program on a real X desktop: an Xvfb server of its own with the openbox window
// manager and the trayer tray host, looked at with Xlib and driven with xdotool.
// gtest and the program's headers go before Xlib, whose macros (None, Bool) clash.
#include <gtest/gtest.h>
#include "image/sbm_reader.h"
#include "platform/core/profile_store.h"
#include "platform/gdi/region.h"
#include "sky/sky_placement.h"
#include "sky/star_table.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <algorithm>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;

// Starts a program with its standard error going to `errorLog` (and on to the terminal too
// with LUMIVANE_E2E_VERBOSE set), so that what it said can be shown when a test fails.
pid_t Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env, const std::string& errorLog,
            int keepFd = -1) {
  const pid_t pid = fork();
  if (pid == 0) {
    // Whatever ends the test process (a crash, a timeout's kill) ends what it started too.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    for (const std::string& e : env) putenv(strdup(e.c_str()));
    const int devnull = open("/dev/null", O_RDWR);
    dup2(devnull, 0);
    dup2(devnull, 1);
    if (!getenv("LUMIVANE_E2E_VERBOSE")) {
      const int log = open(errorLog.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
      dup2(log >= 0 ? log : devnull, 2);
    }
    for (int fd = 3; fd < 256; ++fd) {
      if (fd != keepFd) close(fd);
    }
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  return pid;
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool WaitUntil(const std::function<bool()>& ok, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < end) {
    if (ok()) return true;
    std::this_thread::sleep_for(50ms);
  }
  return ok();
}

// Exit status of a child, or nothing if it is still running after the limit.
std::optional<int> WaitForExit(pid_t pid, std::chrono::milliseconds limit) {
  std::optional<int> status;
  WaitUntil(
      [&] {
        int s = 0;
        if (waitpid(pid, &s, WNOHANG) == pid) status = WIFEXITED(s) ? WEXITSTATUS(s) : 128 + WTERMSIG(s);
        return status.has_value();
      },
      limit);
  return status;
}

void Stop(pid_t pid) {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  if (!WaitForExit(pid, 3s)) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
}

std::vector<Atom> AtomList(Display* d, Window w, const char* property) {
  std::vector<Atom> out;
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(d, w, XInternAtom(d, property, False), 0, 1024, False, AnyPropertyType, &type, &format,
                         &count, &after, &data) == Success &&
      data && format == 32) {
    const auto* values = reinterpret_cast<const unsigned long*>(data);
    out.assign(values, values + count);
  }
  if (data) XFree(data);
  return out;
}

bool HasState(Display* d, Window w, const char* state) {
  const Atom want = XInternAtom(d, state, False);
  for (Atom a : AtomList(d, w, "_NET_WM_STATE")) {
    if (a == want) return true;
  }
  return false;
}

std::string ClassOf(Display* d, Window w) {
  XClassHint hint{};
  if (!XGetClassHint(d, w, &hint)) return {};
  std::string name = hint.res_name ? hint.res_name : "";
  if (hint.res_name) XFree(hint.res_name);
  if (hint.res_class) XFree(hint.res_class);
  return name;
}

struct Geometry {
  int x = 0, y = 0, width = 0, height = 0;
};

Geometry GeometryOf(Display* d, Window w) {
  XWindowAttributes a{};
  XGetWindowAttributes(d, w, &a);
  Window child = 0;
  Geometry g;
  XTranslateCoordinates(d, w, DefaultRootWindow(d), 0, 0, &g.x, &g.y, &child);
  g.width = a.width;
  g.height = a.height;
  return g;
}

void Walk(Display* d, Window w, const std::function<void(Window, Window)>& visit, Window parent = 0) {
  visit(w, parent);
  Window root = 0, up = 0;
  Window* children = nullptr;
  unsigned int n = 0;
  if (!XQueryTree(d, w, &root, &up, &children, &n)) return;
  std::vector<Window> list(children, children + n);
  if (children) XFree(children);
  for (Window c : list) Walk(d, c, visit, w);
}

// The window's outline as the X server keeps it.
gdi::Region ShapeOf(Display* d, Window w) {
  int count = 0, ordering = 0;
  XRectangle* rects = XShapeGetRectangles(d, w, ShapeBounding, &count, &ordering);
  gdi::Region shape;
  for (int i = 0; i < count; ++i) {
    shape = gdi::Region::Or(shape, gdi::Region::FromRect(rects[i].x, rects[i].y, rects[i].x + rects[i].width,
                                                         rects[i].y + rects[i].height));
  }
  if (rects) XFree(rects);
  return shape;
}

// How many pixels of a square window of the given size, and of the ring just outside it,
// the outline gets wrong for the ellipse inscribed in the window.
int PixelsOffTheEllipse(const gdi::Region& shape, int size) {
  const gdi::Region ellipse = gdi::Region::Ellipse(0, 0, size, size);
  int wrong = 0;
  for (int y = -1; y <= size; ++y) {
    for (int x = -1; x <= size; ++x) wrong += shape.Contains(x, y) != ellipse.Contains(x, y);
  }
  return wrong;
}

void Shell(const std::string& command) { ASSERT_EQ(std::system(command.c_str()), 0) << command; }

// Where today's sky lies on the map for a window of the given size.
POINT TodaysOrigin(int size) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return sky::SkyOrigin(local.tm_mon + 1, local.tm_mday, size, size);
}

// The star table the program reads, from beside it.
struct ProgramStarTable {
  ProgramStarTable() { sky::LoadStarTable((fs::path(LV_PROGRAM_PATH).parent_path() / "SPup.sbd").c_str(), stars); }
  ~ProgramStarTable() {
    for (CStarDataObject* s : stars) delete s;
  }
  ProgramStarTable(const ProgramStarTable&) = delete;
  ProgramStarTable& operator=(const ProgramStarTable&) = delete;

  // The first star of the table whose image the largest window shows today away from its
  // edges: where it is in the window, and its title.
  std::optional<std::pair<POINT, std::string>> InTodaysWindow() const {
    const POINT origin = TodaysOrigin(350);
    for (const CStarDataObject* s : stars) {
      for (const CRect& r : {s->m_rcFirst, s->m_rcSecond}) {
        const POINT centre{(r.left + r.right) / 2 - origin.x, (r.top + r.bottom) / 2 - origin.y};
        if (centre.x >= 30 && centre.x <= 320 && centre.y >= 30 && centre.y <= 320) return std::pair{centre, s->m_strTitle};
      }
    }
    return std::nullopt;
  }

  CStarTable stars;
};

class DesktopTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    char pattern[] = "/tmp/lumivane-e2e-logs-XXXXXX";
    logs_ = mkdtemp(pattern);
    StartDesktop();
    if (::testing::Test::HasFatalFailure()) std::cerr << DesktopLogs();
  }

  // The X server, the window manager and the tray host, each one waited for until it
  // answers, in that order.
  static void StartDesktop() {
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    // -noreset: the server must not start over should its clients ever all leave at once.
    xvfb_ = Spawn({"Xvfb", "-displayfd", std::to_string(pipeFds[1]), "-noreset", "-screen", "0",
                   std::to_string(kScreenWidth) + "x" + std::to_string(kScreenHeight) + "x24", "-nolisten", "tcp"},
                  {}, logs_ + "/Xvfb.log", pipeFds[1]);
    close(pipeFds[1]);
    // The server writes the number and then, in a write of its own, a newline, and a
    // failure to write that newline is fatal to it. So the pipe stays open until the
    // newline has come (or the server has gone), never closed after the first piece.
    std::string number;
    char chunk[32];
    while (number.find('\n') == std::string::npos) {
      const ssize_t n = read(pipeFds[0], chunk, sizeof chunk);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      number.append(chunk, static_cast<size_t>(n));
    }
    close(pipeFds[0]);
    while (!number.empty() && number.back() == '\n') number.pop_back();
    ASSERT_FALSE(number.empty()) << "Xvfb did not start";
    display_ = ":" + number;
    setenv("DISPLAY", display_.c_str(), 1);
    // Ready once it has written its number. A server that has died must not be waited for:
    // its display number may then reach another server on this machine (abstract sockets
    // are shared between roots).
    ASSERT_TRUE(Running(xvfb_)) << "Xvfb ended";
    x_ = XOpenDisplay(display_.c_str());
    ASSERT_NE(x_, nullptr) << "no connection to Xvfb on " << display_;
    // The test looks at other clients' windows, which may go away between two requests: a
    // request about a window that is gone then fails and answers nothing, instead of ending
    // the test process as Xlib's default handler would.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });

    openbox_ = Spawn({"openbox"}, {"DISPLAY=" + display_}, logs_ + "/openbox.log");
    ASSERT_TRUE(WaitUntil(
        [] {
          XSync(x_, False);
          return !Running(openbox_) || !AtomList(x_, DefaultRootWindow(x_), "_NET_SUPPORTING_WM_CHECK").empty();
        },
        10s));
    ASSERT_TRUE(Running(openbox_)) << "openbox ended";
    ASSERT_FALSE(AtomList(x_, DefaultRootWindow(x_), "_NET_SUPPORTING_WM_CHECK").empty()) << "openbox did not start";
    trayer_ = Spawn({"trayer", "--edge", "bottom", "--align", "right", "--widthtype", "pixel", "--width", "120",
                     "--heighttype", "pixel", "--height", "24", "--transparent", "false"},
                    {"DISPLAY=" + display_}, logs_ + "/trayer.log");
    const Atom tray = XInternAtom(x_, "_NET_SYSTEM_TRAY_S0", False);
    ASSERT_TRUE(WaitUntil([&] { return !Running(trayer_) || XGetSelectionOwner(x_, tray) != 0; }, 10s));
    ASSERT_TRUE(Running(trayer_)) << "trayer ended";
    ASSERT_NE(XGetSelectionOwner(x_, tray), 0u) << "trayer did not start";
  }

  // Whether a child is still running (reaping it if it has ended).
  static bool Running(pid_t pid) { return pid > 0 && waitpid(pid, nullptr, WNOHANG) == 0; }

  // What the desktop's programs wrote on their standard error.
  static std::string DesktopLogs() {
    std::string all;
    for (const char* name : {"Xvfb", "openbox", "trayer"}) {
      const std::string text = ReadText(logs_ + "/" + name + ".log");
      if (!text.empty()) all += "---- " + std::string(name) + " said:\n" + text;
    }
    return all;
  }

  static void TearDownTestSuite() {
    if (x_) XCloseDisplay(x_);
    x_ = nullptr;
    Stop(trayer_);
    Stop(openbox_);
    Stop(xvfb_);
    fs::remove_all(logs_);
  }

  void SetUp() override {
    char pattern[] = "/tmp/lumivane-e2e-XXXXXX";
    config_ = mkdtemp(pattern);
  }

  void TearDown() override {
    Stop(program_);
    program_ = -1;
    if (HasFailure()) {
      const std::string said = ReadText(config_ + "/program.log");
      if (!said.empty()) std::cerr << "---- the program said:\n" << said;
      std::cerr << DesktopLogs();
    }
    fs::remove_all(config_);
  }

  fs::path SettingsFile() const { return fs::path(config_) / "Orvant" / "Lumivane.ini"; }

  void Setting(const char* name, int value) {
    ASSERT_TRUE(platform::ProfileStore(SettingsFile()).WriteInt("Config", name, value));
  }

  std::optional<int> ReadSetting(const char* name) const {
    return platform::ProfileStore(SettingsFile()).ReadInt("Config", name);
  }

  // Starts the program and waits for its window to be mapped; returns that window.
  Window StartProgram(std::vector<std::string> env = {}) {
    env.push_back("XDG_CONFIG_HOME=" + config_);
    env.push_back("DISPLAY=" + display_);
    program_ = Spawn({LV_PROGRAM_PATH}, env, config_ + "/program.log");
    Window found = 0;
    WaitUntil(
        [&] {
          XSync(x_, False);
          for (Atom w : AtomList(x_, DefaultRootWindow(x_), "_NET_CLIENT_LIST")) {
            XWindowAttributes a{};
            if (ClassOf(x_, w) == "Lumivane" && XGetWindowAttributes(x_, w, &a) && a.map_state == IsViewable &&
                a.width >= 100) {
              found = w;
            }
          }
          return found != 0;
        },
        10s);
    // Give the first paint and the tray a moment.
    std::this_thread::sleep_for(300ms);
    return found;
  }

  // The program's icon docked inside the tray host, if any.
  Window TrayIcon() {
    const Window owner = XGetSelectionOwner(x_, XInternAtom(x_, "_NET_SYSTEM_TRAY_S0", False));
    Window icon = 0;
    Walk(x_, DefaultRootWindow(x_), [&](Window w, Window parent) {
      if (parent != DefaultRootWindow(x_) && ClassOf(x_, w) == "Lumivane") icon = w;
    });
    return owner ? icon : 0;
  }

  static inline pid_t xvfb_ = -1, openbox_ = -1, trayer_ = -1;
  static inline std::string display_;
  static inline std::string logs_;
  static inline Display* x_ = nullptr;
  pid_t program_ = -1;
  std::string config_;
};

TEST_F(DesktopTest, OpensUndecoratedInTheMiddleWithoutTaskbarEntryAndEndsFromTheTrayMenu) {
  const Window w = StartProgram();
  ASSERT_NE(w, 0u) << "no program window was mapped";
  const Geometry g = GeometryOf(x_, w);
  EXPECT_EQ(g.width, 150);
  EXPECT_EQ(g.height, 150);
  EXPECT_EQ(g.x, (kScreenWidth - 150) / 2);
  EXPECT_EQ(g.y, (kScreenHeight - 150) / 2);
  const std::vector<Atom> extents = AtomList(x_, w, "_NET_FRAME_EXTENTS");
  ASSERT_EQ(extents.size(), 4u);
  for (Atom e : extents) EXPECT_EQ(e, 0u) << "the window manager drew a frame";
  EXPECT_TRUE(HasState(x_, w, "_NET_WM_STATE_SKIP_TASKBAR"));
  EXPECT_FALSE(HasState(x_, w, "_NET_WM_STATE_ABOVE"));
  int count = 0, ordering = 0;
  XRectangle* rects = XShapeGetRectangles(x_, w, ShapeBounding, &count, &ordering);
  ASSERT_EQ(count, 1) << "a square window keeps its whole rectangle";
  EXPECT_EQ(rects[0].width, 150);
  XFree(rects);

  // Dragged with the left button, it follows the pointer.
  Shell("xdotool mousemove " + std::to_string(g.x + 70) + " " + std::to_string(g.y + 70) + " sleep 0.2 mousedown 1" +
      " sleep 0.3 mousemove " + std::to_string(g.x + 120) + " " + std::to_string(g.y + 90) + " sleep 0.2 mousemove " +
      std::to_string(g.x + 170) + " " + std::to_string(g.y + 110) + " sleep 0.3 mouseup 1");
  EXPECT_TRUE(WaitUntil([&] { return GeometryOf(x_, w).x == g.x + 100 && GeometryOf(x_, w).y == g.y + 40; }, 3s))
      << "window at " << GeometryOf(x_, w).x << ", " << GeometryOf(x_, w).y;

  // The tray icon's menu ends the program.
  const Window icon = TrayIcon();
  ASSERT_NE(icon, 0u) << "no tray icon docked";
  const Geometry ig = GeometryOf(x_, icon);
  Shell("xdotool mousemove " + std::to_string(ig.x + ig.width / 2) + " " + std::to_string(ig.y + ig.height / 2) +
      " sleep 0.2 mousedown 3 sleep 0.1 mouseup 3 sleep 0.6 key x");
  const std::optional<int> status = WaitForExit(program_, 10s);
  ASSERT_TRUE(status.has_value()) << "the program did not end";
  program_ = -1;
  EXPECT_EQ(*status, 0);
  EXPECT_EQ(ReadSetting("BeforePositionPosX"), g.x + 100);
  EXPECT_EQ(ReadSetting("BeforePositionPosY"), g.y + 40);
  for (const char* name : {"EdgeFlg", "ShootingStarLevel", "FrameSizeNo", "BkMode", "ClockColor"}) {
    EXPECT_TRUE(ReadSetting(name).has_value()) << name;
  }
}

TEST_F(DesktopTest, RoundWindowIsShapedAsTheInscribedEllipse) {
  Setting("CircleEdgeFlg", 1);
  const Window w = StartProgram();
  ASSERT_NE(w, 0u);
  const gdi::Region shape = ShapeOf(x_, w);
  EXPECT_EQ(PixelsOffTheEllipse(shape, 150), 0);
  EXPECT_TRUE(shape.Contains(75, 0));
  EXPECT_FALSE(shape.Contains(0, 0));
  EXPECT_FALSE(shape.Contains(149, 149));
}

TEST_F(DesktopTest, TopmostWindowStaysAboveAndHasATaskbarEntry) {
  Setting("TopMostFlg", 1);
  const Window w = StartProgram();
  ASSERT_NE(w, 0u);
  EXPECT_TRUE(WaitUntil([&] { return HasState(x_, w, "_NET_WM_STATE_ABOVE"); }, 3s));
  EXPECT_FALSE(HasState(x_, w, "_NET_WM_STATE_SKIP_TASKBAR"));

  // Asked to end by a signal (a logout, say), it closes the ordinary way.
  kill(program_, SIGTERM);
  const std::optional<int> status = WaitForExit(program_, 10s);
  ASSERT_TRUE(status.has_value());
  program_ = -1;
  EXPECT_EQ(*status, 0);
  EXPECT_EQ(ReadSetting("BeforePositionPosX"), (kScreenWidth - 150) / 2);
}

TEST_F(DesktopTest, PointerOverTheWindowIsTheArrowWithACirclingStar) {
  const Window w = StartProgram();
  ASSERT_NE(w, 0u);
  const Geometry g = GeometryOf(x_, w);
  Shell("xdotool mousemove " + std::to_string(g.x + 75) + " " + std::to_string(g.y + 75));
  auto starPixels = [&](std::vector<unsigned long>* pixels) {
    XFixesCursorImage* c = XFixesGetCursorImage(x_);
    if (!c) return -1;
    int yellow = -1;
    if (c->width == 32 && c->height == 32 && c->xhot == 13 && c->yhot == 8) {
      yellow = 0;
      pixels->assign(c->pixels, c->pixels + 32 * 32);
      for (unsigned long p : *pixels) yellow += (p & 0xFFFFFFu) == 0xFFFF00u && ((p >> 24) & 0xFFu) == 0xFFu;
    }
    XFree(c);
    return yellow;
  };
  std::vector<unsigned long> first, later;
  ASSERT_TRUE(WaitUntil([&] { return starPixels(&first) > 0; }, 3s)) << "the star pointer is not shown";
  // The star moves on every tick of the animation.
  EXPECT_TRUE(WaitUntil([&] { return starPixels(&later) > 0 && later != first; }, 2s));
}

}  // namespace

namespace {

TEST_F(DesktopTest, CtrlSSavesAnEmptyDocumentThroughTheFileDialog) {
  const Window w = StartProgram();
  ASSERT_NE(w, 0u);
  const std::string saved = config_ + "/saved.doc";
  // The file name field has the focus when the dialog opens.
  Shell("xdotool key ctrl+s sleep 1.2 key ctrl+a type '" + saved + "'");
  Shell("xdotool sleep 0.3 key Return");
  EXPECT_TRUE(WaitUntil([&] { return fs::exists(saved); }, 5s)) << "no file was written";
  if (fs::exists(saved)) {
    EXPECT_EQ(fs::file_size(saved), 0u);
  }
  // The program carries on, its window active again.
  EXPECT_TRUE(WaitUntil([&] { return AtomList(x_, DefaultRootWindow(x_), "_NET_ACTIVE_WINDOW") ==
                                     std::vector<Atom>{w}; },
                        3s));
}

}  // namespace

namespace {

TEST_F(DesktopTest, TheWindowShowsTodaysSkyCutFromTheMap) {
  Setting("EdgeFlg", 0);
  Setting("ShootingStarLevel", 0);
  Setting("SateltLevel", 0);
  const Window w = StartProgram();
  ASSERT_NE(w, 0u);
  const POINT origin = TodaysOrigin(150);

  const fs::path mapFile = fs::path(LV_PROGRAM_PATH).parent_path() / "SkyMapHi.SBM";
  image::sbm::FileSource source(mapFile.c_str());
  image::sbm::Picture picture;
  ASSERT_EQ(image::sbm::ReadPicture(source, picture), image::sbm::ReadOutcome::kLoaded);
  const auto map = image::sbm::ToArgb(picture);
  ASSERT_TRUE(map.has_value());

  XImage* shot = XGetImage(x_, w, 0, 0, 150, 150, AllPlanes, ZPixmap);
  ASSERT_NE(shot, nullptr);
  int wrong = 0;
  int lit = 0;
  for (int y = 0; y < 150; ++y) {
    for (int x = 0; x < 150; ++x) {
      const unsigned long got = XGetPixel(shot, x, y) & 0xFFFFFF;
      const std::uint32_t want = map->argb[static_cast<size_t>(origin.y + y) * map->width + origin.x + x] & 0xFFFFFF;
      wrong += got != want;
      lit += want != 0;
    }
  }
  XDestroyImage(shot);
  EXPECT_EQ(wrong, 0);
  EXPECT_GT(lit, 20);
}

}  // namespace

namespace {

TEST_F(DesktopTest, AFileNameOnTheCommandLineIsRefusedAndTheSettingsStay) {
  Setting("FrameSizeNo", 6);
  Setting("ClockColor", 3);
  const std::string file = config_ + "/some.doc";
  std::ofstream(file).close();
  const std::string before = ReadText(SettingsFile().string());
  program_ = Spawn({LV_PROGRAM_PATH, file}, {"XDG_CONFIG_HOME=" + config_, "DISPLAY=" + display_},
                   config_ + "/program.log");
  const std::optional<int> status = WaitForExit(program_, 10s);
  ASSERT_TRUE(status.has_value());
  program_ = -1;
  EXPECT_EQ(*status, 2);
  EXPECT_NE(ReadText(config_ + "/program.log").find("unexpected argument \"" + file + "\""), std::string::npos);
  EXPECT_EQ(ReadText(SettingsFile().string()), before);
}

// A termination signal while something modal is open: it closes, then the program ends the
// ordinary way, saving its values and taking its tray icon away.
TEST_F(DesktopTest, ATerminationSignalEndsTheProgramWhileItsMenuOrFileDialogIsOpen) {
  for (const bool menu : {true, false}) {
    SCOPED_TRACE(menu ? "tray menu" : "file dialog");
    fs::remove(SettingsFile());
    const Window w = StartProgram();
    ASSERT_NE(w, 0u);
    const Window icon = TrayIcon();
    ASSERT_NE(icon, 0u);
    // Something new is mapped: the menu or the dialog.
    auto mappedWindows = [&] {
      int count = 0;
      Walk(x_, DefaultRootWindow(x_), [&](Window child, Window parent) {
        XWindowAttributes a{};
        if (parent == DefaultRootWindow(x_) && XGetWindowAttributes(x_, child, &a) && a.map_state == IsViewable) {
          ++count;
        }
      });
      return count;
    };
    const int before = mappedWindows();
    if (menu) {
      const Geometry ig = GeometryOf(x_, icon);
      Shell("xdotool mousemove " + std::to_string(ig.x + ig.width / 2) + " " + std::to_string(ig.y + ig.height / 2) +
            " sleep 0.2 mousedown 3 sleep 0.1 mouseup 3");
    } else {
      Shell("xdotool key ctrl+o");
    }
    ASSERT_TRUE(WaitUntil([&] { return mappedWindows() > before; }, 5s)) << "nothing opened";
    std::this_thread::sleep_for(300ms);
    kill(program_, SIGTERM);
    const std::optional<int> status = WaitForExit(program_, 10s);
    ASSERT_TRUE(status.has_value()) << "the program did not end";
    program_ = -1;
    EXPECT_EQ(*status, 0);
    EXPECT_EQ(ReadSetting("BeforePositionPosX"), (kScreenWidth - 150) / 2);
    EXPECT_EQ(ReadSetting("FrameSizeNo"), 3);
    EXPECT_TRUE(WaitUntil([&] { return TrayIcon() == 0; }, 3s)) << "the tray icon stayed";
  }
}

// "Always on top" chosen through the window manager (a pager, a window menu) survives the
// program's paints, which set the title and styles again each time.
TEST_F(DesktopTest, KeptAboveByTheUserItStaysAboveWhileItPaints) {
  Setting("ShootingStarLevel", 10);  // a shooting star, and so a paint, nearly every second
  const Window w = StartProgram();
  ASSERT_NE(w, 0u);
  ASSERT_FALSE(HasState(x_, w, "_NET_WM_STATE_ABOVE"));
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = w;
  e.xclient.message_type = XInternAtom(x_, "_NET_WM_STATE", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = 1;  // add
  e.xclient.data.l[1] = static_cast<long>(XInternAtom(x_, "_NET_WM_STATE_ABOVE", False));
  e.xclient.data.l[3] = 2;  // as a pager asks
  XSendEvent(x_, DefaultRootWindow(x_), False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
  XFlush(x_);
  ASSERT_TRUE(WaitUntil([&] { return HasState(x_, w, "_NET_WM_STATE_ABOVE"); }, 3s));
  std::this_thread::sleep_for(3s);
  EXPECT_TRUE(HasState(x_, w, "_NET_WM_STATE_ABOVE"));
}

}  // namespace

namespace {

// The program's own override-redirect windows that are on screen: its balloons.
std::vector<Window> BalloonWindows(Display* d) {
  std::vector<Window> found;
  Window root = 0, parent = 0;
  Window* children = nullptr;
  unsigned int n = 0;
  if (!XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &n)) return found;
  for (unsigned int i = 0; i < n; ++i) {
    XWindowAttributes a{};
    if (XGetWindowAttributes(d, children[i], &a) && a.override_redirect && a.map_state == IsViewable &&
        ClassOf(d, children[i]) == "Lumivane") {
      found.push_back(children[i]);
    }
  }
  if (children) XFree(children);
  return found;
}

// Whether `upper` is higher in the stacking order than the top-level window holding `lower`
// (the window manager's frame round it, if any).
bool StackedAbove(Display* d, Window upper, Window lower) {
  Window root = 0, parent = 0;
  Window* children = nullptr;
  unsigned int n = 0;
  // The direct child of the root that holds `lower`.
  Window holder = lower;
  for (;;) {
    Window* kids = nullptr;
    unsigned int k = 0;
    if (!XQueryTree(d, holder, &root, &parent, &kids, &k)) return false;
    if (kids) XFree(kids);
    if (parent == root) break;
    holder = parent;
  }
  if (!XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &n)) return false;
  int upperAt = -1, lowerAt = -1;
  for (unsigned int i = 0; i < n; ++i) {  // bottom to top
    if (children[i] == upper) upperAt = static_cast<int>(i);
    if (children[i] == holder) lowerAt = static_cast<int>(i);
  }
  if (children) XFree(children);
  return upperAt > lowerAt && lowerAt >= 0;
}

TEST_F(DesktopTest, PointingAtAStarOfTodaysSkyShowsItsBalloonBesideThePointer) {
  Setting("FrameSizeNo", 6);
  Setting("EdgeFlg", 0);
  Setting("ShootingStarLevel", 0);
  Setting("SateltLevel", 0);
  const Window w = StartProgram();
  ASSERT_NE(w, 0u);
  const Geometry g = GeometryOf(x_, w);
  ASSERT_EQ(g.width, 350);

  // A star of the table that today's window shows, away from the edges.
  const POINT origin = TodaysOrigin(350);
  const ProgramStarTable table;
  ASSERT_GE(table.stars.size(), 40u) << "the star table was not found beside the program";
  const auto found = table.InTodaysWindow();
  const std::optional<POINT> star = found ? std::optional<POINT>(found->first) : std::nullopt;
  const std::string title = found ? found->second : std::string();
  // A point of the window no star's rectangle reaches.
  std::optional<POINT> empty;
  for (int y = 20; y < 330 && !empty; y += 7) {
    for (int x = 20; x < 330 && !empty; x += 7) {
      bool free = true;
      for (const CStarDataObject* s : table.stars) {
        for (const CRect& r : {s->m_rcFirst, s->m_rcSecond}) {
          const int mx = x + origin.x, my = y + origin.y;
          free = free && !(r.left - 3 <= mx && mx <= r.right + 3 && r.top - 3 <= my && my <= r.bottom + 3);
        }
      }
      if (free) empty = POINT{x, y};
    }
  }
  ASSERT_TRUE(star.has_value()) << "no star of the table in today's window";
  ASSERT_TRUE(empty.has_value());
  auto moveTo = [&](int x, int y) { Shell("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y)); };

  moveTo(g.x + star->x, g.y + star->y);
  ASSERT_TRUE(WaitUntil([&] { return BalloonWindows(x_).size() == 1; }, 3s)) << "no balloon for " << title;
  const Window balloon = BalloonWindows(x_).front();
  EXPECT_TRUE(WaitUntil(
      [&] {
        const Geometry b = GeometryOf(x_, balloon);
        return b.x == g.x + star->x + 10 && b.y == g.y + star->y + 10;
      },
      2s))
      << "balloon at " << GeometryOf(x_, balloon).x << ", " << GeometryOf(x_, balloon).y;
  const Geometry b = GeometryOf(x_, balloon);
  EXPECT_GT(b.width, 40);
  EXPECT_GT(b.height, 40);
  // It never took the focus from the roof window, and it stands above it.
  EXPECT_NE(AtomList(x_, DefaultRootWindow(x_), "_NET_ACTIVE_WINDOW"), std::vector<Atom>{balloon});
  EXPECT_TRUE(StackedAbove(x_, balloon, w));

  // Off every star it goes; back on the star it comes again.
  moveTo(g.x + empty->x, g.y + empty->y);
  EXPECT_TRUE(WaitUntil([&] { return BalloonWindows(x_).empty(); }, 3s)) << "the balloon stayed off the star";
  moveTo(g.x + star->x, g.y + star->y);
  ASSERT_TRUE(WaitUntil([&] { return BalloonWindows(x_).size() == 1; }, 3s));
  // Straight out of the window from the star: it goes too.
  moveTo(g.x + g.width + 40, g.y + star->y);
  EXPECT_TRUE(WaitUntil([&] { return BalloonWindows(x_).empty(); }, 3s)) << "the balloon outstayed the pointer";
}

}  // namespace

namespace {

TEST_F(DesktopTest, TheBalloonStandsAboveARoofWindowKeptOnTop) {
  Setting("FrameSizeNo", 6);
  Setting("EdgeFlg", 0);
  Setting("TopMostFlg", 1);
  const Window w = StartProgram();
  ASSERT_NE(w, 0u);
  ASSERT_TRUE(WaitUntil([&] { return HasState(x_, w, "_NET_WM_STATE_ABOVE"); }, 3s));
  const Geometry g = GeometryOf(x_, w);
  const auto found = ProgramStarTable().InTodaysWindow();
  const std::optional<POINT> star = found ? std::optional<POINT>(found->first) : std::nullopt;
  ASSERT_TRUE(star.has_value());
  Shell("xdotool mousemove " + std::to_string(g.x + star->x) + " " + std::to_string(g.y + star->y));
  ASSERT_TRUE(WaitUntil([&] { return BalloonWindows(x_).size() == 1; }, 3s));
  EXPECT_TRUE(StackedAbove(x_, BalloonWindows(x_).front(), w));
}

}  // namespace

namespace {

// Windows of the program's own, by title, on the screen now.
std::vector<Window> WindowsTitled(Display* d, const std::string& title) {
  std::vector<Window> found;
  Walk(d, DefaultRootWindow(d), [&](Window w, Window) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d, w, XInternAtom(d, "_NET_WM_NAME", False), 0, 256, False,
                           XInternAtom(d, "UTF8_STRING", False), &type, &format, &count, &after, &data) == Success &&
        data) {
      if (std::string(reinterpret_cast<char*>(data), count) == title) {
        XWindowAttributes a{};
        if (XGetWindowAttributes(d, w, &a) && a.map_state == IsViewable) found.push_back(w);
      }
    }
    if (data) XFree(data);
  });
  return found;
}

TEST_F(DesktopTest, DoubleClicksChangeTheSizeAndKeepTheCorner) {
  const Window w = StartProgram();
  ASSERT_NE(w, 0u);
  const Geometry g = GeometryOf(x_, w);
  ASSERT_EQ(g.width, 150);
  Shell("xdotool mousemove " + std::to_string(g.x + 75) + " " + std::to_string(g.y + 20) + " click --repeat 2 --delay 60 1");
  EXPECT_TRUE(WaitUntil([&] { return GeometryOf(x_, w).width == 200; }, 3s)) << "width " << GeometryOf(x_, w).width;
  EXPECT_EQ(GeometryOf(x_, w).x, g.x);
  EXPECT_EQ(GeometryOf(x_, w).y, g.y);
  Shell("xdotool sleep 0.5 mousemove " + std::to_string(g.x + 100) + " " + std::to_string(g.y + 180) +
        " click --repeat 2 --delay 60 1");
  EXPECT_TRUE(WaitUntil([&] { return GeometryOf(x_, w).width == 150; }, 3s)) << "width " << GeometryOf(x_, w).width;
  EXPECT_EQ(GeometryOf(x_, w).x, g.x);
  EXPECT_EQ(GeometryOf(x_, w).y, g.y);
}

// Where the program's menu (the window's or the tray icon's, the same commands) stands on
// the screen, if it is open: an override-redirect window too big for a balloon.
std::optional<Geometry> MenuOnScreen(Display* d) {
  std::optional<Geometry> menu;
  Window root = 0, parent = 0;
  Window* children = nullptr;
  unsigned int n = 0;
  if (!XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &n)) return menu;
  for (unsigned int i = 0; i < n; ++i) {
    XWindowAttributes a{};
    if (XGetWindowAttributes(d, children[i], &a) && a.override_redirect && a.map_state == IsViewable &&
        a.width > 100 && a.height > 150) {
      menu = GeometryOf(d, children[i]);
    }
  }
  if (children) XFree(children);
  return menu;
}

TEST_F(DesktopTest, TheContextMenuOpensByMouseAndKeyboardAndItsExitEndsTheProgram) {
  const Window w = StartProgram();
  ASSERT_NE(w, 0u);
  const Geometry g = GeometryOf(x_, w);
  auto menuAt = [&] { return MenuOnScreen(x_); };
  // The right button: at the pointer.
  Shell("xdotool mousemove " + std::to_string(g.x + 40) + " " + std::to_string(g.y + 50) + " click 3");
  ASSERT_TRUE(WaitUntil([&] { return menuAt().has_value(); }, 3s)) << "no menu";
  EXPECT_EQ(menuAt()->x, g.x + 40);
  EXPECT_EQ(menuAt()->y, g.y + 50);
  Shell("xdotool key Escape");
  ASSERT_TRUE(WaitUntil([&] { return !menuAt().has_value(); }, 3s));
  // Shift+F10: just inside the window's top-left corner; its exit ends the program.
  Shell("xdotool mousemove " + std::to_string(g.x + 75) + " " + std::to_string(g.y + 75) + " key shift+F10");
  ASSERT_TRUE(WaitUntil([&] { return menuAt().has_value(); }, 3s)) << "no menu from the keyboard";
  EXPECT_EQ(menuAt()->x, g.x + 5);
  EXPECT_EQ(menuAt()->y, g.y + 5);
  Shell("xdotool key x");
  const std::optional<int> status = WaitForExit(program_, 10s);
  ASSERT_TRUE(status.has_value()) << "the program did not end";
  program_ = -1;
  EXPECT_EQ(*status, 0);
  EXPECT_EQ(ReadSetting("BeforePositionPosX"), g.x);
  EXPECT_EQ(ReadSetting("FrameSizeNo"), 3);
}

TEST_F(DesktopTest, HelpOpensItsViewerAndTheWebPagesGoToTheDesktopsOpener) {
  // A stand-in for the desktop's opener that writes down what it was given.
  const std::string bin = config_ + "/bin";
  fs::create_directories(bin);
  {
    std::ofstream opener(bin + "/xdg-open");
    opener << "#!/bin/sh\necho \"$@\" >> " << config_ << "/opened.txt\n";
  }
  fs::permissions(bin + "/xdg-open", fs::perms::owner_all);
  const Window w = StartProgram({"PATH=" + bin + ":" + std::string(getenv("PATH"))});
  ASSERT_NE(w, 0u);
  const Geometry g = GeometryOf(x_, w);
  const std::string point = std::to_string(g.x + 60) + " " + std::to_string(g.y + 60);
  Shell("xdotool mousemove " + point + " click 3 sleep 0.6 key g");
  EXPECT_TRUE(WaitUntil([&] { return ReadText(config_ + "/opened.txt").find("https://orvantworks.example/") != std::string::npos; }, 5s))
      << "opened: " << ReadText(config_ + "/opened.txt");
  Shell("xdotool mousemove " + point + " click 3 sleep 0.6 key h");
  EXPECT_TRUE(WaitUntil([&] { return !WindowsTitled(x_, "目次 - Lumivane.HLP").empty(); }, 5s))
      << "no help viewer on the contents of Lumivane.HLP";
}

// A picture on the screen behind everything: each pixel says where it is.
std::uint32_t PatternAt(int x, int y) { return static_cast<std::uint32_t>((x * 7 + y * 3) & 0xFF) << 16 | (x & 0xFF) << 8 | (y & 0xFF); }

TEST_F(DesktopTest, TheDesktopBackgroundShowsWhatLiesBehindTheWindowAtItsNewPlace) {
  Setting("BkMode", 2);
  Setting("EdgeFlg", 0);
  Setting("ShootingStarLevel", 0);
  Setting("SateltLevel", 0);
  // The desktop: a patterned window at the bottom of the stacking order, and another
  // application's window in a plain colour beside where the roof window will go.
  XSetWindowAttributes attributes{};
  attributes.override_redirect = True;
  const Window desktop = XCreateWindow(x_, DefaultRootWindow(x_), 0, 0, kScreenWidth, kScreenHeight, 0, CopyFromParent,
                                       InputOutput, CopyFromParent, CWOverrideRedirect, &attributes);
  XImage* picture = XCreateImage(x_, DefaultVisual(x_, DefaultScreen(x_)), 24, ZPixmap, 0, nullptr, kScreenWidth,
                                 kScreenHeight, 32, 0);
  picture->data = static_cast<char*>(std::malloc(static_cast<size_t>(picture->bytes_per_line) * kScreenHeight));
  for (int y = 0; y < kScreenHeight; ++y) {
    for (int x = 0; x < kScreenWidth; ++x) XPutPixel(picture, x, y, PatternAt(x, y));
  }
  const Pixmap pixmap = XCreatePixmap(x_, desktop, kScreenWidth, kScreenHeight, 24);
  XPutImage(x_, pixmap, DefaultGC(x_, DefaultScreen(x_)), picture, 0, 0, 0, 0, kScreenWidth, kScreenHeight);
  XDestroyImage(picture);
  XSetWindowBackgroundPixmap(x_, desktop, pixmap);
  XMapWindow(x_, desktop);
  XLowerWindow(x_, desktop);
  XSetWindowAttributes plain = attributes;
  plain.background_pixel = 0x22AA44;
  const Window other = XCreateWindow(x_, DefaultRootWindow(x_), 600, 100, 120, 400, 0, CopyFromParent, InputOutput,
                                     CopyFromParent, CWOverrideRedirect | CWBackPixel, &plain);
  XMapWindow(x_, other);
  // Both below every window the window manager stacks, the pattern lowest.
  XLowerWindow(x_, other);
  XLowerWindow(x_, desktop);
  XSync(x_, False);
  {
    // Both stand on the screen before the program starts.
    XImage* probe = XGetImage(x_, DefaultRootWindow(x_), 600, 100, 1, 1, AllPlanes, ZPixmap);
    ASSERT_NE(probe, nullptr);
    EXPECT_EQ(XGetPixel(probe, 0, 0) & 0xFFFFFF, 0x22AA44u);
    XDestroyImage(probe);
  }

  const Window w = StartProgram();
  ASSERT_NE(w, 0u);
  const Geometry g = GeometryOf(x_, w);
  // Drag it over the other window's edge, then pass the pointer over it.
  Shell("xdotool mousemove " + std::to_string(g.x + 70) + " " + std::to_string(g.y + 70) + " sleep 0.2 mousedown 1" +
        " sleep 0.3 mousemove " + std::to_string(g.x + 120) + " " + std::to_string(g.y + 20) + " sleep 0.2 mousemove " +
        std::to_string(g.x + 170) + " " + std::to_string(g.y - 30) + " sleep 0.3 mouseup 1");
  ASSERT_TRUE(WaitUntil([&] { return GeometryOf(x_, w).x == g.x + 100; }, 3s));
  const Geometry moved = GeometryOf(x_, w);
  // Then, as a user would, the pointer passes over the window at its new place.
  Shell("xdotool sleep 0.5 mousemove " + std::to_string(moved.x + 20) + " " + std::to_string(moved.y + 20) +
        " sleep 0.2 mousemove " + std::to_string(moved.x + 30) + " " + std::to_string(moved.y + 30));
  std::this_thread::sleep_for(800ms);

  // Between the stars (where the map's mask is white), the window shows what lies behind it.
  const POINT origin = TodaysOrigin(150);
  image::sbm::FileSource source((fs::path(LV_PROGRAM_PATH).parent_path() / "SkyMapSh.SBM").c_str());
  image::sbm::Picture maskPicture;
  ASSERT_EQ(image::sbm::ReadPicture(source, maskPicture), image::sbm::ReadOutcome::kLoaded);
  const auto mask = image::sbm::ToArgb(maskPicture);
  XImage* shot = XGetImage(x_, w, 0, 0, 150, 150, AllPlanes, ZPixmap);
  ASSERT_NE(shot, nullptr);
  int between = 0, behind = 0, oldPlace = 0, otherWindow = 0;
  for (int y = 0; y < 150; ++y) {
    for (int x = 0; x < 150; ++x) {
      if ((mask->argb[static_cast<size_t>(origin.y + y) * mask->width + origin.x + x] & 0xFFFFFF) != 0xFFFFFF) continue;
      ++between;
      const unsigned long got = XGetPixel(shot, x, y) & 0xFFFFFF;
      const int sx = moved.x + x, sy = moved.y + y;
      const bool overOther = sx >= 600 && sx < 720 && sy >= 100 && sy < 500;
      behind += got == (overOther ? 0x22AA44u : PatternAt(sx, sy));
      otherWindow += overOther;
      oldPlace += got == PatternAt(g.x + x, g.y + y) && PatternAt(g.x + x, g.y + y) != PatternAt(sx, sy);
    }
  }
  XDestroyImage(shot);
  XDestroyWindow(x_, other);
  XDestroyWindow(x_, desktop);
  XFreePixmap(x_, pixmap);
  XSync(x_, False);
  ASSERT_GT(between, 150 * 150 * 9 / 10);
  EXPECT_EQ(behind, between) << "pixels between the stars that are not what lies behind the window";
  EXPECT_GT(otherWindow, 100) << "the test meant the window to stand partly over the other window";
  EXPECT_EQ(oldPlace, 0);
}

}  // namespace

namespace {

// The settings dialog on the desktop. Its controls are Qt widgets drawn inside the dialog's
// one X window, so the test finds them where the template puts them: the template's
// rectangles, in dialog units, turned into pixels with the base units of the dialog's font.
constexpr const char* kSettingsTitle = "ﾀﾞｲｱﾛｸﾞ";

struct TemplateRect {
  int x, y, cx, cy;
};
constexpr TemplateRect kDialogClient{0, 0, 155, 111};
constexpr TemplateRect kOkButton{12, 90, 38, 14};
constexpr TemplateRect kTabControl{7, 7, 141, 76};
constexpr TemplateRect kRoundRadio{26, 68, 25, 10};
constexpr int kTabCount = 5;

// The settings dialog's window (its client area, inside the window manager's frame), if it
// is on the screen.
Window SettingsDialogWindow(Display* d) {
  XSync(d, False);
  const std::vector<Window> shown = WindowsTitled(d, kSettingsTitle);
  return shown.size() == 1 ? shown.front() : 0;
}

bool IsActive(Display* d, Window w) {
  return AtomList(d, DefaultRootWindow(d), "_NET_ACTIVE_WINDOW") == std::vector<Atom>{w};
}

// The base units of the dialog's font (pixels per 4 dialog units across, per 8 down), found
// back from the size of its client area, which the template makes 155 x 111 dialog units.
std::optional<POINT> BaseUnits(const Geometry& client) {
  for (int across = 1; across <= 32; ++across) {
    for (int down = 1; down <= 64; ++down) {
      if (kDialogClient.cx * across / 4 == client.width && kDialogClient.cy * down / 8 == client.height) {
        return POINT{across, down};
      }
    }
  }
  return std::nullopt;
}

// Where a rectangle of the template lies on the screen, rounded as the dialog rounds it.
Geometry OnScreen(const Geometry& client, POINT units, TemplateRect r) {
  return Geometry{client.x + r.x * units.x / 4, client.y + r.y * units.y / 8, r.cx * units.x / 4, r.cy * units.y / 8};
}

// The colours of an area of a window, row by row.
std::vector<unsigned long> PixelsOf(Display* d, Window w, int x, int y, int width, int height) {
  std::vector<unsigned long> out;
  XImage* image =
      XGetImage(d, w, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height), AllPlanes, ZPixmap);
  if (!image) return out;
  for (int row = 0; row < height; ++row) {
    for (int column = 0; column < width; ++column) out.push_back(XGetPixel(image, column, row) & 0xFFFFFF);
  }
  XDestroyImage(image);
  return out;
}

std::vector<unsigned long> PixelsOf(Display* d, Window w) {
  const Geometry g = GeometryOf(d, w);
  return PixelsOf(d, w, 0, 0, g.width, g.height);
}

void ClickAt(int x, int y) {
  Shell("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) + " sleep 0.1 click 1");
}

// Opens the program's menu with `xdotool` commands, chooses "設定（&C）" by its mnemonic and
// returns the settings dialog once it has the focus (0 if it never does).
Window OpenSettings(Display* d, const std::string& openTheMenu) {
  Shell("xdotool " + openTheMenu);
  if (!WaitUntil([&] { return MenuOnScreen(d).has_value(); }, 3s)) {
    ADD_FAILURE() << "no menu after xdotool " << openTheMenu;
    return 0;
  }
  Shell("xdotool key c");
  Window dialog = 0;
  if (!WaitUntil([&] { return (dialog = SettingsDialogWindow(d)) != 0 && IsActive(d, dialog); }, 5s)) {
    const std::vector<Atom> active = AtomList(d, DefaultRootWindow(d), "_NET_ACTIVE_WINDOW");
    ADD_FAILURE() << (dialog ? "the settings dialog is shown but " : "no settings dialog is shown; ")
                  << "the active window is " << (active.empty() ? 0 : active.front());
    return 0;
  }
  return dialog;
}

std::string RightClickAt(int x, int y) {
  return "mousemove " + std::to_string(x) + " " + std::to_string(y) + " sleep 0.2 mousedown 3 sleep 0.1 mouseup 3";
}

TEST_F(DesktopTest, TheSettingsDialogOpensFramedOverTheWindowFromBothMenusAndEscapeChangesNothing) {
  Setting("ClockColor", 3);  // a settings file there from the start, to compare byte for byte
  Setting("FrameSizeNo", 6);  // the largest window, which is sure to show a star of the table
  const auto star = ProgramStarTable().InTodaysWindow();
  ASSERT_TRUE(star.has_value());
  const Window w = StartProgram();
  ASSERT_NE(w, 0u);
  const Window icon = TrayIcon();
  ASSERT_NE(icon, 0u);
  const Geometry g = GeometryOf(x_, w);
  const Geometry ig = GeometryOf(x_, icon);
  const std::string settingsBefore = ReadText(SettingsFile().string());
  const std::vector<unsigned long> iconBefore = PixelsOf(x_, icon);
  ASSERT_FALSE(iconBefore.empty());

  for (const bool fromTray : {true, false}) {
    SCOPED_TRACE(fromTray ? "from the tray icon's menu" : "from the window's menu");
    // The window's menu is opened over a star, whose balloon comes up first.
    const Window dialog = OpenSettings(x_, fromTray ? RightClickAt(ig.x + ig.width / 2, ig.y + ig.height / 2)
                                                    : RightClickAt(g.x + star->first.x, g.y + star->first.y));
    ASSERT_NE(dialog, 0u) << "no settings dialog with the focus";
    // A window the window manager manages and frames, with a title bar, kept with its owner.
    XWindowAttributes a{};
    ASSERT_TRUE(XGetWindowAttributes(x_, dialog, &a));
    EXPECT_FALSE(a.override_redirect);
    const std::vector<Atom> extents = AtomList(x_, dialog, "_NET_FRAME_EXTENTS");
    ASSERT_EQ(extents.size(), 4u);
    EXPECT_GT(extents[2], 0u) << "no title bar";
    Window owner = 0;
    XGetTransientForHint(x_, dialog, &owner);
    EXPECT_EQ(owner, w) << "WM_TRANSIENT_FOR does not name the roof window";
    // Its client area is the template's at the font's base units, and its frame stands
    // centred over the roof window: the program centres the frame it reckons with, which
    // may be a few pixels off the window manager's.
    const Geometry client = GeometryOf(x_, dialog);
    EXPECT_TRUE(BaseUnits(client).has_value()) << "client area " << client.width << " x " << client.height;
    const int frameCentreX = client.x - static_cast<int>(extents[0]) +
                             (client.width + static_cast<int>(extents[0] + extents[1])) / 2;
    const int frameCentreY = client.y - static_cast<int>(extents[2]) +
                             (client.height + static_cast<int>(extents[2] + extents[3])) / 2;
    EXPECT_NEAR(frameCentreX, g.x + g.width / 2, 8);
    EXPECT_NEAR(frameCentreY, g.y + g.height / 2, 8);
    // With the pointer on the dialog, no star's balloon is left standing over the dialog.
    Shell("xdotool mousemove " + std::to_string(client.x + client.width / 2) + " " +
          std::to_string(client.y + client.height / 2));
    EXPECT_TRUE(WaitUntil([&] { return BalloonWindows(x_).empty(); }, 2s))
        << "a star's balloon stays on the screen with the pointer on the dialog";

    Shell("xdotool key Escape");
    EXPECT_TRUE(WaitUntil([&] { return SettingsDialogWindow(x_) == 0; }, 3s)) << "Escape left the dialog open";
    EXPECT_TRUE(WaitUntil([&] { return IsActive(x_, w); }, 3s)) << "the roof window did not get the focus back";
  }
  // A moment for any late write to reach the file.
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(ReadText(SettingsFile().string()), settingsBefore);
  EXPECT_TRUE(Running(program_));
  const Geometry after = GeometryOf(x_, w);
  EXPECT_EQ(after.x, g.x);
  EXPECT_EQ(after.y, g.y);
  EXPECT_EQ(after.width, g.width);
  EXPECT_FALSE(HasState(x_, w, "_NET_WM_STATE_ABOVE"));
  const gdi::Region shape = ShapeOf(x_, w);
  EXPECT_TRUE(shape.Contains(0, 0) && shape.Contains(g.width - 1, g.height - 1)) << "the window is no longer square";
  EXPECT_EQ(PixelsOf(x_, icon), iconBefore) << "the tray icon changed";
}

TEST_F(DesktopTest, KeysAloneTickKeepOnTopInTheSettingsAndOkPutsTheWindowAboveAtOnce) {
  const Window w = StartProgram();
  ASSERT_NE(w, 0u);
  ASSERT_TRUE(WaitUntil([&] { return IsActive(x_, w); }, 3s));
  ASSERT_FALSE(HasState(x_, w, "_NET_WM_STATE_ABOVE"));
  const Window dialog = OpenSettings(x_, "key shift+F10");
  ASSERT_NE(dialog, 0u) << "no settings dialog with the focus";
  // OK has the focus; three Tabs pass Cancel and Help to "常に手前に表示" on the first page.
  Shell("xdotool key Tab Tab Tab space Return");
  EXPECT_TRUE(WaitUntil([&] { return SettingsDialogWindow(x_) == 0; }, 3s)) << "Enter left the dialog open";
  EXPECT_TRUE(WaitUntil([&] { return HasState(x_, w, "_NET_WM_STATE_ABOVE"); }, 3s)) << "the window is not kept above";
  EXPECT_TRUE(WaitUntil([&] { return ReadSetting("TopMostFlg") == 1; }, 3s)) << ReadText(SettingsFile().string());
  EXPECT_TRUE(Running(program_));
}

TEST_F(DesktopTest, TheMouseMakesTheWindowRoundInTheSettingsAndTheTrayIconFollows) {
  const Window w = StartProgram();
  ASSERT_NE(w, 0u);
  const Window icon = TrayIcon();
  ASSERT_NE(icon, 0u);
  // The square window's icon has dark corners, unlike the tray's own background beside it.
  const std::vector<unsigned long> iconBefore = PixelsOf(x_, icon);
  const Geometry ig = GeometryOf(x_, icon);
  const std::vector<unsigned long> tray = PixelsOf(x_, DefaultRootWindow(x_), ig.x - 2, ig.y + ig.height / 2, 1, 1);
  ASSERT_EQ(tray.size(), 1u);
  ASSERT_FALSE(iconBefore.empty());
  ASSERT_NE(iconBefore.front(), tray.front());
  // From the tray icon's menu: the pointer stays off the window's stars and their balloons.
  const Window dialog = OpenSettings(x_, RightClickAt(ig.x + ig.width / 2, ig.y + ig.height / 2));
  ASSERT_NE(dialog, 0u) << "no settings dialog with the focus";
  const Geometry client = GeometryOf(x_, dialog);
  const std::optional<POINT> units = BaseUnits(client);
  ASSERT_TRUE(units.has_value()) << "client area " << client.width << " x " << client.height;

  // The tabs stand in a row from the tab control's left edge, each as wide as its two
  // letters make it: the row's length over five is one tab. One line down from the tab
  // control's top is inside the row; right of the last tab the row shows the dialog's face.
  const Geometry tabs = OnScreen(client, *units, kTabControl);
  const int rowY = tabs.y + units->y;
  const unsigned long face = PixelsOf(x_, dialog, 1, 1, 1, 1).at(0);
  const std::vector<unsigned long> row = PixelsOf(x_, dialog, tabs.x - client.x, rowY - client.y, tabs.width, 1);
  int rowEnd = static_cast<int>(row.size());
  while (rowEnd > 0 && row[static_cast<size_t>(rowEnd) - 1] == face) --rowEnd;
  const int tabWidth = rowEnd / kTabCount;
  ASSERT_GE(tabWidth, units->x) << "the tabs' row was not found";
  const Geometry round = OnScreen(client, *units, kRoundRadio);
  auto roundArea = [&] {
    return PixelsOf(x_, dialog, round.x - client.x, round.y - client.y, round.width, round.height);
  };
  const std::vector<unsigned long> firstPage = roundArea();
  ClickAt(tabs.x + tabWidth * 3 / 2, rowY);
  ASSERT_TRUE(WaitUntil([&] { return roundArea() != firstPage; }, 3s)) << "the 窓枠 page did not come up";
  ClickAt(round.x + round.width / 2, round.y + round.height / 2);
  const Geometry ok = OnScreen(client, *units, kOkButton);
  ClickAt(ok.x + ok.width / 2, ok.y + ok.height / 2);
  EXPECT_TRUE(WaitUntil([&] { return SettingsDialogWindow(x_) == 0; }, 3s)) << "OK left the dialog open";

  EXPECT_TRUE(WaitUntil([&] { return PixelsOffTheEllipse(ShapeOf(x_, w), 150) == 0; }, 3s))
      << PixelsOffTheEllipse(ShapeOf(x_, w), 150) << " pixels off the ellipse";
  EXPECT_TRUE(WaitUntil([&] { return ReadSetting("CircleEdgeFlg") == 1; }, 3s)) << ReadText(SettingsFile().string());
  // The tray shows the round window's icon: its corners are transparent and show the
  // tray's background, while the middle of the picture stays.
  auto iconCorner = [&] {
    const std::vector<unsigned long> pixels = PixelsOf(x_, TrayIcon());
    return pixels.empty() ? ~0ul : pixels.front();
  };
  EXPECT_TRUE(WaitUntil([&] { return iconCorner() == tray.front(); }, 3s))
      << "the tray icon's corner is " << std::hex << iconCorner() << ", the tray's background " << tray.front();
  const std::vector<unsigned long> iconAfter = PixelsOf(x_, TrayIcon());
  ASSERT_EQ(iconAfter.size(), iconBefore.size());
  EXPECT_EQ(iconAfter[iconAfter.size() / 2], iconBefore[iconBefore.size() / 2]);
}

}  // namespace

// A sound server of the test's own, playing into a null sink, and what plays into it.
class NullSoundServer {
 public:
  explicit NullSoundServer(const std::string& folder) : folder_(folder) {
    fs::create_directories(folder_ + "/runtime");
    fs::permissions(folder_ + "/runtime", fs::perms::owner_all, fs::perm_options::replace);
    env_ = {"PULSE_SERVER=unix:" + folder_ + "/pulse.sock", "PULSE_COOKIE=" + folder_ + "/pulse-cookie"};
    server_ = Spawn({"pulseaudio", "--daemonize=no", "--exit-idle-time=-1", "-n", "--use-pid-file=no", "--realtime=no",
                     "--high-priority=no", "--log-target=stderr", "--load=module-null-sink sink_name=test",
                     "--load=module-native-protocol-unix auth-anonymous=1 socket=" + folder_ + "/pulse.sock"},
                    {"HOME=" + folder_, "XDG_RUNTIME_DIR=" + folder_ + "/runtime", "XDG_CONFIG_HOME=" + folder_},
                    folder_ + "/pulse.log");
    ready_ = WaitUntil([&] { return Pactl("info").has_value(); }, 10s);
  }
  ~NullSoundServer() { Stop(server_); }
  bool Ready() const { return ready_; }
  // For the program: where the server is.
  const std::vector<std::string>& Environment() const { return env_; }
  // How many streams play now.
  int Streams() {
    const std::optional<std::string> out = Pactl("list short sink-inputs");
    return out ? static_cast<int>(std::count(out->begin(), out->end(), '\n')) : -1;
  }

 private:
  std::optional<std::string> Pactl(const std::string& what) {
    const std::string out = folder_ + "/pactl.out";
    std::string command;
    for (const std::string& e : env_) command += e + " ";
    command += "pactl " + what + " >" + out + " 2>/dev/null";
    if (std::system(command.c_str()) != 0) return std::nullopt;
    return ReadText(out);
  }

  std::string folder_;
  std::vector<std::string> env_;
  pid_t server_ = -1;
  bool ready_ = false;
};

TEST_F(DesktopTest, TheAboutBoxOpensFromTheMenuSquareFramedOrRoundUndecoratedAndEnterClosesIt) {
  NullSoundServer sound(config_ + "/sound");
  ASSERT_TRUE(sound.Ready()) << ReadText(config_ + "/sound/pulse.log");
  for (const int round : {0, 1}) {
    SCOPED_TRACE(round ? "round" : "square");
    Setting("CircleEdgeFlg", round);
    const Window w = StartProgram(sound.Environment());
    ASSERT_EQ(sound.Streams(), 0);
    ASSERT_NE(w, 0u);
    const Geometry g = GeometryOf(x_, w);
    Shell("xdotool " + RightClickAt(g.x + g.width / 2, g.y + g.height / 2));
    ASSERT_TRUE(WaitUntil([&] { return MenuOnScreen(x_).has_value(); }, 3s)) << "no menu";
    Shell("xdotool key a");
    Window box = 0;
    ASSERT_TRUE(WaitUntil(
        [&] {
          const std::vector<Window> shown = WindowsTitled(x_, "ﾊﾞｰｼﾞｮﾝ情報");
          box = shown.size() == 1 ? shown.front() : 0;
          return box != 0 && IsActive(x_, box);
        },
        5s))
        << "no about box with the focus";
    Window owner = 0;
    XGetTransientForHint(x_, box, &owner);
    EXPECT_EQ(owner, w) << "the box belongs to the roof window";
    std::vector<long> extents;
    {
      Atom type = 0;
      int format = 0;
      unsigned long count = 0, after = 0;
      unsigned char* data = nullptr;
      if (XGetWindowProperty(x_, box, XInternAtom(x_, "_NET_FRAME_EXTENTS", False), 0, 4, False, XA_CARDINAL, &type,
                             &format, &count, &after, &data) == Success && data) {
        for (unsigned long i = 0; i < count; ++i) extents.push_back(reinterpret_cast<long*>(data)[i]);
      }
      if (data) XFree(data);
    }
    const long caption = extents.size() == 4 ? extents[2] : 0;
    // The night sound loops while the box is up.
    EXPECT_TRUE(WaitUntil([&] { return sound.Streams() == 1; }, 3s)) << "no sound while the box is up";
    const Geometry b = GeometryOf(x_, box);
    if (round) {
      // A disc of 150 pixels: the window's region on its 200 x 200 rectangle, nothing of a
      // frame round it.
      EXPECT_EQ(caption, 0) << "the round box is decorated";
      EXPECT_EQ(b.width, 200);
      EXPECT_EQ(b.height, 200);
      const gdi::Region shape = ShapeOf(x_, box);
      const gdi::Region disc = gdi::Region::Ellipse(25, 25, 175, 175);
      int differ = 0;
      for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 200; ++x) differ += shape.Contains(x, y) != disc.Contains(x, y) ? 1 : 0;
      }
      EXPECT_EQ(differ, 0) << "pixels where the X shape is not the disc";
    } else {
      EXPECT_GT(caption, 0) << "no title bar on the square box";
      const gdi::Region shape = ShapeOf(x_, box);
      EXPECT_TRUE(shape.Contains(0, 0) && shape.Contains(b.width - 1, b.height - 1)) << "the square box is shaped";
    }
    Shell("xdotool key Return");
    EXPECT_TRUE(WaitUntil([&] { return WindowsTitled(x_, "ﾊﾞｰｼﾞｮﾝ情報").empty(); }, 3s)) << "Enter left the box open";
    EXPECT_TRUE(WaitUntil([&] { return sound.Streams() == 0; }, 3s)) << "the sound goes on after the box closed";
    EXPECT_TRUE(Running(program_));
    EXPECT_TRUE(WaitUntil([&] { return IsActive(x_, w); }, 3s)) << "the roof window did not get the focus back";
    Stop(program_);
    program_ = -1;
  }
}

// What the program answers before it needs a screen, and without one.
struct Answer {
  int status = -1;
  std::string out, err;
};

Answer RunProgram(const std::string& arguments, const std::string& display) {
  char pattern[] = "/tmp/lumivane-args-XXXXXX";
  const std::string dir = mkdtemp(pattern);
  const std::string env = display.empty() ? "env -u DISPLAY " : "env DISPLAY=" + display + " ";
  const std::string command = env + "XDG_CONFIG_HOME=" + dir + " " + LV_PROGRAM_PATH + " " + arguments + " >" + dir +
                              "/out 2>" + dir + "/err";
  const int raw = std::system(command.c_str());
  Answer a{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadText(dir + "/out"), ReadText(dir + "/err")};
  // Nothing was written where the settings live.
  EXPECT_FALSE(fs::exists(dir + "/Orvant")) << arguments;
  fs::remove_all(dir);
  return a;
}

TEST(ProgramEntry, HelpAndVersionAnswerAtOnceAndNoDisplayIsOneClearLine) {
  const Answer version = RunProgram("--version", "");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "Lumivane 1.31\n");
  EXPECT_EQ(version.err, "");
  const Answer help = RunProgram("--help", "");
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("Usage: lumivane [--help | --version]\n", 0), 0u) << help.out;
  EXPECT_NE(help.out.find("Lumivane.ini"), std::string::npos);
  const Answer none = RunProgram("", "");
  EXPECT_EQ(none.status, 1);
  EXPECT_EQ(std::count(none.err.begin(), none.err.end(), '\n'), 1) << none.err;
  EXPECT_NE(none.err.find("no X display"), std::string::npos) << none.err;
  const Answer gone = RunProgram("", ":97");
  EXPECT_EQ(gone.status, 1);
  EXPECT_NE(gone.err.find("cannot open the X display \":97\""), std::string::npos) << gone.err;
}
