// The night sky: placement by date, composition over darkness and over the desktop, the
// sky timer's clock refreshes and random events, shooting stars and satellites.
#include <cstdlib>
#include <functional>

#include "image/dib.h"
#include "image/sbm_writer.h"
#include "platform/gdi/objects.h"
#include "program_fixture.h"
#include "sky/sky_placement.h"

namespace {

constexpr int kMapWidth = 1856;
constexpr int kMapHeight = 403;

// A test map whose every pixel tells where it is, with sparse "stars", and its mask.
bool IsStar(int x, int y) { return (x * 7 + y * 3) % 23 == 0; }
BYTE StarIndex(int x, int y) { return static_cast<BYTE>(1 + (x + 2 * y) % 250); }
std::uint32_t StarColour(BYTE index) {
  return (static_cast<std::uint32_t>(index) << 16) | (static_cast<std::uint32_t>(255 - index) << 8) | ((index * 3) & 0xFF);
}
std::uint32_t MapPixel(int x, int y) { return IsStar(x, y) ? StarColour(StarIndex(x, y)) : 0; }

void WriteTestMaps(const std::string& folder) {
  image::sbm::IndexedPicture stars;
  stars.width = kMapWidth;
  stars.height = kMapHeight;
  stars.palette.resize(256);
  for (int i = 0; i < 256; ++i) {
    const std::uint32_t c = i == 0 ? 0 : StarColour(static_cast<BYTE>(i));
    stars.palette[static_cast<size_t>(i)] =
        RGBQUAD{static_cast<BYTE>(c & 0xFF), static_cast<BYTE>((c >> 8) & 0xFF), static_cast<BYTE>(c >> 16), 0};
  }
  image::sbm::IndexedPicture mask = stars;
  mask.palette.assign(256, RGBQUAD{0, 0, 0, 0});
  mask.palette[1] = RGBQUAD{255, 255, 255, 0};
  stars.indices.resize(static_cast<size_t>(kMapWidth) * kMapHeight);
  mask.indices.resize(stars.indices.size());
  for (int y = 0; y < kMapHeight; ++y) {
    for (int x = 0; x < kMapWidth; ++x) {
      const size_t i = static_cast<size_t>(y) * kMapWidth + x;
      stars.indices[i] = IsStar(x, y) ? StarIndex(x, y) : 0;
      mask.indices[i] = IsStar(x, y) ? 0 : 1;
    }
  }
  for (auto [picture, name] : {std::pair{&stars, "SkyMapHi.SBM"}, std::pair{&mask, "SkyMapSh.SBM"}}) {
    const auto file = image::sbm::EncodeFile(*picture, true);
    ASSERT_TRUE(file.has_value());
    ASSERT_TRUE(image::sbm::WriteBytes(folder + "/" + name, file->bytes));
  }
}

class SkyTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    char pattern[] = "/tmp/lumivane-program-XXXXXX";
    programDir = mkdtemp(pattern);
    WriteTestMaps(programDir);
    // The sky alone: no frame over it, and the clock rectangles stay as a test sets them.
    WriteSetting("EdgeFlg", 0);
  }
  void TearDown() override {
    ProgramTest::TearDown();
    std::filesystem::remove_all(programDir);
  }

  const gdi::Surface& Pixels() { return *user::WindowPixels(FrameHwnd()); }

  // Pixels of the window that differ from what the map shows at the current origin.
  int DifferencesFromMap(std::function<std::uint32_t(int, int)> expected = {}) {
    const gdi::Surface& s = Pixels();
    const CPoint o = View()->m_ptSkyOrigin;
    int wrong = 0;
    for (int y = 0; y < s.height; ++y) {
      for (int x = 0; x < s.width; ++x) {
        const std::uint32_t want = expected ? expected(x, y) : MapPixel(o.x + x, o.y + y);
        wrong += s.At(x, y) != want;
      }
    }
    return wrong;
  }

  // A second whose seeded draw gives a number in [low, high] (and that passes `also`).
  std::int64_t SecondDrawing(int low, int high, std::function<bool(std::int64_t)> also = {}) {
    const std::int64_t base = backend->EpochSeconds() + 10;
    for (std::int64_t s = base; s < base + 100000; ++s) {
      sky::SecondsRandom r;
      r.Seed(static_cast<std::uint32_t>(s));
      const int a = r.DrawAtMost(100);
      if (a >= low && a <= high && (!also || also(s))) return s;
    }
    ADD_FAILURE() << "no second draws a number in " << low << ".." << high;
    return base;
  }

  // Runs the clock to the moment a sky tick has just happened, with no events meanwhile,
  // and sets the calendar so that the next tick, a second later, falls in `second`.
  void NextTickIn(std::int64_t second) {
    CMyDoc* doc = Doc();
    const int stars = std::exchange(doc->ShootingStarLevel, 0);
    const int satellites = std::exchange(doc->SateltLevel, 0);
    bool ticked = false;
    user::SetMessageSpy([&](const MSG& m) {
      if (m.message == WM_TIMER && m.hwnd == View()->m_hWnd && m.wParam == 1) ticked = true;
    });
    for (int ms = 0; ms < 2000 && !ticked; ++ms) backend->Advance(1);
    user::SetMessageSpy(nullptr);
    doc->ShootingStarLevel = stars;
    doc->SateltLevel = satellites;
    backend->SetEpochSeconds(second - 1);
  }

  // The union of the view's four pane regions as they stand now.
  gdi::Region PaneUnion() {
    gdi::Region all;
    for (CRgn& pane : View()->m_rgnPane) all = gdi::Region::Or(all, gdi::Find<gdi::RegionObject>(pane.m_hObject)->region);
    return all;
  }

  // Which pane holds the point (0..3, top-left to bottom-right), or -1 for none.
  int PaneAt(int x, int y) {
    for (int i = 0; i < 4; ++i) {
      if (View()->m_rgnPane[i].PtInRegion(x, y)) return i;
    }
    return -1;
  }

  // What the view still has to repaint, in its client coordinates.
  gdi::Region ViewUpdateRegion() { return user::detail::Find(View()->m_hWnd)->update; }

  // Whether the satellite window has its step timer set.
  bool StepTimerSet(HWND satellite) {
    for (const user::detail::Timer& t : user::detail::S().timers) {
      if (t.hwnd == satellite && t.id == 100) return true;
    }
    return false;
  }

  // Pixels of the window that differ from `before`, where `grey` (if on the window) is
  // expected to show the satellite instead.
  int DifferencesFrom(const gdi::Surface& before, CPoint grey = CPoint(-1, -1)) {
    const gdi::Surface& s = Pixels();
    int wrong = 0;
    for (int y = 0; y < s.height; ++y) {
      for (int x = 0; x < s.width; ++x) {
        const std::uint32_t want = CPoint(x, y) == grey ? 0xC0C0C0u : before.At(x, y);
        wrong += s.At(x, y) != want;
      }
    }
    return wrong;
  }
};

TEST(SkyPlacement, WorkedOrigins) {
  struct Case {
    int month, day, size, x, y;
  };
  const Case cases[] = {{1, 1, 350, 1506, 53},  {1, 1, 100, 1631, 178},  {2, 28, 200, 1349, 128},
                        {2, 29, 350, 1270, 53}, {3, 1, 350, 1270, 53},   {6, 21, 125, 934, 165},
                        {12, 31, 275, 87, 90},  {12, 31, 350, 50, 53},   {1, 1, 125, 1618, 165}};
  for (const Case& c : cases) {
    const POINT o = sky::SkyOrigin(c.month, c.day, c.size, c.size);
    EXPECT_EQ(o.x, c.x) << c.month << "/" << c.day << " at " << c.size;
    EXPECT_EQ(o.y, c.y) << c.month << "/" << c.day << " at " << c.size;
  }
  EXPECT_EQ(sky::DayOfYear(1, 31), 31);
  EXPECT_EQ(sky::DayOfYear(12, 31), 365);
  EXPECT_EQ(sky::DayOfYear(2, 29), sky::DayOfYear(3, 1));
}

TEST_F(SkyTest, DarknessShowsTheMapSliceAtTheDatesOrigin) {
  backend->SetLocalTime(platform::LocalTime{2031, 6, 21, 0, 20, 0, 0});
  WriteSetting("FrameSizeNo", 2);
  ASSERT_TRUE(Start());
  EXPECT_EQ(View()->m_ptSkyOrigin, CPoint(934, 165));
  EXPECT_EQ(Pixels().width, 125);
  EXPECT_EQ(DifferencesFromMap(), 0);
}

TEST_F(SkyTest, DesktopBackgroundIsCutByTheMaskAndLitByTheStars) {
  // A desktop picture that differs everywhere; the window stands at its centre.
  gdi::Surface desktop(640, 480);
  for (int y = 0; y < 480; ++y) {
    for (int x = 0; x < 640; ++x) desktop.At(x, y) = static_cast<std::uint32_t>(((x * 3) << 8) ^ (y * 5) ^ 0x203040);
  }
  backend->SetDesktopPicture(desktop);
  WriteSetting("BkMode", 2);
  ASSERT_TRUE(Start());
  const RECT r = FrameRect();
  const CPoint o = View()->m_ptSkyOrigin;
  const int wrong = DifferencesFromMap([&](int x, int y) {
    const std::uint32_t behind = desktop.At(r.left + x, r.top + y);
    const std::uint32_t mask = IsStar(o.x + x, o.y + y) ? 0 : 0xFFFFFF;
    return (behind & mask) | MapPixel(o.x + x, o.y + y);
  });
  EXPECT_EQ(wrong, 0);
  // The copy of the desktop is as large as the window and taken at its place.
  const auto* copy = gdi::Find<gdi::BitmapObject>(View()->m_pDesktopBitmap->m_hObject);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->surface->width, 150);
  EXPECT_EQ(copy->surface->At(10, 20), desktop.At(r.left + 10, r.top + 20));
}

TEST_F(SkyTest, OtherBackgroundValuesDrawNoSky) {
  WriteSetting("BkMode", 0);
  ASSERT_TRUE(Start());
  EXPECT_EQ(DifferencesFromMap([](int, int) { return 0u; }), 0);
}

TEST_F(SkyTest, MissingMapsLeaveTheWindowBlackAndTheProgramRunning) {
  std::filesystem::remove(programDir + "/SkyMapHi.SBM");
  ASSERT_TRUE(Start());
  EXPECT_EQ(DifferencesFromMap([](int, int) { return 0u; }), 0);
  backend->Advance(3000);
  EXPECT_TRUE(::IsWindow(FrameHwnd()));
}

TEST_F(SkyTest, TheMinuteRefreshesOnlyTheClockWithoutTheSky) {
  backend->SetLocalTime(platform::LocalTime{2026, 12, 9, 3, 12, 59, 58});
  WriteSetting("ShootingStarLevel", 0);
  WriteSetting("SateltLevel", 0);
  ASSERT_TRUE(Start());
  View()->m_rcClockMinute = CRect(100, 140, 120, 148);
  View()->m_rcClockTime = CRect(80, 140, 120, 148);
  View()->m_rcClockDate = CRect(60, 140, 120, 148);
  std::vector<RECT> updates;
  std::vector<int> skipFlags;
  user::SetMessageSpy([&](const MSG& m) {
    if (m.hwnd == View()->m_hWnd && m.message == WM_PAINT) {
      RECT u;
      ::GetUpdateRect(m.hwnd, &u, FALSE);
      updates.push_back(u);
      skipFlags.push_back(View()->m_bSkipSky);
    }
  });
  // 12:59 -> 13:00 refreshes the time, 13:00 -> 13:01 the minute.
  backend->Advance(2000);
  ASSERT_EQ(updates.size(), 1u);
  EXPECT_EQ(updates[0], (RECT{80, 140, 120, 148}));
  EXPECT_EQ(skipFlags[0], 1);
  EXPECT_EQ(View()->m_bSkipSky, 0);
  EXPECT_EQ(Doc()->m_nHour, 13);
  EXPECT_EQ(Doc()->m_nMinute, 0);
  backend->Advance(60000);
  ASSERT_EQ(updates.size(), 2u);
  EXPECT_EQ(updates[1], (RECT{100, 140, 120, 148}));
  // Ticks within a minute change nothing on screen.
  backend->Advance(30000);
  EXPECT_EQ(updates.size(), 2u);
}

TEST_F(SkyTest, MidnightRefreshesTheDateAndOnARoundWindowTheTimeToo) {
  for (int round : {0, 1}) {
    if (round) {
      TearDown();
      SetUp();
      WriteSetting("CircleEdgeFlg", 1);
    }
    backend->SetLocalTime(platform::LocalTime{2026, 12, 31, 4, 23, 59, 59});
    WriteSetting("ShootingStarLevel", 0);
    WriteSetting("SateltLevel", 0);
    ASSERT_TRUE(Start());
    View()->m_rcClockTime = CRect(10, 140, 40, 148);
    View()->m_rcClockDate = CRect(60, 0, 90, 12);
    std::vector<RECT> updates;
    user::SetMessageSpy([&](const MSG& m) {
      if (m.hwnd == View()->m_hWnd && m.message == WM_PAINT) {
        RECT u;
        ::GetUpdateRect(m.hwnd, &u, FALSE);
        updates.push_back(u);
      }
    });
    backend->Advance(1500);
    user::SetMessageSpy(nullptr);
    ASSERT_EQ(updates.size(), 1u) << "round " << round;
    EXPECT_EQ(updates[0], round ? (RECT{10, 0, 90, 148}) : (RECT{60, 0, 90, 12})) << "round " << round;
    EXPECT_EQ(Doc()->m_nYear, 2027);
    EXPECT_EQ(Doc()->m_nDay, 1);
    EXPECT_EQ(Doc()->m_strWeekday, "(金)");
  }
}

TEST_F(SkyTest, OneNumberDecidesBothEventsByTheirLevels) {
  WriteSetting("ShootingStarLevel", 3);
  WriteSetting("SateltLevel", 5);
  WriteSetting("EdgeFlg", 0);
  ASSERT_TRUE(Start());
  struct Band {
    int low, high;
    bool satellite, star;
  };
  // 1..30 brings both, 31..50 a satellite alone, 0 and 51..100 nothing.
  for (const Band& b : {Band{1, 30, true, true}, Band{31, 50, true, false}, Band{51, 100, false, false},
                        Band{0, 0, false, false}}) {
    View()->m_satellite.m_bActive = 0;
    View()->m_satellite.KillTimer(100);
    View()->m_bStarPending = 0;
    NextTickIn(SecondDrawing(b.low, b.high));
    bool pendingSeen = false;
    user::SetMessageSpy([&](const MSG& m) {
      if (m.hwnd == View()->m_hWnd && m.message == WM_PAINT && View()->m_bStarPending) pendingSeen = true;
    });
    const bool flyingBefore = View()->m_satellite.m_bActive;
    backend->Advance(1000);
    user::SetMessageSpy(nullptr);
    EXPECT_FALSE(flyingBefore);
    EXPECT_EQ(View()->m_satellite.m_bActive == 1, b.satellite) << b.low << ".." << b.high;
    EXPECT_EQ(pendingSeen, b.star) << b.low << ".." << b.high;
  }
}

TEST_F(SkyTest, AShootingStarIsInExactlyOnePaint) {
  WriteSetting("ShootingStarLevel", 10);
  WriteSetting("SateltLevel", 0);
  WriteSetting("EdgeFlg", 0);
  ASSERT_TRUE(Start());
  ASSERT_EQ(DifferencesFromMap(), 0);
  // A second whose star lands well inside the window (stars may also fall beyond it).
  const std::int64_t second = SecondDrawing(1, 100, [&](std::int64_t s) {
    const std::int64_t saved = backend->EpochSeconds();
    backend->SetEpochSeconds(s);
    const CPoint p = View()->PickStarPosition();
    backend->SetEpochSeconds(saved);
    return p.x >= 0 && p.x <= 100 && p.y >= 0 && p.y <= 100;
  });
  NextTickIn(second);
  std::vector<int> differences;
  user::SetMessageSpy([&](const MSG& m) {
    // Before each paint of the view, what the previous paint left on screen.
    if (m.hwnd == View()->m_hWnd && m.message == WM_PAINT) differences.push_back(DifferencesFromMap());
  });
  backend->Advance(1000);
  user::SetMessageSpy(nullptr);
  differences.push_back(DifferencesFromMap());
  // The tick's paint shows the streak; it asks for the next paint at once, which shows the
  // sky without it.
  ASSERT_EQ(differences.size(), 3u);
  EXPECT_EQ(differences[0], 0);
  EXPECT_GT(differences[1], 0);
  EXPECT_EQ(differences[2], 0);
  EXPECT_EQ(View()->m_bStarPending, 0);
}

TEST(ShootingStar, VariantFollowsTheRemainderOfX) {
  EXPECT_EQ(CMyView::ShootingStarVariant(0), 0);
  EXPECT_EQ(CMyView::ShootingStarVariant(-11), 5);
  EXPECT_EQ(CMyView::ShootingStarVariant(13), 1);
  EXPECT_EQ(CMyView::ShootingStarVariant(-7), 1);
  EXPECT_EQ(CMyView::ShootingStarVariant(-20), 2);
  EXPECT_EQ(CMyView::ShootingStarVariant(335), 5);
}

TEST_F(SkyTest, ShootingStarsLandInsideTheReachOfTheWindow) {
  ASSERT_TRUE(Start());
  for (int i = 0; i < 40; ++i) {
    backend->Advance(1000);
    const CPoint p = View()->PickStarPosition();
    EXPECT_GE(p.x, -20);
    EXPECT_LE(p.x, 150);
    EXPECT_GE(p.y, -20);
    EXPECT_LE(p.y, 150);
  }
}

TEST_F(SkyTest, SatelliteFliesOnePixelAStepAndEndsOnEitherAxis) {
  WriteSetting("ShootingStarLevel", 0);
  WriteSetting("SateltLevel", 0);
  ASSERT_TRUE(Start());
  // Panes covering the whole window, as a frameless window's would not: the test wants to
  // see every step.
  for (CRgn& pane : View()->m_rgnPane) SetRectRgn(pane, 0, 0, 150, 150);
  CFlyObject& satellite = View()->m_satellite;
  satellite.Start(View(), 0, 120, 90, 0);
  EXPECT_DOUBLE_EQ(satellite.m_dStepX, 0.75);
  EXPECT_DOUBLE_EQ(satellite.m_dStepY, -1.0);
  for (int k = 0; k <= 120; ++k) {
    ASSERT_EQ(satellite.m_bActive, 1) << "step " << k;
    backend->Advance(55);
    ASSERT_EQ(satellite.m_ptCurrent, CPoint(static_cast<int>(0.75 * k), 120 - k)) << "step " << k;
    if (k < 120) {
      // The pixel is on screen in light grey.
      EXPECT_EQ(Pixels().At(static_cast<int>(0.75 * k), 120 - k), 0xC0C0C0u);
    }
  }
  EXPECT_EQ(satellite.m_bActive, 0);
  EXPECT_EQ(satellite.m_dPosX, 0.0);
  // Start on the end: the flight ends at its first step, with no division by zero.
  satellite.Start(View(), 30, 0, 30, 0);
  backend->Advance(55);
  EXPECT_EQ(satellite.m_bActive, 0);
  // Both ends on the top edge: ends at once as well.
  satellite.Start(View(), 10, 0, 100, 0);
  backend->Advance(55);
  EXPECT_EQ(satellite.m_bActive, 0);
}

TEST_F(SkyTest, SatelliteIsSeenOnlyInsideThePanes) {
  WriteSetting("ShootingStarLevel", 0);
  WriteSetting("SateltLevel", 0);
  ASSERT_TRUE(Start());
  // Until a frame is painted the panes are the 12 x 12 squares at the top-left corner.
  CFlyObject& satellite = View()->m_satellite;
  satellite.Start(View(), 0, 20, 20, 0);
  std::vector<int> visible;
  for (int k = 0; k < 21 && satellite.m_bActive; ++k) {
    backend->Advance(55);
    visible.push_back(satellite.m_bVisible);
  }
  // Steps 0..8 show (k, 20 - k): inside the square only from y = 11 down to the corner.
  EXPECT_EQ(visible[0], 0);
  EXPECT_EQ(visible[9], 1);
  EXPECT_EQ(satellite.m_bActive, 0);
}

TEST_F(SkyTest, SatellitePathsRunBetweenTheTopAndLeftEdges) {
  ASSERT_TRUE(Start());
  for (int i = 0; i < 30; ++i) {
    backend->Advance(1000);
    CPoint s, e;
    View()->PickSatellitePath(s, e);
    EXPECT_TRUE(s.x == 0 || s.y == 0);
    EXPECT_TRUE(e.x == 0 || e.y == 0);
    EXPECT_LE(s.x, 150);
    EXPECT_LE(e.y, 150);
  }
}

TEST_F(SkyTest, ViewCreationMakesItsDrawingResources) {
  ASSERT_TRUE(Start());
  CMyView* v = View();
  EXPECT_EQ(v->m_nSkyTimer, 1);
  for (CPen* pen : v->m_pFramePens) {
    const auto* p = gdi::Find<gdi::PenObject>(pen->m_hObject);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->style, PS_INSIDEFRAME);
    EXPECT_EQ(p->width, 2);
  }
  EXPECT_EQ(gdi::Find<gdi::PenObject>(v->m_pFramePens[0]->m_hObject)->color, RGB(174, 0, 0));
  EXPECT_EQ(gdi::Find<gdi::PenObject>(v->m_pFramePens[13]->m_hObject)->color, RGB(192, 192, 192));
  EXPECT_EQ(gdi::Find<gdi::PenObject>(v->m_penPlate[5].m_hObject)->color, RGB(164, 164, 164));
  const auto* font = gdi::Find<gdi::FontObject>(v->m_fontClock.m_hObject);
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(font->height, -10);
  EXPECT_EQ(font->face, "ＭＳ Ｐゴシック");
  for (int k = 0; k < 6; ++k) {
    const auto* image = gdi::Find<gdi::BitmapObject>(v->m_pStarImage[k]->m_hObject);
    const auto* mask = gdi::Find<gdi::BitmapObject>(v->m_pStarMask[k]->m_hObject);
    ASSERT_NE(image, nullptr) << k;
    ASSERT_NE(mask, nullptr) << k;
    EXPECT_EQ(image->surface->width, 48);
    // Masks are white where pictures are black.
    EXPECT_EQ(image->surface->At(0, 0), 0u);
    EXPECT_EQ(mask->surface->At(0, 0), 0xFFFFFFu);
  }
  const auto* scratch = gdi::Find<gdi::BitmapObject>(v->m_pStarScratch->m_hObject);
  ASSERT_NE(scratch, nullptr);
  EXPECT_EQ(scratch->surface->width, 47);
  RECT box;
  EXPECT_EQ(GetRgnBox(v->m_rgnPane[3], &box), SIMPLEREGION);
  EXPECT_EQ(box, (RECT{0, 0, 12, 12}));
  EXPECT_TRUE(::IsWindow(v->m_satellite.m_hWnd));
  EXPECT_EQ(::GetDlgCtrlID(v->m_satellite.m_hWnd), 1997);
  EXPECT_FALSE(::IsWindowVisible(v->m_satellite.m_hWnd));
  EXPECT_EQ(v->m_pSkyMapHi->m_nWidth, kMapWidth);
}

TEST_F(SkyTest, AFlightUnderWayBlocksNewSatellitesButNotShootingStars) {
  WriteSetting("ShootingStarLevel", 10);
  WriteSetting("SateltLevel", 10);
  ASSERT_TRUE(Start());
  for (CRgn& pane : View()->m_rgnPane) SetRectRgn(pane, 0, 0, 150, 150);
  CFlyObject& satellite = View()->m_satellite;
  // At level 10 every number but 0 would start a satellite if none were flying.
  NextTickIn(SecondDrawing(1, 100));
  // Neither end lies on the top or left edge, so no path the tick picks can look like it.
  satellite.Start(View(), 5, 140, 145, 0);
  bool starPainted = false;
  user::SetMessageSpy([&](const MSG& m) {
    if (m.hwnd == View()->m_hWnd && m.message == WM_PAINT && View()->m_bStarPending) starPainted = true;
  });
  backend->Advance(1000);
  user::SetMessageSpy(nullptr);
  EXPECT_TRUE(starPainted);
  EXPECT_EQ(satellite.m_bActive, 1);
  EXPECT_EQ(satellite.m_ptStart, CPoint(5, 140));
  EXPECT_EQ(satellite.m_ptEnd, CPoint(145, 0));
  EXPECT_DOUBLE_EQ(satellite.m_dStepX, 1.0);
  EXPECT_DOUBLE_EQ(satellite.m_dStepY, -1.0);
  // The flight goes on along its own line to its own end (later ticks bring nothing).
  Doc()->ShootingStarLevel = 0;
  Doc()->SateltLevel = 0;
  int steps = 0;
  while (satellite.m_bActive && steps < 200) {
    backend->Advance(55);
    ++steps;
    ASSERT_EQ(satellite.m_ptCurrent.x + satellite.m_ptCurrent.y, 145) << "step " << steps;
  }
  EXPECT_EQ(satellite.m_bActive, 0);
  EXPECT_EQ(satellite.m_ptCurrent, CPoint(145, 0));
}

TEST_F(SkyTest, AnEventInTheTickOfAMinuteChangeComesWithTheClockRefreshInAFullPaint) {
  WriteSetting("EdgeFlg", 1);  // the log frame with its bars and the clock on it
  WriteSetting("ShootingStarLevel", 10);
  WriteSetting("SateltLevel", 0);
  ASSERT_TRUE(Start());
  // A second that begins a minute (not a full hour) and brings a shooting star; the tick
  // before it, still in the old minute, brings nothing.
  const std::int64_t second =
      SecondDrawing(1, 100, [](std::int64_t s) { return s % 60 == 0 && s / 60 % 60 != 0; });
  Doc()->ShootingStarLevel = 0;
  NextTickIn(second - 1);
  backend->Advance(1000);
  Doc()->ShootingStarLevel = 10;
  ASSERT_EQ(Doc()->m_nMinute, static_cast<int>((second - 1) / 60 % 60));
  const CRect minute = View()->m_rcClockMinute;
  ASSERT_FALSE(minute.IsRectEmpty());
  std::vector<gdi::Region> updates;
  std::vector<int> skipSky;
  std::vector<int> starPending;
  user::SetMessageSpy([&](const MSG& m) {
    if (m.hwnd == View()->m_hWnd && m.message == WM_PAINT) {
      updates.push_back(ViewUpdateRegion());
      skipSky.push_back(View()->m_bSkipSky);
      starPending.push_back(View()->m_bStarPending);
    }
  });
  backend->Advance(1000);
  user::SetMessageSpy(nullptr);
  EXPECT_EQ(Doc()->m_nMinute, static_cast<int>(second / 60 % 60));
  // One paint repaints the minute and the glass, and composes the sky with the star in it;
  // the star's own repaint follows.
  ASSERT_FALSE(updates.empty());
  EXPECT_EQ(updates[0], gdi::Region::Or(PaneUnion(), gdi::Region::FromRect(minute.left, minute.top, minute.right,
                                                                           minute.bottom)));
  EXPECT_EQ(skipSky[0], 0);
  EXPECT_EQ(starPending[0], 1);
  ASSERT_EQ(updates.size(), 2u);
  EXPECT_EQ(updates[1], PaneUnion());
  EXPECT_EQ(starPending[1], 0);
}

TEST_F(SkyTest, WithAFrameAShootingStarRepaintsTheFourPanesOnly) {
  WriteSetting("EdgeFlg", 1);
  WriteSetting("ClockFlg", 0);
  WriteSetting("ShootingStarLevel", 10);
  WriteSetting("SateltLevel", 0);
  ASSERT_TRUE(Start());
  const gdi::Region panes = PaneUnion();
  // The glass of the log frame with its cross of bars: neither the frame nor the bars.
  ASSERT_TRUE(panes.Contains(40, 40));
  ASSERT_TRUE(panes.Contains(110, 110));
  ASSERT_FALSE(panes.Contains(75, 40));
  ASSERT_FALSE(panes.Contains(40, 75));
  ASSERT_FALSE(panes.Contains(5, 5));
  NextTickIn(SecondDrawing(1, 100));
  std::vector<gdi::Region> updates;
  user::SetMessageSpy([&](const MSG& m) {
    if (m.hwnd == View()->m_hWnd && m.message == WM_PAINT) updates.push_back(ViewUpdateRegion());
  });
  backend->Advance(1000);
  user::SetMessageSpy(nullptr);
  // The paint that brings the star and the one that takes it away.
  ASSERT_EQ(updates.size(), 2u);
  EXPECT_EQ(updates[0], panes);
  EXPECT_EQ(updates[1], panes);
}

TEST_F(SkyTest, ASatelliteIsSeenInEveryPaneOfALogFrameButNeverOverItsBarsOrEdge) {
  WriteSetting("EdgeFlg", 1);
  WriteSetting("EdgeKind", 1);
  WriteSetting("EdgeClossFlg", 1);
  WriteSetting("ClockFlg", 0);
  WriteSetting("ShootingStarLevel", 0);
  WriteSetting("SateltLevel", 0);
  ASSERT_TRUE(Start());
  const gdi::Surface before = Pixels();
  CFlyObject& satellite = View()->m_satellite;
  int shownInPane[4] = {};
  int hidden = 0;
  // Two rows right across the window: edge, a pane, the vertical bar, a pane, edge.
  for (int row : {40, 110}) {
    ASSERT_EQ(PaneAt(75, row), -1);
    satellite.Start(View(), 0, row, 149, row + 1);
    for (int x = 0; x <= 149; ++x) {
      ASSERT_EQ(satellite.m_bActive, 1) << x << ", " << row;
      backend->Advance(55);
      const int pane = PaneAt(x, row);
      if (pane >= 0) {
        ++shownInPane[pane];
        // The grey pixel is on screen and nothing else has changed.
        ASSERT_EQ(DifferencesFrom(before, CPoint(x, row)), 0) << x << ", " << row;
      } else {
        ++hidden;
        ASSERT_EQ(DifferencesFrom(before), 0) << x << ", " << row;
      }
    }
    EXPECT_EQ(satellite.m_bActive, 0);
  }
  for (int i = 0; i < 4; ++i) EXPECT_GT(shownInPane[i], 0) << "pane " << i;
  EXPECT_GT(hidden, 0);
}

TEST_F(SkyTest, EachSatelliteStepRepaintsTheSkyUnderThePreviousPixel) {
  WriteSetting("ShootingStarLevel", 0);
  WriteSetting("SateltLevel", 0);
  ASSERT_TRUE(Start());
  for (CRgn& pane : View()->m_rgnPane) SetRectRgn(pane, 0, 0, 150, 150);
  ASSERT_EQ(DifferencesFromMap(), 0);
  CFlyObject& satellite = View()->m_satellite;
  const CPoint o = View()->m_ptSkyOrigin;
  struct Flight {
    int x1, y1, x2, y2;
  };
  // Steep up and right, steep down and left, flat right, flat left.
  for (const Flight& f : {Flight{0, 120, 90, 0}, Flight{90, 0, 0, 120}, Flight{10, 60, 140, 61},
                          Flight{140, 60, 10, 61}}) {
    satellite.Start(View(), f.x1, f.y1, f.x2, f.y2);
    int steps = 0;
    for (;;) {
      backend->Advance(55);
      ASSERT_LT(++steps, 200);
      if (!satellite.m_bActive) break;
      // Only the satellite's own pixel differs from the sky: the one before it is gone.
      const CPoint at = satellite.m_ptCurrent;
      ASSERT_EQ(DifferencesFromMap([&](int x, int y) {
                  return CPoint(x, y) == at ? 0xC0C0C0u : MapPixel(o.x + x, o.y + y);
                }),
                0)
          << "flight from " << f.x1 << ", " << f.y1 << ", step " << steps;
    }
    // The end of the flight leaves the sky whole.
    EXPECT_EQ(DifferencesFromMap(), 0) << "flight from " << f.x1 << ", " << f.y1;
  }
}

TEST_F(SkyTest, ASatelliteThatLeavesThePanesDrawsNothingMoreAndItsFlightEndsAtTheEnd) {
  WriteSetting("EdgeFlg", 1);
  WriteSetting("ClockFlg", 0);
  WriteSetting("ShootingStarLevel", 0);
  WriteSetting("SateltLevel", 0);
  ASSERT_TRUE(Start());
  const gdi::Surface before = Pixels();
  CFlyObject& satellite = View()->m_satellite;
  // Leftwards out of the top-left pane, over the frame, to the window's left edge.
  satellite.Start(View(), 40, 40, 0, 41);
  const HWND hwnd = satellite.m_hWnd;
  int x = 40;
  for (; PaneAt(x, 40) == 0; --x) {
    backend->Advance(55);
    ASSERT_EQ(satellite.m_bVisible, 1) << x;
    ASSERT_EQ(satellite.m_ptCurrent, CPoint(x, 40));
  }
  ASSERT_GT(x, 0);
  // The first step over the frame takes the pixel away from the pane at once.
  backend->Advance(55);
  EXPECT_EQ(satellite.m_bActive, 1);
  EXPECT_EQ(satellite.m_bVisible, 0);
  EXPECT_EQ(satellite.m_ptCurrent, CPoint(-1, -1));
  EXPECT_EQ(DifferencesFrom(before), 0);
  EXPECT_TRUE(StepTimerSet(hwnd));
  // Over the frame nothing is drawn, and the flight ends on reaching x = 0.
  for (--x; x >= 0; --x) {
    ASSERT_EQ(satellite.m_bActive, 1) << x;
    backend->Advance(55);
    ASSERT_EQ(DifferencesFrom(before), 0) << x;
  }
  EXPECT_EQ(satellite.m_bActive, 0);
  EXPECT_FALSE(StepTimerSet(hwnd));
  EXPECT_EQ(satellite.m_dPosX, 0.0);
  EXPECT_EQ(satellite.m_dPosY, 0.0);
  backend->Advance(550);
  EXPECT_EQ(satellite.m_ptCurrent, CPoint(-1, -1));
  EXPECT_EQ(DifferencesFrom(before), 0);
}

TEST_F(SkyTest, DestroyingTheViewStopsAFlightAndItsStepTimer) {
  WriteSetting("ShootingStarLevel", 0);
  WriteSetting("SateltLevel", 0);
  ASSERT_TRUE(Start());
  CFlyObject* satellite = &View()->m_satellite;
  satellite->Start(View(), 0, 120, 90, 0);
  backend->Advance(3 * 55);
  ASSERT_EQ(satellite->m_bActive, 1);
  const HWND hwnd = satellite->m_hWnd;
  ASSERT_TRUE(StepTimerSet(hwnd));
  // The flying object goes with the view: look at it when its window's last message comes,
  // before the window system forgets what belonged to the window.
  bool lastMessage = false;
  bool timerAtEnd = true;
  int activeAtEnd = -1;
  user::SetMessageSpy([&](const MSG& m) {
    if (m.hwnd == hwnd && m.message == WM_NCDESTROY) {
      lastMessage = true;
      timerAtEnd = StepTimerSet(hwnd);
      activeAtEnd = satellite->m_bActive;
    }
  });
  ViewCommand(ID_EXIT);
  user::SetMessageSpy(nullptr);
  ASSERT_TRUE(platform::QuitPending());
  ASSERT_TRUE(lastMessage);
  EXPECT_FALSE(timerAtEnd);
  EXPECT_EQ(activeAtEnd, 0);
  EXPECT_FALSE(::IsWindow(hwnd));
  EXPECT_FALSE(StepTimerSet(hwnd));
  backend->Advance(500);
}

TEST_F(SkyTest, AShootingStarsYIsDrawnAfterReseedingWithTheSecondsAndItsX) {
  WriteSetting("ShootingStarLevel", 10);
  WriteSetting("SateltLevel", 0);
  ASSERT_TRUE(Start());
  CRect client;
  View()->GetClientRect(&client);
  const int w = client.Width();
  const int h = client.Height();
  // x: the first number up to W + 20 after seeding with the seconds; y: the first number up
  // to H + 20 after seeding again with the seconds plus that number's remainder by W + 20.
  auto expected = [&](std::int64_t second) {
    sky::SecondsRandom r;
    r.Seed(static_cast<std::uint32_t>(second));
    const int dx = r.DrawAtMost(w + 20);
    r.Seed(static_cast<std::uint32_t>(second) + static_cast<std::uint32_t>(dx % (w + 20)));
    return CPoint(dx - 20, r.DrawAtMost(h + 20) - 20);
  };
  // What y would be if the generator went on without the second seeding.
  auto unseeded = [&](std::int64_t second) {
    sky::SecondsRandom r;
    r.Seed(static_cast<std::uint32_t>(second));
    r.DrawAtMost(w + 20);
    return r.DrawAtMost(h + 20) - 20;
  };
  const std::int64_t base = backend->EpochSeconds() + 10;
  int telling = 0;
  for (std::int64_t s = base; s < base + 300; ++s) {
    backend->SetEpochSeconds(s);
    const CPoint want = expected(s);
    ASSERT_EQ(View()->PickStarPosition(), want) << "second " << s;
    telling += want.y != unseeded(s);
  }
  EXPECT_GT(telling, 200);

  // The paint of a tick in such a second blends the streak in at that very point.
  const std::int64_t second = SecondDrawing(1, 100, [&](std::int64_t s) {
    const CPoint p = expected(s);
    return p.x >= 0 && p.x <= 100 && p.y >= 0 && p.y <= 100;
  });
  const CPoint at = expected(second);
  NextTickIn(second);
  std::vector<gdi::Surface> shown;
  user::SetMessageSpy([&](const MSG& m) {
    // Before each paint of the view, what the one before it left on screen.
    if (m.hwnd == View()->m_hWnd && m.message == WM_PAINT) shown.push_back(Pixels());
  });
  backend->Advance(1000);
  user::SetMessageSpy(nullptr);
  ASSERT_EQ(shown.size(), 2u);
  const CPoint o = View()->m_ptSkyOrigin;
  int inside = 0;
  int outside = 0;
  for (int y = 0; y < shown[1].height; ++y) {
    for (int x = 0; x < shown[1].width; ++x) {
      if (shown[1].At(x, y) == MapPixel(o.x + x, o.y + y)) continue;
      const bool inBox = x >= at.x && x < at.x + 47 && y >= at.y && y < at.y + 47;
      (inBox ? inside : outside) += 1;
    }
  }
  EXPECT_GT(inside, 0);
  EXPECT_EQ(outside, 0);
}

}  // namespace
