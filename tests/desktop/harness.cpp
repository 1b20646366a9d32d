// gtest and the program's headers go before Xlib, whose macros (None, Bool) clash.
#include <gtest/gtest.h>
#include "platform/core/profile_store.h"
#include "sky/sky_placement.h"
#include "sky/star_table.h"

#include "harness.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iostream>
#include <iterator>
#include <thread>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace desktop_test {

// ---- Processes ----

pid_t Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env, const std::string& errorLog,
            int keepFd) {
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

bool Running(pid_t pid) { return pid > 0 && waitpid(pid, nullptr, WNOHANG) == 0; }

void Shell(const std::string& command) { ASSERT_EQ(std::system(command.c_str()), 0) << command; }

// ---- Windows, as the X server sees them ----

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

void Walk(Display* d, Window w, const std::function<void(Window, Window)>& visit, Window parent) {
  visit(w, parent);
  Window root = 0, up = 0;
  Window* children = nullptr;
  unsigned int n = 0;
  if (!XQueryTree(d, w, &root, &up, &children, &n)) return;
  std::vector<Window> list(children, children + n);
  if (children) XFree(children);
  for (Window c : list) Walk(d, c, visit, w);
}

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

int PixelsOffTheEllipse(const gdi::Region& shape, int size) {
  const gdi::Region ellipse = gdi::Region::Ellipse(0, 0, size, size);
  int wrong = 0;
  for (int y = -1; y <= size; ++y) {
    for (int x = -1; x <= size; ++x) wrong += shape.Contains(x, y) != ellipse.Contains(x, y);
  }
  return wrong;
}

namespace {

// The windows on the screen that no window manager frames (menus, balloons, tooltips),
// bottom to top.
std::vector<Window> UnmanagedWindowsShown(Display* d) {
  std::vector<Window> found;
  Window root = 0, parent = 0;
  Window* children = nullptr;
  unsigned int n = 0;
  if (!XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &n)) return found;
  for (unsigned int i = 0; i < n; ++i) {
    XWindowAttributes a{};
    if (XGetWindowAttributes(d, children[i], &a) && a.override_redirect && a.map_state == IsViewable) {
      found.push_back(children[i]);
    }
  }
  if (children) XFree(children);
  return found;
}

}  // namespace

std::vector<Window> BalloonWindows(Display* d) {
  std::vector<Window> found;
  for (Window w : UnmanagedWindowsShown(d)) {
    if (ClassOf(d, w) == "Lumivane") found.push_back(w);
  }
  return found;
}

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

std::optional<Geometry> MenuOnScreen(Display* d) {
  std::optional<Geometry> menu;
  for (Window w : UnmanagedWindowsShown(d)) {
    const Geometry g = GeometryOf(d, w);
    if (g.width > 100 && g.height > 150) menu = g;
  }
  return menu;
}

PatternedDesktop::PatternedDesktop(Display* d, int width, int height) : d_(d) {
  XSetWindowAttributes attributes{};
  attributes.override_redirect = True;
  window_ = XCreateWindow(d_, DefaultRootWindow(d_), 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height),
                          0, CopyFromParent, InputOutput, CopyFromParent, CWOverrideRedirect, &attributes);
  XImage* picture = XCreateImage(d_, DefaultVisual(d_, DefaultScreen(d_)), 24, ZPixmap, 0, nullptr,
                                 static_cast<unsigned>(width), static_cast<unsigned>(height), 32, 0);
  picture->data = static_cast<char*>(std::malloc(static_cast<size_t>(picture->bytes_per_line) * height));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) XPutPixel(picture, x, y, At(x, y));
  }
  pixmap_ = XCreatePixmap(d_, window_, static_cast<unsigned>(width), static_cast<unsigned>(height), 24);
  XPutImage(d_, pixmap_, DefaultGC(d_, DefaultScreen(d_)), picture, 0, 0, 0, 0, static_cast<unsigned>(width),
            static_cast<unsigned>(height));
  XDestroyImage(picture);
  XSetWindowBackgroundPixmap(d_, window_, pixmap_);
  XMapWindow(d_, window_);
  Lower();
}

PatternedDesktop::~PatternedDesktop() {
  XDestroyWindow(d_, window_);
  XFreePixmap(d_, pixmap_);
  XSync(d_, False);
}

void PatternedDesktop::Lower() {
  XLowerWindow(d_, window_);
  XSync(d_, False);
}

std::uint32_t PatternedDesktop::At(int x, int y) {
  return static_cast<std::uint32_t>((x * 7 + y * 3) & 0xFF) << 16 | static_cast<std::uint32_t>(x & 0xFF) << 8 |
         static_cast<std::uint32_t>(y & 0xFF);
}

bool IsActive(Display* d, Window w) {
  return AtomList(d, DefaultRootWindow(d), "_NET_ACTIVE_WINDOW") == std::vector<Atom>{w};
}

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

// ---- The pointer ----

void ClickAt(int x, int y) {
  Shell("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) + " sleep 0.1 click 1");
}

std::string RightClickAt(int x, int y) {
  return "mousemove " + std::to_string(x) + " " + std::to_string(y) + " sleep 0.2 mousedown 3 sleep 0.1 mouseup 3";
}

// ---- The program's sky ----

POINT TodaysOrigin(int size) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return sky::SkyOrigin(local.tm_mon + 1, local.tm_mday, size, size);
}

ProgramStarTable::ProgramStarTable() {
  sky::LoadStarTable((fs::path(LV_PROGRAM_PATH).parent_path() / "SPup.sbd").c_str(), stars);
}

ProgramStarTable::~ProgramStarTable() {
  for (CStarDataObject* s : stars) delete s;
}

std::optional<std::pair<POINT, std::string>> ProgramStarTable::InTodaysWindow() const {
  const POINT origin = TodaysOrigin(350);
  for (const CStarDataObject* s : stars) {
    for (const CRect& r : {s->m_rcFirst, s->m_rcSecond}) {
      const POINT centre{(r.left + r.right) / 2 - origin.x, (r.top + r.bottom) / 2 - origin.y};
      if (centre.x >= 30 && centre.x <= 320 && centre.y >= 30 && centre.y <= 320) return std::pair{centre, s->m_strTitle};
    }
  }
  return std::nullopt;
}

std::optional<POINT> ProgramStarTable::AwayFromTheStars(int size) const {
  const POINT origin = TodaysOrigin(size);
  for (int y = 20; y < size - 20; y += 3) {
    for (int x = 20; x < size - 20; x += 3) {
      bool free = true;
      for (const CStarDataObject* s : stars) {
        for (const CRect& r : {s->m_rcFirst, s->m_rcSecond}) {
          const int mx = x + origin.x, my = y + origin.y;
          free = free && !(r.left - 3 <= mx && mx <= r.right + 3 && r.top - 3 <= my && my <= r.bottom + 3);
        }
      }
      if (free) return POINT{x, y};
    }
  }
  return std::nullopt;
}

// ---- Sound ----

NullSoundServer::NullSoundServer(const std::string& folder) : folder_(folder) {
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

NullSoundServer::~NullSoundServer() { Stop(server_); }

int NullSoundServer::Streams() {
  const std::optional<std::string> out = Pactl("list short sink-inputs");
  return out ? static_cast<int>(std::count(out->begin(), out->end(), '\n')) : -1;
}

std::optional<std::string> NullSoundServer::Pactl(const std::string& what) {
  const std::string out = folder_ + "/pactl.out";
  std::string command;
  for (const std::string& e : env_) command += e + " ";
  command += "pactl " + what + " >" + out + " 2>/dev/null";
  if (std::system(command.c_str()) != 0) return std::nullopt;
  return ReadText(out);
}

// ---- The desktop ----

void TestDesktop::Start(const DesktopOptions& options) {
  char pattern[] = "/tmp/lumivane-e2e-logs-XXXXXX";
  logs_ = mkdtemp(pattern);
  Launch(options);
  if (::testing::Test::HasFatalFailure()) std::cerr << Logs();
}

void TestDesktop::Launch(const DesktopOptions& options) {
  int pipeFds[2];
  ASSERT_EQ(pipe(pipeFds), 0);
  // -noreset: the server must not start over should its clients ever all leave at once.
  std::vector<std::string> xvfb{"Xvfb", "-displayfd", std::to_string(pipeFds[1]), "-noreset"};
  xvfb.insert(xvfb.end(), options.screenArguments.begin(), options.screenArguments.end());
  xvfb.insert(xvfb.end(), {"-nolisten", "tcp"});
  xvfb_ = Spawn(xvfb, {}, logs_ + "/Xvfb.log", pipeFds[1]);
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

  // Xvfb lays the screens of its +xinerama all at one origin, so monitors side by side are
  // made as a real desktop reports them: RandR monitors over one wide screen. The first takes
  // the server's one output, which makes it the primary and leaves no monitor spanning the
  // whole screen. They last while the server does, since it never resets (-noreset).
  for (size_t i = 0; i < options.monitors.size(); ++i) {
    const Geometry& m = options.monitors[i];
    // The size in millimetres gives the ordinary 96 dots per inch.
    Shell("xrandr --display " + display_ + " --setmonitor lumivane-test-" + std::to_string(i) + " " +
          std::to_string(m.width) + "/" + std::to_string(m.width * 254 / 960) + "x" + std::to_string(m.height) + "/" +
          std::to_string(m.height * 254 / 960) + "+" + std::to_string(m.x) + "+" + std::to_string(m.y) + " " +
          (i == 0 ? "screen" : "none") + " >/dev/null");
  }

  openbox_ = Spawn({"openbox"}, {"DISPLAY=" + display_}, logs_ + "/openbox.log");
  ASSERT_TRUE(WaitUntil(
      [&] {
        XSync(x_, False);
        return !Running(openbox_) || !AtomList(x_, DefaultRootWindow(x_), "_NET_SUPPORTING_WM_CHECK").empty();
      },
      10s));
  ASSERT_TRUE(Running(openbox_)) << "openbox ended";
  ASSERT_FALSE(AtomList(x_, DefaultRootWindow(x_), "_NET_SUPPORTING_WM_CHECK").empty()) << "openbox did not start";
  trayer_ = Spawn({"trayer", "--edge", "bottom", "--align", "right", "--widthtype", "pixel", "--width", "120",
                   "--heighttype", "pixel", "--height", std::to_string(options.trayHeight), "--transparent", "false"},
                  {"DISPLAY=" + display_}, logs_ + "/trayer.log");
  const Atom tray = XInternAtom(x_, "_NET_SYSTEM_TRAY_S0", False);
  ASSERT_TRUE(WaitUntil([&] { return !Running(trayer_) || XGetSelectionOwner(x_, tray) != 0; }, 10s));
  ASSERT_TRUE(Running(trayer_)) << "trayer ended";
  ASSERT_NE(XGetSelectionOwner(x_, tray), 0u) << "trayer did not start";
}

void TestDesktop::Stop() {
  if (x_) XCloseDisplay(x_);
  x_ = nullptr;
  // The free function, which this member's name hides.
  desktop_test::Stop(trayer_);
  desktop_test::Stop(openbox_);
  desktop_test::Stop(xvfb_);
  trayer_ = openbox_ = xvfb_ = -1;
  if (!logs_.empty()) fs::remove_all(logs_);
  logs_.clear();
}

std::string TestDesktop::Logs() const {
  std::string all;
  for (const char* name : {"Xvfb", "openbox", "trayer"}) {
    const std::string text = ReadText(logs_ + "/" + name + ".log");
    if (!text.empty()) all += "---- " + std::string(name) + " said:\n" + text;
  }
  return all;
}

// ---- The program under test ----

void DesktopFixture::SetUp() {
  char pattern[] = "/tmp/lumivane-e2e-XXXXXX";
  config_ = mkdtemp(pattern);
  // The sky files come from the program folder alone, never from the developer's own data
  // folder: everything the test starts inherits an empty one.
  setenv("XDG_DATA_HOME", (config_ + "/data").c_str(), 1);
}

void DesktopFixture::TearDown() {
  Stop(program_);
  program_ = -1;
  if (HasFailure()) {
    const std::string said = ReadText(config_ + "/program.log");
    if (!said.empty()) std::cerr << "---- the program said:\n" << said;
    std::cerr << desktop_.Logs();
  }
  fs::remove_all(config_);
}

fs::path DesktopFixture::SettingsFile() const { return fs::path(config_) / "Orvant" / "Lumivane.ini"; }

void DesktopFixture::Setting(const char* name, int value) {
  ASSERT_TRUE(platform::ProfileStore(SettingsFile()).WriteInt("Config", name, value));
}

std::optional<int> DesktopFixture::ReadSetting(const char* name) const {
  return platform::ProfileStore(SettingsFile()).ReadInt("Config", name);
}

Window DesktopFixture::StartProgram(std::vector<std::string> env) {
  Display* x = X();
  env.push_back("XDG_CONFIG_HOME=" + config_);
  env.push_back("DISPLAY=" + desktop_.DisplayName());
  program_ = Spawn({LV_PROGRAM_PATH}, env, config_ + "/program.log");
  Window found = 0;
  WaitUntil(
      [&] {
        XSync(x, False);
        for (Atom w : AtomList(x, DefaultRootWindow(x), "_NET_CLIENT_LIST")) {
          XWindowAttributes a{};
          if (ClassOf(x, w) == "Lumivane" && XGetWindowAttributes(x, w, &a) && a.map_state == IsViewable &&
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

Window DesktopFixture::TrayIcon() {
  Display* x = X();
  const Window owner = XGetSelectionOwner(x, XInternAtom(x, "_NET_SYSTEM_TRAY_S0", False));
  Window icon = 0;
  Walk(x, DefaultRootWindow(x), [&](Window w, Window parent) {
    if (parent != DefaultRootWindow(x) && ClassOf(x, w) == "Lumivane") icon = w;
  });
  return owner ? icon : 0;
}

}  // namespace desktop_test
