// The program on screens other than one ordinary monitor: at a whole scale factor, where every
// pixel of its own becomes a block of screen pixels, and on a desktop of two monitors side by
// side. Each kind of desktop is an Xvfb server of its own with openbox and trayer. Also how
// the desktop backend chooses the factor from what the user and the desktop say.
// gtest and the program's headers go before Xlib, whose macros (None, Bool) clash.
#include <gtest/gtest.h>
#include "image/sbm_reader.h"
#include "platform/backend/qt/presentation_scale.h"
#include "platform/gdi/region.h"
#include "sky/star_table.h"
#include "desktop/harness.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace desktop_test;

namespace {

// ---- Choosing the factor ----

platform::PresentationScale Choose(platform::DensityHints hints) { return platform::ChoosePresentationScale(hints); }

TEST(PresentationScale, TheUsersChoiceWinsAndABadOneIsSaidOnceAndPassedOver) {
  platform::DensityHints desktopAt192;
  desktopAt192.xResources = "Xft.antialias:\t1\nXft.dpi:\t192\n";
  EXPECT_EQ(Choose(desktopAt192).factor, 2);

  platform::DensityHints one = desktopAt192;
  one.lumivaneScale = " 1 ";
  const platform::PresentationScale chosenOne = Choose(one);
  EXPECT_EQ(chosenOne.factor, 1);
  EXPECT_EQ(chosenOne.warning, "");
  // At factor 1 Qt's texts keep the desktop's own density.
  EXPECT_EQ(chosenOne.fontDpi, 192);

  platform::DensityHints three;
  three.lumivaneScale = "3";
  EXPECT_EQ(Choose(three).factor, 3);
  // Enlarged by the factor already, Qt's texts stay at the ordinary density.
  EXPECT_EQ(Choose(three).fontDpi, 96);

  for (const char* bad : {"1.5", "0", "5", "two", "2x", "-2"}) {
    SCOPED_TRACE(bad);
    platform::DensityHints hints = desktopAt192;
    hints.lumivaneScale = bad;
    const platform::PresentationScale chosen = Choose(hints);
    EXPECT_EQ(chosen.factor, 2) << "the desktop's factor, as without the variable";
    EXPECT_EQ(chosen.warning, "LUMIVANE_SCALE=\"" + std::string(bad) + "\" is not a whole number from 1 to 4; using the desktop's scale");
  }
  // Set but empty: as if not set, without a word.
  platform::DensityHints empty;
  empty.lumivaneScale = "";
  EXPECT_EQ(Choose(empty).factor, 1);
  EXPECT_EQ(Choose(empty).warning, "");
}

TEST(PresentationScale, TheDesktopsFactorComesToTheNearestWholeOneAHalfGoingDown) {
  struct Case {
    const char* what;
    platform::DensityHints hints;
    int factor;
  };
  auto gdk = [](const char* v) { platform::DensityHints h; h.gdkScale = v; return h; };
  auto qt = [](const char* v) { platform::DensityHints h; h.qtScaleFactor = v; return h; };
  auto screens = [](const char* v) { platform::DensityHints h; h.qtScreenScaleFactors = v; return h; };
  auto xft = [](const char* v) { platform::DensityHints h; h.xResources = v; return h; };
  auto dpi = [](double v) { platform::DensityHints h; h.screenDpi = v; return h; };
  const std::vector<Case> cases = {
      {"nothing known", platform::DensityHints{}, 1},
      {"GDK_SCALE 2", gdk("2"), 2},
      {"GDK_SCALE not a number", gdk("big"), 1},
      {"QT_SCALE_FACTOR 1.5", qt("1.5"), 1},
      {"QT_SCALE_FACTOR 1.75", qt("1.75"), 2},
      {"QT_SCALE_FACTOR beyond the largest", qt("6"), 4},
      {"QT_SCALE_FACTOR below one", qt("0.5"), 1},
      {"per screen, the largest", screens("eDP-1=2;HDMI-1=1"), 2},
      {"per screen, unnamed", screens("1;1.25"), 1},
      {"Xft.dpi 144", xft("Xft.dpi: 144\n"), 1},
      {"Xft.dpi 192", xft("Xft.dpi:192"), 2},
      {"Xft.dpi 288", xft("Xft.dpi:\t288\n"), 3},
      {"the last Xft.dpi holds", xft("Xft.dpi: 192\nXft.dpi: 96\n"), 1},
      {"a longer name is not Xft.dpi", xft("Xft.dpiX: 192\n"), 1},
      {"Xft.dpi not a number", xft("Xft.dpi: lots\n"), 1},
      {"a screen of 192 dpi", dpi(192), 2},
      {"a screen of 100 dpi", dpi(100), 1},
      {"an impossible density", dpi(3000), 1},
  };
  for (const Case& c : cases) EXPECT_EQ(Choose(c.hints).factor, c.factor) << c.what;

  // The desktop's own factor comes before its font density, and that before the screen's.
  platform::DensityHints both = xft("Xft.dpi: 96\n");
  both.gdkScale = "2";
  EXPECT_EQ(Choose(both).factor, 2);
  platform::DensityHints fontOverScreen = xft("Xft.dpi: 96\n");
  fontOverScreen.screenDpi = 200;
  EXPECT_EQ(Choose(fontOverScreen).factor, 1);
  // Qt's texts: the desktop's density over the factor, never below the ordinary one.
  platform::DensityHints forced = xft("Xft.dpi: 288\n");
  forced.lumivaneScale = "2";
  EXPECT_EQ(Choose(forced).fontDpi, 144);
  EXPECT_EQ(Choose(xft("Xft.dpi: 192\n")).fontDpi, 96);
}

// ---- Shared by the desktops below ----

// The picture of a map file beside the program.
std::optional<platform::Image> ProgramMap(const char* name) {
  image::sbm::FileSource source((fs::path(LV_PROGRAM_PATH).parent_path() / name).c_str());
  image::sbm::Picture picture;
  if (image::sbm::ReadPicture(source, picture) != image::sbm::ReadOutcome::kLoaded) return std::nullopt;
  return image::sbm::ToArgb(picture);
}

// Whether every aligned 2 x 2 block of the pixels (row by row, `width` across) is one colour;
// a failure names the first block that is not.
::testing::AssertionResult AllTwoByTwoBlocks(const std::vector<unsigned long>& pixels, int width) {
  const int height = static_cast<int>(pixels.size()) / width;
  for (int y = 0; y + 1 < height; y += 2) {
    for (int x = 0; x + 1 < width; x += 2) {
      const unsigned long p = pixels[static_cast<size_t>(y) * width + x];
      if (pixels[static_cast<size_t>(y) * width + x + 1] != p || pixels[static_cast<size_t>(y + 1) * width + x] != p ||
          pixels[static_cast<size_t>(y + 1) * width + x + 1] != p) {
        return ::testing::AssertionFailure() << "the block at " << x << ", " << y << " of " << width << " x " << height
                                             << " is not one colour";
      }
    }
  }
  return ::testing::AssertionSuccess();
}

// Asks the program to end, as a logout would, and waits for it: it saves its place then.
void EndProgram(pid_t& program) {
  kill(program, SIGTERM);
  const std::optional<int> status = WaitForExit(program, 10s);
  ASSERT_TRUE(status.has_value()) << "the program did not end";
  program = -1;
  EXPECT_EQ(*status, 0);
}

// ---- At a scale factor ----

constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;

// An ordinary screen, with a tray host twice as tall as usual, as on a high-density desktop.
class ScaledDesktopTest : public DesktopFixture {
 protected:
  static void SetUpTestSuite() {
    StartDesktop({{"-screen", "0", std::to_string(kScreenWidth) + "x" + std::to_string(kScreenHeight) + "x24"}, 48, {}});
  }

  // Puts the desktop's font density in the server's resources, as a desktop set to a scale
  // does, for as long as the object lives.
  class DesktopDensity {
   public:
    DesktopDensity(Display* d, const std::string& resources) : d_(d) {
      const Atom property = XInternAtom(d_, "RESOURCE_MANAGER", False);
      XChangeProperty(d_, DefaultRootWindow(d_), property, XA_STRING, 8, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(resources.c_str()), static_cast<int>(resources.size()));
      XSync(d_, False);
    }
    ~DesktopDensity() {
      XDeleteProperty(d_, DefaultRootWindow(d_), XInternAtom(d_, "RESOURCE_MANAGER", False));
      XSync(d_, False);
    }

   private:
    Display* d_;
  };
};

TEST_F(ScaledDesktopTest, AtScaleTwoEveryPixelIsATwoByTwoBlockOfTheClassicPicture) {
  Setting("EdgeFlg", 0);
  Setting("ShootingStarLevel", 0);
  Setting("SateltLevel", 0);
  const Window w = StartProgram({"LUMIVANE_SCALE=2"});
  ASSERT_NE(w, 0u);
  const Geometry g = GeometryOf(X(), w);
  // The 150-pixel window, in the middle of a screen that is 512 x 384 of the program's pixels.
  EXPECT_EQ(g.width, 300);
  EXPECT_EQ(g.height, 300);
  EXPECT_EQ(g.x, (kScreenWidth / 2 - 150) / 2 * 2);
  EXPECT_EQ(g.y, (kScreenHeight / 2 - 150) / 2 * 2);

  // Today's sky cut from the map, each of its pixels a 2 x 2 block.
  const auto map = ProgramMap("SkyMapHi.SBM");
  ASSERT_TRUE(map.has_value());
  const POINT origin = TodaysOrigin(150);
  const std::vector<unsigned long> shown = PixelsOf(X(), w, 0, 0, 300, 300);
  ASSERT_EQ(shown.size(), 300u * 300u);
  int wrong = 0, lit = 0;
  for (int y = 0; y < 300; ++y) {
    for (int x = 0; x < 300; ++x) {
      const std::uint32_t want = map->argb[static_cast<size_t>(origin.y + y / 2) * map->width + origin.x + x / 2] & 0xFFFFFF;
      wrong += shown[static_cast<size_t>(y) * 300 + x] != want;
      lit += want != 0;
    }
  }
  EXPECT_EQ(wrong, 0) << "screen pixels that are not their program pixel's colour";
  EXPECT_GT(lit, 80);

  // The pointer's picture: the arrow with its star, twice as large in blocks, its hot spot
  // on the first screen pixel of the classic hot spot's block.
  Shell("xdotool mousemove " + std::to_string(g.x + 150) + " " + std::to_string(g.y + 150));
  auto cursor = [&](std::vector<unsigned long>* pixels) {
    XFixesCursorImage* c = XFixesGetCursorImage(X());
    if (!c) return false;
    const bool star = c->width == 64 && c->height == 64 && c->xhot == 26 && c->yhot == 16;
    if (star) pixels->assign(c->pixels, c->pixels + 64 * 64);
    XFree(c);
    return star;
  };
  std::vector<unsigned long> pointer;
  ASSERT_TRUE(WaitUntil([&] { return cursor(&pointer); }, 3s)) << "no star pointer at twice its size";
  EXPECT_TRUE(AllTwoByTwoBlocks(pointer, 64));

  // The tray icon: the picture the tray shows at an ordinary density, in blocks.
  const Window icon = TrayIcon();
  ASSERT_NE(icon, 0u);
  const Geometry ig = GeometryOf(X(), icon);
  const std::vector<unsigned long> iconPixels = PixelsOf(X(), icon, 0, 0, ig.width / 2 * 2, ig.height / 2 * 2);
  ASSERT_FALSE(iconPixels.empty());
  EXPECT_TRUE(AllTwoByTwoBlocks(iconPixels, ig.width / 2 * 2));
  EXPECT_GT(std::count_if(iconPixels.begin(), iconPixels.end(),
                          [](unsigned long p) { return (p & 0xFF0000) > 0xC00000 && (p & 0xFF00) < 0x4000; }),
            8 * 4)
      << "the icon's red frame is not in the tray";
}

TEST_F(ScaledDesktopTest, TheRoundWindowsOutlineIsTheClassicEllipseInBlocks) {
  Setting("CircleEdgeFlg", 1);
  const Window w = StartProgram({"LUMIVANE_SCALE=2"});
  ASSERT_NE(w, 0u);
  const gdi::Region shape = ShapeOf(X(), w);
  const gdi::Region ellipse = gdi::Region::Ellipse(0, 0, 150, 150);
  int wrong = 0;
  for (int y = -2; y < 302; ++y) {
    for (int x = -2; x < 302; ++x) {
      const bool inside = x >= 0 && y >= 0 && ellipse.Contains(x / 2, y / 2);
      wrong += shape.Contains(x, y) != inside;
    }
  }
  EXPECT_EQ(wrong, 0) << "screen pixels the outline gets wrong";
}

TEST_F(ScaledDesktopTest, DragsDoubleClicksAndTheMenuLandWhereThePointerIs) {
  const Window w = StartProgram({"LUMIVANE_SCALE=2"});
  ASSERT_NE(w, 0u);
  const Geometry g = GeometryOf(X(), w);
  ASSERT_EQ(g.width, 300);

  // The menu opens at the program's pixel the pointer is in: an odd screen pixel lies in the
  // block that starts one to the left. (Away from every star: at this scale a star's
  // balloon would be as large as a menu.)
  const std::optional<POINT> away = ProgramStarTable().AwayFromTheStars(150);
  ASSERT_TRUE(away.has_value());
  const POINT empty = *away;
  Shell("xdotool mousemove " + std::to_string(g.x + empty.x * 2 + 1) + " " + std::to_string(g.y + empty.y * 2 + 1) +
        " click 3");
  ASSERT_TRUE(WaitUntil([&] { return MenuOnScreen(X()).has_value(); }, 3s)) << "no menu";
  EXPECT_EQ(MenuOnScreen(X())->x, g.x + empty.x * 2);
  EXPECT_EQ(MenuOnScreen(X())->y, g.y + empty.y * 2);
  Shell("xdotool key Escape");
  ASSERT_TRUE(WaitUntil([&] { return !MenuOnScreen(X()).has_value(); }, 3s));

  // A double-click in the upper half makes it a size larger, 200 of the program's pixels,
  // its corner kept; one in the lower half of that brings it back.
  Shell("xdotool sleep 0.3 mousemove " + std::to_string(g.x + 150) + " " + std::to_string(g.y + 40) +
        " click --repeat 2 --delay 60 1");
  EXPECT_TRUE(WaitUntil([&] { return GeometryOf(X(), w).width == 400; }, 3s)) << "width " << GeometryOf(X(), w).width;
  EXPECT_EQ(GeometryOf(X(), w).x, g.x);
  EXPECT_EQ(GeometryOf(X(), w).y, g.y);
  Shell("xdotool sleep 0.5 mousemove " + std::to_string(g.x + 200) + " " + std::to_string(g.y + 360) +
        " click --repeat 2 --delay 60 1");
  EXPECT_TRUE(WaitUntil([&] { return GeometryOf(X(), w).width == 300; }, 3s)) << "width " << GeometryOf(X(), w).width;

  // Dragged, it follows the pointer screen pixel for screen pixel, and it keeps its place in
  // the program's pixels.
  Shell("xdotool sleep 0.5 mousemove " + std::to_string(g.x + 140) + " " + std::to_string(g.y + 140) +
        " sleep 0.2 mousedown 1 sleep 0.3 mousemove " + std::to_string(g.x + 240) + " " + std::to_string(g.y + 180) +
        " sleep 0.2 mousemove " + std::to_string(g.x + 340) + " " + std::to_string(g.y + 220) + " sleep 0.3 mouseup 1");
  EXPECT_TRUE(WaitUntil([&] { return GeometryOf(X(), w).x == g.x + 200 && GeometryOf(X(), w).y == g.y + 80; }, 3s))
      << "window at " << GeometryOf(X(), w).x << ", " << GeometryOf(X(), w).y;
  EndProgram(program_);
  EXPECT_EQ(ReadSetting("BeforePositionPosX"), (g.x + 200) / 2);
  EXPECT_EQ(ReadSetting("BeforePositionPosY"), (g.y + 80) / 2);
}

TEST_F(ScaledDesktopTest, TheBalloonStandsBesideThePointerAtTwiceItsSize) {
  Setting("FrameSizeNo", 6);
  Setting("EdgeFlg", 0);
  Setting("ShootingStarLevel", 0);
  Setting("SateltLevel", 0);
  const auto found = ProgramStarTable().InTodaysWindow();
  ASSERT_TRUE(found.has_value()) << "no star of the table in today's window";
  const POINT star = found->first;
  const Window w = StartProgram({"LUMIVANE_SCALE=2"});
  ASSERT_NE(w, 0u);
  const Geometry g = GeometryOf(X(), w);
  ASSERT_EQ(g.width, 700);
  Shell("xdotool mousemove " + std::to_string(g.x + star.x * 2) + " " + std::to_string(g.y + star.y * 2));
  ASSERT_TRUE(WaitUntil([&] { return BalloonWindows(X()).size() == 1; }, 3s)) << "no balloon for " << found->second;
  const Window balloon = BalloonWindows(X()).front();
  EXPECT_TRUE(WaitUntil(
      [&] {
        const Geometry b = GeometryOf(X(), balloon);
        return b.x == g.x + (star.x + 10) * 2 && b.y == g.y + (star.y + 10) * 2;
      },
      2s))
      << "balloon at " << GeometryOf(X(), balloon).x << ", " << GeometryOf(X(), balloon).y;
  const Geometry b = GeometryOf(X(), balloon);
  EXPECT_EQ(b.width % 2, 0);
  EXPECT_EQ(b.height % 2, 0);
  EXPECT_GT(b.width, 80);
  // The part on the screen (the server copies no pixels off it).
  const int shownWidth = std::min(b.width, (kScreenWidth - b.x) / 2 * 2);
  const int shownHeight = std::min(b.height, (kScreenHeight - b.y) / 2 * 2);
  ASSERT_GT(shownHeight, 20);
  const std::vector<unsigned long> pixels = PixelsOf(X(), balloon, 0, 0, shownWidth, shownHeight);
  ASSERT_FALSE(pixels.empty());
  EXPECT_TRUE(AllTwoByTwoBlocks(pixels, shownWidth)) << "the balloon's text is smoothed, not in blocks";
}

TEST_F(ScaledDesktopTest, TheDesktopsDensityChoosesTheFactorAndLumivaneScaleOverridesIt) {
  const DesktopDensity density(X(), "Xft.antialias:\t1\nXft.dpi:\t192\n");
  struct Run {
    std::vector<std::string> env;
    int width;
    bool warned;
  };
  for (const Run& run : {Run{{}, 300, false}, Run{{"LUMIVANE_SCALE=1"}, 150, false}, Run{{"LUMIVANE_SCALE=1.5"}, 300, true}}) {
    SCOPED_TRACE(run.env.empty() ? "the desktop's density" : run.env.front());
    fs::remove(config_ + "/program.log");
    const Window w = StartProgram(run.env);
    ASSERT_NE(w, 0u);
    EXPECT_EQ(GeometryOf(X(), w).width, run.width);
    EndProgram(program_);
    const std::string said = ReadText(config_ + "/program.log");
    const bool warned = said.find("LUMIVANE_SCALE=\"1.5\" is not a whole number from 1 to 4") != std::string::npos;
    EXPECT_EQ(warned, run.warned) << said;
  }
}

// ---- Two monitors ----

// Two monitors of 1024 x 768 side by side, the left one the primary, the tray on it.
class TwoMonitorDesktopTest : public DesktopFixture {
 protected:
  static void SetUpTestSuite() {
    DesktopOptions options{{"-screen", "0", "2048x768x24"}, 24, {}};
    options.monitors = {Geometry{0, 0, 1024, 768}, Geometry{1024, 0, 1024, 768}};
    StartDesktop(options);
  }

  Window StartAt(int x, int y) {
    Setting("BeforePositionFlg", 1);
    Setting("BeforePositionPosX", x);
    Setting("BeforePositionPosY", y);
    return StartProgram();
  }
};

TEST_F(TwoMonitorDesktopTest, ItOpensInTheMiddleOfThePrimaryOrWhereItWasAndComesBackFromBeyond) {
  for (const auto& [x, y, wantX, wantY] : std::vector<std::tuple<int, int, int, int>>{
           {-1, -1, (1024 - 150) / 2, (768 - 150) / 2},  // no saved place
           {1500, 200, 1500, 200},                       // on the right monitor
           {5000, 100, 2048 - 150, 100},                 // beyond it: whole on its edge
           {950, 300, 950, 300}}) {                      // across the seam, on both
    SCOPED_TRACE(std::to_string(x) + ", " + std::to_string(y));
    fs::remove(SettingsFile());
    const Window w = x < 0 ? StartProgram() : StartAt(x, y);
    ASSERT_NE(w, 0u);
    const Geometry g = GeometryOf(X(), w);
    EXPECT_EQ(g.x, wantX);
    EXPECT_EQ(g.y, wantY);
    Stop(program_);
    program_ = -1;
  }
}

TEST_F(TwoMonitorDesktopTest, OnTheRightMonitorItsBalloonAndDialogsComeUpWithIt) {
  Setting("FrameSizeNo", 6);
  const auto found = ProgramStarTable().InTodaysWindow();
  ASSERT_TRUE(found.has_value());
  const POINT star = found->first;
  const Window w = StartAt(1500, 200);
  ASSERT_NE(w, 0u);
  const Geometry g = GeometryOf(X(), w);
  ASSERT_EQ(g.x, 1500);

  Shell("xdotool mousemove " + std::to_string(g.x + star.x) + " " + std::to_string(g.y + star.y));
  ASSERT_TRUE(WaitUntil([&] { return BalloonWindows(X()).size() == 1; }, 3s)) << "no balloon for " << found->second;
  EXPECT_TRUE(WaitUntil(
      [&] {
        const Geometry b = GeometryOf(X(), BalloonWindows(X()).front());
        return b.x == g.x + star.x + 10 && b.y == g.y + star.y + 10;
      },
      2s));

  // The settings dialog and the about box, each centred over the window on its monitor.
  for (const auto& [key, title] : std::vector<std::pair<std::string, std::string>>{{"c", "ﾀﾞｲｱﾛｸﾞ"}, {"a", "ﾊﾞｰｼﾞｮﾝ情報"}}) {
    SCOPED_TRACE(title);
    Shell("xdotool " + RightClickAt(g.x + 40, g.y + 40));
    ASSERT_TRUE(WaitUntil([&] { return MenuOnScreen(X()).has_value(); }, 3s)) << "no menu";
    Shell("xdotool key " + key);
    Window dialog = 0;
    ASSERT_TRUE(WaitUntil(
        [&] {
          const std::vector<Window> shown = WindowsTitled(X(), title);
          dialog = shown.size() == 1 ? shown.front() : 0;
          return dialog != 0 && IsActive(X(), dialog);
        },
        5s))
        << "no dialog with the focus";
    const Geometry d = GeometryOf(X(), dialog);
    // The window manager's frame may stand a caption's height above the client area.
    EXPECT_NEAR(d.x + d.width / 2, g.x + g.width / 2, 8);
    EXPECT_NEAR(d.y + d.height / 2, g.y + g.height / 2, 30);
    EXPECT_GE(d.x, 1024) << "the dialog left the window's monitor";
    Shell("xdotool key Escape");
    EXPECT_TRUE(WaitUntil([&] { return WindowsTitled(X(), title).empty(); }, 3s));
  }
}

TEST_F(TwoMonitorDesktopTest, TheDesktopCopyShowsWhatLiesBehindOnTheRightMonitorAndAcrossTheSeam) {
  Setting("BkMode", 2);
  Setting("EdgeFlg", 0);
  Setting("ShootingStarLevel", 0);
  Setting("SateltLevel", 0);
  const PatternedDesktop desktop(X(), 2048, 768);

  const auto mask = ProgramMap("SkyMapSh.SBM");
  ASSERT_TRUE(mask.has_value());
  const POINT origin = TodaysOrigin(150);
  // Between the stars (where the map's mask is white), the window shows what lies behind it.
  auto behindCount = [&](Window w, int* between) {
    const Geometry g = GeometryOf(X(), w);
    const std::vector<unsigned long> shown = PixelsOf(X(), w, 0, 0, 150, 150);
    int behind = 0;
    *between = 0;
    for (int y = 0; y < 150 && !shown.empty(); ++y) {
      for (int x = 0; x < 150; ++x) {
        if ((mask->argb[static_cast<size_t>(origin.y + y) * mask->width + origin.x + x] & 0xFFFFFF) != 0xFFFFFF) continue;
        ++*between;
        behind += shown[static_cast<size_t>(y) * 150 + x] == PatternedDesktop::At(g.x + x, g.y + y);
      }
    }
    return behind;
  };

  const Window w = StartAt(950, 200);  // 74 pixels on the left monitor, 76 on the right
  ASSERT_NE(w, 0u);
  int between = 0;
  EXPECT_TRUE(WaitUntil([&] { return behindCount(w, &between) == between; }, 3s))
      << behindCount(w, &between) << " of " << between << " pixels between the stars show what lies behind, across the seam";
  EXPECT_GT(between, 150 * 150 * 9 / 10);

  // Dragged wholly onto the right monitor, then passed over by the pointer as a user would.
  const Geometry g = GeometryOf(X(), w);
  Shell("xdotool mousemove " + std::to_string(g.x + 70) + " " + std::to_string(g.y + 70) + " sleep 0.2 mousedown 1" +
        " sleep 0.3 mousemove " + std::to_string(g.x + 320) + " " + std::to_string(g.y + 120) + " sleep 0.2 mousemove " +
        std::to_string(g.x + 570) + " " + std::to_string(g.y + 170) + " sleep 0.3 mouseup 1");
  ASSERT_TRUE(WaitUntil([&] { return GeometryOf(X(), w).x == g.x + 500; }, 3s));
  const Geometry moved = GeometryOf(X(), w);
  Shell("xdotool sleep 0.5 mousemove " + std::to_string(moved.x + 20) + " " + std::to_string(moved.y + 20) +
        " sleep 0.2 mousemove " + std::to_string(moved.x + 30) + " " + std::to_string(moved.y + 30));
  EXPECT_TRUE(WaitUntil([&] { return behindCount(w, &between) == between; }, 3s))
      << behindCount(w, &between) << " of " << between << " pixels between the stars show what lies behind, on the right";
}

}  // namespace
