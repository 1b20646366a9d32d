// The real program on a real X desktop: an Xvfb server of its own with the openbox window
// manager and the trayer tray host, looked at with Xlib and driven with xdotool.
// gtest and the program's headers go before Xlib, whose macros (None, Bool) clash.
#include <gtest/gtest.h>
#include "image/sbm_reader.h"
#include "platform/gdi/region.h"
#include "sky/star_table.h"

#include "desktop/harness.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>
#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace desktop_test;

namespace {

constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;

// The desktop every test of the suite shares: one screen, with the tray host along the
// bottom edge.
class DesktopTest : public DesktopFixture {
 protected:
  static void SetUpTestSuite() {
    StartDesktop({{"-screen", "0", std::to_string(kScreenWidth) + "x" + std::to_string(kScreenHeight) + "x24"}, 24, {}});
  }
};

TEST_F(DesktopTest, OpensUndecoratedInTheMiddleWithoutTaskbarEntryAndEndsFromTheTrayMenu) {
  const Window w = StartProgram();
  ASSERT_NE(w, 0u) << "no program window was mapped";
  const Geometry g = GeometryOf(X(), w);
  EXPECT_EQ(g.width, 150);
  EXPECT_EQ(g.height, 150);
  EXPECT_EQ(g.x, (kScreenWidth - 150) / 2);
  EXPECT_EQ(g.y, (kScreenHeight - 150) / 2);
  const std::vector<Atom> extents = AtomList(X(), w, "_NET_FRAME_EXTENTS");
  ASSERT_EQ(extents.size(), 4u);
  for (Atom e : extents) EXPECT_EQ(e, 0u) << "the window manager drew a frame";
  EXPECT_TRUE(HasState(X(), w, "_NET_WM_STATE_SKIP_TASKBAR"));
  EXPECT_FALSE(HasState(X(), w, "_NET_WM_STATE_ABOVE"));
  int count = 0, ordering = 0;
  XRectangle* rects = XShapeGetRectangles(X(), w, ShapeBounding, &count, &ordering);
  ASSERT_EQ(count, 1) << "a square window keeps its whole rectangle";
  EXPECT_EQ(rects[0].width, 150);
  XFree(rects);

  // Dragged with the left button, it follows the pointer.
  Shell("xdotool mousemove " + std::to_string(g.x + 70) + " " + std::to_string(g.y + 70) + " sleep 0.2 mousedown 1" +
      " sleep 0.3 mousemove " + std::to_string(g.x + 120) + " " + std::to_string(g.y + 90) + " sleep 0.2 mousemove " +
      std::to_string(g.x + 170) + " " + std::to_string(g.y + 110) + " sleep 0.3 mouseup 1");
  EXPECT_TRUE(WaitUntil([&] { return GeometryOf(X(), w).x == g.x + 100 && GeometryOf(X(), w).y == g.y + 40; }, 3s))
      << "window at " << GeometryOf(X(), w).x << ", " << GeometryOf(X(), w).y;

  // The tray icon's menu ends the program.
  const Window icon = TrayIcon();
  ASSERT_NE(icon, 0u) << "no tray icon docked";
  const Geometry ig = GeometryOf(X(), icon);
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
  const gdi::Region shape = ShapeOf(X(), w);
  EXPECT_EQ(PixelsOffTheEllipse(shape, 150), 0);
  EXPECT_TRUE(shape.Contains(75, 0));
  EXPECT_FALSE(shape.Contains(0, 0));
  EXPECT_FALSE(shape.Contains(149, 149));
}

TEST_F(DesktopTest, TopmostWindowStaysAboveAndHasATaskbarEntry) {
  Setting("TopMostFlg", 1);
  const Window w = StartProgram();
  ASSERT_NE(w, 0u);
  EXPECT_TRUE(WaitUntil([&] { return HasState(X(), w, "_NET_WM_STATE_ABOVE"); }, 3s));
  EXPECT_FALSE(HasState(X(), w, "_NET_WM_STATE_SKIP_TASKBAR"));

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
  const Geometry g = GeometryOf(X(), w);
  Shell("xdotool mousemove " + std::to_string(g.x + 75) + " " + std::to_string(g.y + 75));
  auto starPixels = [&](std::vector<unsigned long>* pixels) {
    XFixesCursorImage* c = XFixesGetCursorImage(X());
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
  EXPECT_TRUE(WaitUntil([&] { return AtomList(X(), DefaultRootWindow(X()), "_NET_ACTIVE_WINDOW") ==
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

  XImage* shot = XGetImage(X(), w, 0, 0, 150, 150, AllPlanes, ZPixmap);
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
  program_ = Spawn({LV_PROGRAM_PATH, file}, {"XDG_CONFIG_HOME=" + config_, "DISPLAY=" + desktop_.DisplayName()},
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
      Walk(X(), DefaultRootWindow(X()), [&](Window child, Window parent) {
        XWindowAttributes a{};
        if (parent == DefaultRootWindow(X()) && XGetWindowAttributes(X(), child, &a) && a.map_state == IsViewable) {
          ++count;
        }
      });
      return count;
    };
    const int before = mappedWindows();
    if (menu) {
      const Geometry ig = GeometryOf(X(), icon);
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
  ASSERT_FALSE(HasState(X(), w, "_NET_WM_STATE_ABOVE"));
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = w;
  e.xclient.message_type = XInternAtom(X(), "_NET_WM_STATE", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = 1;  // add
  e.xclient.data.l[1] = static_cast<long>(XInternAtom(X(), "_NET_WM_STATE_ABOVE", False));
  e.xclient.data.l[3] = 2;  // as a pager asks
  XSendEvent(X(), DefaultRootWindow(X()), False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
  XFlush(X());
  ASSERT_TRUE(WaitUntil([&] { return HasState(X(), w, "_NET_WM_STATE_ABOVE"); }, 3s));
  std::this_thread::sleep_for(3s);
  EXPECT_TRUE(HasState(X(), w, "_NET_WM_STATE_ABOVE"));
}

}  // namespace

namespace {

TEST_F(DesktopTest, PointingAtAStarOfTodaysSkyShowsItsBalloonBesideThePointer) {
  Setting("FrameSizeNo", 6);
  Setting("EdgeFlg", 0);
  Setting("ShootingStarLevel", 0);
  Setting("SateltLevel", 0);
  const Window w = StartProgram();
  ASSERT_NE(w, 0u);
  const Geometry g = GeometryOf(X(), w);
  ASSERT_EQ(g.width, 350);

  // A star of the table that today's window shows, away from the edges.
  const ProgramStarTable table;
  ASSERT_GE(table.stars.size(), 40u) << "the star table was not found beside the program";
  const auto found = table.InTodaysWindow();
  const std::optional<POINT> star = found ? std::optional<POINT>(found->first) : std::nullopt;
  const std::string title = found ? found->second : std::string();
  // A point of the window no star's rectangle reaches.
  const std::optional<POINT> empty = table.AwayFromTheStars(350);
  ASSERT_TRUE(star.has_value()) << "no star of the table in today's window";
  ASSERT_TRUE(empty.has_value());
  auto moveTo = [&](int x, int y) { Shell("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y)); };

  moveTo(g.x + star->x, g.y + star->y);
  ASSERT_TRUE(WaitUntil([&] { return BalloonWindows(X()).size() == 1; }, 3s)) << "no balloon for " << title;
  const Window balloon = BalloonWindows(X()).front();
  EXPECT_TRUE(WaitUntil(
      [&] {
        const Geometry b = GeometryOf(X(), balloon);
        return b.x == g.x + star->x + 10 && b.y == g.y + star->y + 10;
      },
      2s))
      << "balloon at " << GeometryOf(X(), balloon).x << ", " << GeometryOf(X(), balloon).y;
  const Geometry b = GeometryOf(X(), balloon);
  EXPECT_GT(b.width, 40);
  EXPECT_GT(b.height, 40);
  // It never took the focus from the roof window, and it stands above it.
  EXPECT_NE(AtomList(X(), DefaultRootWindow(X()), "_NET_ACTIVE_WINDOW"), std::vector<Atom>{balloon});
  EXPECT_TRUE(StackedAbove(X(), balloon, w));

  // Off every star it goes; back on the star it comes again.
  moveTo(g.x + empty->x, g.y + empty->y);
  EXPECT_TRUE(WaitUntil([&] { return BalloonWindows(X()).empty(); }, 3s)) << "the balloon stayed off the star";
  moveTo(g.x + star->x, g.y + star->y);
  ASSERT_TRUE(WaitUntil([&] { return BalloonWindows(X()).size() == 1; }, 3s));
  // Straight out of the window from the star: it goes too.
  moveTo(g.x + g.width + 40, g.y + star->y);
  EXPECT_TRUE(WaitUntil([&] { return BalloonWindows(X()).empty(); }, 3s)) << "the balloon outstayed the pointer";
}

}  // namespace

namespace {

TEST_F(DesktopTest, TheBalloonStandsAboveARoofWindowKeptOnTop) {
  Setting("FrameSizeNo", 6);
  Setting("EdgeFlg", 0);
  Setting("TopMostFlg", 1);
  const Window w = StartProgram();
  ASSERT_NE(w, 0u);
  ASSERT_TRUE(WaitUntil([&] { return HasState(X(), w, "_NET_WM_STATE_ABOVE"); }, 3s));
  const Geometry g = GeometryOf(X(), w);
  const auto found = ProgramStarTable().InTodaysWindow();
  const std::optional<POINT> star = found ? std::optional<POINT>(found->first) : std::nullopt;
  ASSERT_TRUE(star.has_value());
  Shell("xdotool mousemove " + std::to_string(g.x + star->x) + " " + std::to_string(g.y + star->y));
  ASSERT_TRUE(WaitUntil([&] { return BalloonWindows(X()).size() == 1; }, 3s));
  EXPECT_TRUE(StackedAbove(X(), BalloonWindows(X()).front(), w));
}

}  // namespace

namespace {

TEST_F(DesktopTest, DoubleClicksChangeTheSizeAndKeepTheCorner) {
  const Window w = StartProgram();
  ASSERT_NE(w, 0u);
  const Geometry g = GeometryOf(X(), w);
  ASSERT_EQ(g.width, 150);
  Shell("xdotool mousemove " + std::to_string(g.x + 75) + " " + std::to_string(g.y + 20) + " click --repeat 2 --delay 60 1");
  EXPECT_TRUE(WaitUntil([&] { return GeometryOf(X(), w).width == 200; }, 3s)) << "width " << GeometryOf(X(), w).width;
  EXPECT_EQ(GeometryOf(X(), w).x, g.x);
  EXPECT_EQ(GeometryOf(X(), w).y, g.y);
  Shell("xdotool sleep 0.5 mousemove " + std::to_string(g.x + 100) + " " + std::to_string(g.y + 180) +
        " click --repeat 2 --delay 60 1");
  EXPECT_TRUE(WaitUntil([&] { return GeometryOf(X(), w).width == 150; }, 3s)) << "width " << GeometryOf(X(), w).width;
  EXPECT_EQ(GeometryOf(X(), w).x, g.x);
  EXPECT_EQ(GeometryOf(X(), w).y, g.y);
}

TEST_F(DesktopTest, TheContextMenuOpensByMouseAndKeyboardAndItsExitEndsTheProgram) {
  const Window w = StartProgram();
  ASSERT_NE(w, 0u);
  const Geometry g = GeometryOf(X(), w);
  auto menuAt = [&] { return MenuOnScreen(X()); };
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
  const Geometry g = GeometryOf(X(), w);
  const std::string point = std::to_string(g.x + 60) + " " + std::to_string(g.y + 60);
  Shell("xdotool mousemove " + point + " click 3 sleep 0.6 key g");
  EXPECT_TRUE(WaitUntil([&] { return ReadText(config_ + "/opened.txt").find("https://orvantworks.example/") != std::string::npos; }, 5s))
      << "opened: " << ReadText(config_ + "/opened.txt");
  Shell("xdotool mousemove " + point + " click 3 sleep 0.6 key h");
  EXPECT_TRUE(WaitUntil([&] { return !WindowsTitled(X(), "目次 - Lumivane.HLP").empty(); }, 5s))
      << "no help viewer on the contents of Lumivane.HLP";
}


TEST_F(DesktopTest, TheDesktopBackgroundShowsWhatLiesBehindTheWindowAtItsNewPlace) {
  Setting("BkMode", 2);
  Setting("EdgeFlg", 0);
  Setting("ShootingStarLevel", 0);
  Setting("SateltLevel", 0);
  // The desktop: a patterned window at the bottom of the stacking order, and another
  // application's window in a plain colour beside where the roof window will go.
  PatternedDesktop desktop(X(), kScreenWidth, kScreenHeight);
  XSetWindowAttributes plain{};
  plain.override_redirect = True;
  plain.background_pixel = 0x22AA44;
  const Window other = XCreateWindow(X(), DefaultRootWindow(X()), 600, 100, 120, 400, 0, CopyFromParent, InputOutput,
                                     CopyFromParent, CWOverrideRedirect | CWBackPixel, &plain);
  XMapWindow(X(), other);
  // Both below every window the window manager stacks, the pattern lowest.
  XLowerWindow(X(), other);
  desktop.Lower();
  XSync(X(), False);
  {
    // Both stand on the screen before the program starts.
    XImage* probe = XGetImage(X(), DefaultRootWindow(X()), 600, 100, 1, 1, AllPlanes, ZPixmap);
    ASSERT_NE(probe, nullptr);
    EXPECT_EQ(XGetPixel(probe, 0, 0) & 0xFFFFFF, 0x22AA44u);
    XDestroyImage(probe);
  }

  const Window w = StartProgram();
  ASSERT_NE(w, 0u);
  const Geometry g = GeometryOf(X(), w);
  // Drag it over the other window's edge, then pass the pointer over it.
  Shell("xdotool mousemove " + std::to_string(g.x + 70) + " " + std::to_string(g.y + 70) + " sleep 0.2 mousedown 1" +
        " sleep 0.3 mousemove " + std::to_string(g.x + 120) + " " + std::to_string(g.y + 20) + " sleep 0.2 mousemove " +
        std::to_string(g.x + 170) + " " + std::to_string(g.y - 30) + " sleep 0.3 mouseup 1");
  ASSERT_TRUE(WaitUntil([&] { return GeometryOf(X(), w).x == g.x + 100; }, 3s));
  const Geometry moved = GeometryOf(X(), w);
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
  XImage* shot = XGetImage(X(), w, 0, 0, 150, 150, AllPlanes, ZPixmap);
  ASSERT_NE(shot, nullptr);
  int between = 0, behind = 0, oldPlace = 0, otherWindow = 0;
  for (int y = 0; y < 150; ++y) {
    for (int x = 0; x < 150; ++x) {
      if ((mask->argb[static_cast<size_t>(origin.y + y) * mask->width + origin.x + x] & 0xFFFFFF) != 0xFFFFFF) continue;
      ++between;
      const unsigned long got = XGetPixel(shot, x, y) & 0xFFFFFF;
      const int sx = moved.x + x, sy = moved.y + y;
      const bool overOther = sx >= 600 && sx < 720 && sy >= 100 && sy < 500;
      behind += got == (overOther ? 0x22AA44u : PatternedDesktop::At(sx, sy));
      otherWindow += overOther;
      oldPlace += got == PatternedDesktop::At(g.x + x, g.y + y) && PatternedDesktop::At(g.x + x, g.y + y) != PatternedDesktop::At(sx, sy);
    }
  }
  XDestroyImage(shot);
  XDestroyWindow(X(), other);
  XSync(X(), False);
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

TEST_F(DesktopTest, TheSettingsDialogOpensFramedOverTheWindowFromBothMenusAndEscapeChangesNothing) {
  Setting("ClockColor", 3);  // a settings file there from the start, to compare byte for byte
  Setting("FrameSizeNo", 6);  // the largest window, which is sure to show a star of the table
  const auto star = ProgramStarTable().InTodaysWindow();
  ASSERT_TRUE(star.has_value());
  const Window w = StartProgram();
  ASSERT_NE(w, 0u);
  const Window icon = TrayIcon();
  ASSERT_NE(icon, 0u);
  const Geometry g = GeometryOf(X(), w);
  const Geometry ig = GeometryOf(X(), icon);
  const std::string settingsBefore = ReadText(SettingsFile().string());
  const std::vector<unsigned long> iconBefore = PixelsOf(X(), icon);
  ASSERT_FALSE(iconBefore.empty());

  for (const bool fromTray : {true, false}) {
    SCOPED_TRACE(fromTray ? "from the tray icon's menu" : "from the window's menu");
    // The window's menu is opened over a star, whose balloon comes up first.
    const Window dialog = OpenSettings(X(), fromTray ? RightClickAt(ig.x + ig.width / 2, ig.y + ig.height / 2)
                                                    : RightClickAt(g.x + star->first.x, g.y + star->first.y));
    ASSERT_NE(dialog, 0u) << "no settings dialog with the focus";
    // A window the window manager manages and frames, with a title bar, kept with its owner.
    XWindowAttributes a{};
    ASSERT_TRUE(XGetWindowAttributes(X(), dialog, &a));
    EXPECT_FALSE(a.override_redirect);
    const std::vector<Atom> extents = AtomList(X(), dialog, "_NET_FRAME_EXTENTS");
    ASSERT_EQ(extents.size(), 4u);
    EXPECT_GT(extents[2], 0u) << "no title bar";
    Window owner = 0;
    XGetTransientForHint(X(), dialog, &owner);
    EXPECT_EQ(owner, w) << "WM_TRANSIENT_FOR does not name the roof window";
    // Its client area is the template's at the font's base units, and its frame stands
    // centred over the roof window: the program centres the frame it reckons with, which
    // may be a few pixels off the window manager's.
    const Geometry client = GeometryOf(X(), dialog);
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
    EXPECT_TRUE(WaitUntil([&] { return BalloonWindows(X()).empty(); }, 2s))
        << "a star's balloon stays on the screen with the pointer on the dialog";

    Shell("xdotool key Escape");
    EXPECT_TRUE(WaitUntil([&] { return SettingsDialogWindow(X()) == 0; }, 3s)) << "Escape left the dialog open";
    EXPECT_TRUE(WaitUntil([&] { return IsActive(X(), w); }, 3s)) << "the roof window did not get the focus back";
  }
  // A moment for any late write to reach the file.
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(ReadText(SettingsFile().string()), settingsBefore);
  EXPECT_TRUE(Running(program_));
  const Geometry after = GeometryOf(X(), w);
  EXPECT_EQ(after.x, g.x);
  EXPECT_EQ(after.y, g.y);
  EXPECT_EQ(after.width, g.width);
  EXPECT_FALSE(HasState(X(), w, "_NET_WM_STATE_ABOVE"));
  const gdi::Region shape = ShapeOf(X(), w);
  EXPECT_TRUE(shape.Contains(0, 0) && shape.Contains(g.width - 1, g.height - 1)) << "the window is no longer square";
  EXPECT_EQ(PixelsOf(X(), icon), iconBefore) << "the tray icon changed";
}

TEST_F(DesktopTest, KeysAloneTickKeepOnTopInTheSettingsAndOkPutsTheWindowAboveAtOnce) {
  const Window w = StartProgram();
  ASSERT_NE(w, 0u);
  ASSERT_TRUE(WaitUntil([&] { return IsActive(X(), w); }, 3s));
  ASSERT_FALSE(HasState(X(), w, "_NET_WM_STATE_ABOVE"));
  const Window dialog = OpenSettings(X(), "key shift+F10");
  ASSERT_NE(dialog, 0u) << "no settings dialog with the focus";
  // OK has the focus; three Tabs pass Cancel and Help to "常に手前に表示" on the first page.
  Shell("xdotool key Tab Tab Tab space Return");
  EXPECT_TRUE(WaitUntil([&] { return SettingsDialogWindow(X()) == 0; }, 3s)) << "Enter left the dialog open";
  EXPECT_TRUE(WaitUntil([&] { return HasState(X(), w, "_NET_WM_STATE_ABOVE"); }, 3s)) << "the window is not kept above";
  EXPECT_TRUE(WaitUntil([&] { return ReadSetting("TopMostFlg") == 1; }, 3s)) << ReadText(SettingsFile().string());
  EXPECT_TRUE(Running(program_));
}

TEST_F(DesktopTest, TheMouseMakesTheWindowRoundInTheSettingsAndTheTrayIconFollows) {
  const Window w = StartProgram();
  ASSERT_NE(w, 0u);
  const Window icon = TrayIcon();
  ASSERT_NE(icon, 0u);
  // The square window's icon has dark corners, unlike the tray's own background beside it.
  const std::vector<unsigned long> iconBefore = PixelsOf(X(), icon);
  const Geometry ig = GeometryOf(X(), icon);
  const std::vector<unsigned long> tray = PixelsOf(X(), DefaultRootWindow(X()), ig.x - 2, ig.y + ig.height / 2, 1, 1);
  ASSERT_EQ(tray.size(), 1u);
  ASSERT_FALSE(iconBefore.empty());
  ASSERT_NE(iconBefore.front(), tray.front());
  // From the tray icon's menu: the pointer stays off the window's stars and their balloons.
  const Window dialog = OpenSettings(X(), RightClickAt(ig.x + ig.width / 2, ig.y + ig.height / 2));
  ASSERT_NE(dialog, 0u) << "no settings dialog with the focus";
  const Geometry client = GeometryOf(X(), dialog);
  const std::optional<POINT> units = BaseUnits(client);
  ASSERT_TRUE(units.has_value()) << "client area " << client.width << " x " << client.height;

  // The tabs stand in a row from the tab control's left edge, each as wide as its two
  // letters make it: the row's length over five is one tab. One line down from the tab
  // control's top is inside the row; right of the last tab the row shows the dialog's face.
  const Geometry tabs = OnScreen(client, *units, kTabControl);
  const int rowY = tabs.y + units->y;
  const unsigned long face = PixelsOf(X(), dialog, 1, 1, 1, 1).at(0);
  const std::vector<unsigned long> row = PixelsOf(X(), dialog, tabs.x - client.x, rowY - client.y, tabs.width, 1);
  int rowEnd = static_cast<int>(row.size());
  while (rowEnd > 0 && row[static_cast<size_t>(rowEnd) - 1] == face) --rowEnd;
  const int tabWidth = rowEnd / kTabCount;
  ASSERT_GE(tabWidth, units->x) << "the tabs' row was not found";
  const Geometry round = OnScreen(client, *units, kRoundRadio);
  auto roundArea = [&] {
    return PixelsOf(X(), dialog, round.x - client.x, round.y - client.y, round.width, round.height);
  };
  const std::vector<unsigned long> firstPage = roundArea();
  ClickAt(tabs.x + tabWidth * 3 / 2, rowY);
  ASSERT_TRUE(WaitUntil([&] { return roundArea() != firstPage; }, 3s)) << "the 窓枠 page did not come up";
  ClickAt(round.x + round.width / 2, round.y + round.height / 2);
  const Geometry ok = OnScreen(client, *units, kOkButton);
  ClickAt(ok.x + ok.width / 2, ok.y + ok.height / 2);
  EXPECT_TRUE(WaitUntil([&] { return SettingsDialogWindow(X()) == 0; }, 3s)) << "OK left the dialog open";

  EXPECT_TRUE(WaitUntil([&] { return PixelsOffTheEllipse(ShapeOf(X(), w), 150) == 0; }, 3s))
      << PixelsOffTheEllipse(ShapeOf(X(), w), 150) << " pixels off the ellipse";
  EXPECT_TRUE(WaitUntil([&] { return ReadSetting("CircleEdgeFlg") == 1; }, 3s)) << ReadText(SettingsFile().string());
  // The tray shows the round window's icon: its corners are transparent and show the
  // tray's background, while the middle of the picture stays.
  auto iconCorner = [&] {
    const std::vector<unsigned long> pixels = PixelsOf(X(), TrayIcon());
    return pixels.empty() ? ~0ul : pixels.front();
  };
  EXPECT_TRUE(WaitUntil([&] { return iconCorner() == tray.front(); }, 3s))
      << "the tray icon's corner is " << std::hex << iconCorner() << ", the tray's background " << tray.front();
  const std::vector<unsigned long> iconAfter = PixelsOf(X(), TrayIcon());
  ASSERT_EQ(iconAfter.size(), iconBefore.size());
  EXPECT_EQ(iconAfter[iconAfter.size() / 2], iconBefore[iconBefore.size() / 2]);
}

// Whether the process has a library of that name mapped.
bool MapsLibrary(pid_t pid, const std::string& name) {
  return ReadText("/proc/" + std::to_string(pid) + "/maps").find("/" + name) != std::string::npos;
}

}  // namespace

TEST_F(DesktopTest, TheAboutBoxOpensFromTheMenuSquareFramedOrRoundUndecoratedAndEnterClosesIt) {
  NullSoundServer sound(config_ + "/sound");
  ASSERT_TRUE(sound.Ready()) << ReadText(config_ + "/sound/pulse.log");
  for (const int round : {0, 1}) {
    SCOPED_TRACE(round ? "round" : "square");
    Setting("CircleEdgeFlg", round);
    const Window w = StartProgram(sound.Environment());
    ASSERT_EQ(sound.Streams(), 0);
    ASSERT_NE(w, 0u);
    // The sound libraries are loaded by the first sound, not with the program: a run that
    // never opens the about box never carries them.
    EXPECT_FALSE(MapsLibrary(program_, "libpulse.so")) << "the sound client loaded before any sound";
    const Geometry g = GeometryOf(X(), w);
    Shell("xdotool " + RightClickAt(g.x + g.width / 2, g.y + g.height / 2));
    ASSERT_TRUE(WaitUntil([&] { return MenuOnScreen(X()).has_value(); }, 3s)) << "no menu";
    Shell("xdotool key a");
    Window box = 0;
    ASSERT_TRUE(WaitUntil(
        [&] {
          const std::vector<Window> shown = WindowsTitled(X(), "ﾊﾞｰｼﾞｮﾝ情報");
          box = shown.size() == 1 ? shown.front() : 0;
          return box != 0 && IsActive(X(), box);
        },
        5s))
        << "no about box with the focus";
    Window owner = 0;
    XGetTransientForHint(X(), box, &owner);
    EXPECT_EQ(owner, w) << "the box belongs to the roof window";
    std::vector<long> extents;
    {
      Atom type = 0;
      int format = 0;
      unsigned long count = 0, after = 0;
      unsigned char* data = nullptr;
      if (XGetWindowProperty(X(), box, XInternAtom(X(), "_NET_FRAME_EXTENTS", False), 0, 4, False, XA_CARDINAL, &type,
                             &format, &count, &after, &data) == Success && data) {
        for (unsigned long i = 0; i < count; ++i) extents.push_back(reinterpret_cast<long*>(data)[i]);
      }
      if (data) XFree(data);
    }
    const long caption = extents.size() == 4 ? extents[2] : 0;
    // The night sound loops while the box is up.
    EXPECT_TRUE(WaitUntil([&] { return sound.Streams() == 1; }, 3s)) << "no sound while the box is up";
    EXPECT_TRUE(MapsLibrary(program_, "libpulse.so") && MapsLibrary(program_, "libsndfile.so"));
    const Geometry b = GeometryOf(X(), box);
    if (round) {
      // A disc of 150 pixels: the window's region on its 200 x 200 rectangle, nothing of a
      // frame round it.
      EXPECT_EQ(caption, 0) << "the round box is decorated";
      EXPECT_EQ(b.width, 200);
      EXPECT_EQ(b.height, 200);
      const gdi::Region shape = ShapeOf(X(), box);
      const gdi::Region disc = gdi::Region::Ellipse(25, 25, 175, 175);
      int differ = 0;
      for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 200; ++x) differ += shape.Contains(x, y) != disc.Contains(x, y) ? 1 : 0;
      }
      EXPECT_EQ(differ, 0) << "pixels where the X shape is not the disc";
    } else {
      EXPECT_GT(caption, 0) << "no title bar on the square box";
      const gdi::Region shape = ShapeOf(X(), box);
      EXPECT_TRUE(shape.Contains(0, 0) && shape.Contains(b.width - 1, b.height - 1)) << "the square box is shaped";
    }
    Shell("xdotool key Return");
    EXPECT_TRUE(WaitUntil([&] { return WindowsTitled(X(), "ﾊﾞｰｼﾞｮﾝ情報").empty(); }, 3s)) << "Enter left the box open";
    EXPECT_TRUE(WaitUntil([&] { return sound.Streams() == 0; }, 3s)) << "the sound goes on after the box closed";
    EXPECT_TRUE(Running(program_));
    EXPECT_TRUE(WaitUntil([&] { return IsActive(X(), w); }, 3s)) << "the roof window did not get the focus back";
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
