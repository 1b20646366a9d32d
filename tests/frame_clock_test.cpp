// The painted frames with the glass and pane regions they leave, and the clock on them.
#include <cstdlib>
#include <string>

#include "decor/clock_layout.h"
#include "decor/frame_geometry.h"
#include "image/png_file.h"
#include "platform/gdi/objects.h"
#include "program_fixture.h"

namespace {

std::uint32_t Rgb(int r, int g, int b) {
  return (static_cast<std::uint32_t>(r) << 16) | (static_cast<std::uint32_t>(g) << 8) | static_cast<std::uint32_t>(b);
}
std::uint32_t LogShade(int s) { return Rgb(s == 0 ? 174 : 176 - 16 * s, 0, 0); }
std::uint32_t AluminiumShade(int s) {
  constexpr int kGrey[7] = {255, 247, 235, 223, 211, 200, 192};
  return Rgb(kGrey[s], kGrey[s], kGrey[s]);
}
const std::uint32_t kNail = Rgb(128, 128, 128);
const std::uint32_t kWhite = Rgb(255, 255, 255);
const std::uint32_t kYellowText = Rgb(192, 192, 0);  // clock colour 2, found in no frame

constexpr int kSizeNo100 = 1;
constexpr int kSizeNo350 = 6;

struct Variant {
  int sizeNo;
  int kind;  // EdgeKind
  int round;
  int bars;
  std::string Name() const {
    return std::string(kind == 1 ? "log" : "aluminium") + (round ? "_round" : "_square") + (bars ? "_bars" : "_plain") +
           (sizeNo == kSizeNo100 ? "_100" : "_350");
  }
};

void PrintTo(const Variant& v, std::ostream* os) { *os << v.Name(); }

// The program with no sky maps and no background: frame and clock over plain black.
class FrameTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    char pattern[] = "/tmp/lumivane-frames-XXXXXX";
    programDir = mkdtemp(pattern);
    WriteSetting("BkMode", 0);
    WriteSetting("ShootingStarLevel", 0);
    WriteSetting("SateltLevel", 0);
    WriteSetting("ClockFlg", 0);
  }
  void TearDown() override {
    ProgramTest::TearDown();
    std::filesystem::remove_all(programDir);
  }

  void StartWith(const Variant& v) {
    WriteSetting("FrameSizeNo", v.sizeNo);
    WriteSetting("EdgeKind", v.kind);
    WriteSetting("CircleEdgeFlg", v.round);
    WriteSetting("EdgeClossFlg", v.bars);
    ASSERT_TRUE(Start());
  }

  const gdi::Surface& Pixels() { return *user::WindowPixels(FrameHwnd()); }
  std::uint32_t At(int x, int y) { return Pixels().At(x, y); }

  void RepaintAll() {
    View()->InvalidateRect(nullptr, FALSE);
    platform::PumpPendingMessages();
  }

  bool InPane(int i, int x, int y) { return View()->m_rgnPane[i].PtInRegion(x, y) != 0; }
  bool InGlass(int x, int y) { return View()->m_rgnGlass.PtInRegion(x, y) != 0; }
};

// ---- Geometry ----

TEST(FrameGeometry, RingPointsTakeTheProductAfterTheDivision) {
  // On the smallest window 5 * (w / 40) is 10 where w / 8 would be 12.
  auto p = decor::SixteenRingPoints(100, 100, 0, 0, 1);
  EXPECT_EQ(p[decor::sixteen::NNW], (POINT{40, 10}));
  EXPECT_EQ(p[decor::sixteen::NW2], (POINT{20, 30}));
  EXPECT_EQ(p[decor::sixteen::NW1], (POINT{25, 25}));
  EXPECT_EQ(p[decor::sixteen::NNE], (POINT{60, 10}));
  EXPECT_EQ(p[decor::sixteen::N], (POINT{50, 0}));
  EXPECT_EQ(p[decor::sixteen::Wm], (POINT{1, 50}));
  // The inner ring lays its points out on the box shrunk by its inset, anchored at 0.
  p = decor::SixteenRingPoints(350, 350, 10, 10, 11);
  EXPECT_EQ(p[decor::sixteen::N], (POINT{170, 10}));
  EXPECT_EQ(p[decor::sixteen::NNW], (POINT{130, 40}));
  EXPECT_EQ(p[decor::sixteen::E], (POINT{340, 170}));
  EXPECT_EQ(p[decor::sixteen::Wm], (POINT{11, 170}));
  EXPECT_EQ(p[decor::sixteen::SSE], (POINT{212, 298}));

  const auto t = decor::TwelveRingPoints(100, 100, 2);
  EXPECT_EQ(t[decor::twelve::A], (POINT{24, 24}));
  EXPECT_EQ(t[decor::twelve::B], (POINT{36, 12}));
  EXPECT_EQ(t[decor::twelve::E], (POINT{86, 36}));
  EXPECT_EQ(t[decor::twelve::H], (POINT{60, 84}));
  EXPECT_EQ(t[decor::twelve::M], (POINT{12, 36}));
}

TEST(FrameGeometry, RingSegmentsFollowOneAnotherRoundTheCircle) {
  // Every arc ends where the one before it started, counter-clockwise, except at the
  // north-east and the north-west, where two points a few degrees apart let the segments
  // overlap.
  const auto& a = decor::kSixteenRingArcs;
  auto follows = [](const decor::RingArc& next, const decor::RingArc& previous) {
    if (next.end == decor::sixteen::NE2) return previous.start == decor::sixteen::NE1;
    if (next.end == decor::sixteen::NW2) return previous.start == decor::sixteen::NW1;
    return next.end == previous.start;
  };
  for (size_t i = 1; i < a.size(); ++i) EXPECT_TRUE(follows(a[i], a[i - 1])) << i;
  EXPECT_TRUE(follows(a.front(), a.back()));
  const auto& b = decor::kTwelveRingArcs;
  for (size_t i = 1; i < b.size(); ++i) EXPECT_EQ(b[i].end, b[i - 1].start) << i;
  for (const auto& arc : b) EXPECT_NE(arc.shade, 3);
}

TEST(ClockLayout, PlateColumnsAreSinglePrecisionFractionsOfTheWidth) {
  struct Row {
    int w, x1, x3, x4, x5, x2;
  };
  const Row rows[] = {{100, 40, 41, 66, 72, 89},     {125, 50, 52, 82, 90, 112},    {150, 60, 62, 99, 108, 134},
                      {200, 80, 83, 132, 144, 179},  {275, 110, 115, 181, 198, 247}, {350, 140, 146, 231, 252, 314}};
  for (const Row& r : rows) {
    const decor::PlateColumns c = decor::ClockPlateColumns(r.w);
    EXPECT_EQ(c.x1, r.x1) << r.w;
    EXPECT_EQ(c.x3, r.x3) << r.w;
    EXPECT_EQ(c.x4, r.x4) << r.w;
    EXPECT_EQ(c.x5, r.x5) << r.w;
    EXPECT_EQ(c.x2, r.x2) << r.w;
  }
}

TEST(ClockLayout, TextsGrowWithTheWidth) {
  decor::ClockReading r{1998, 8, 5, "(水)", 9, 7};
  EXPECT_EQ(decor::SquareDateText(150, r), "8/05");
  EXPECT_EQ(decor::SquareTimeText(150, r), "9:07");
  EXPECT_EQ(decor::SquareDateText(275, r), "1998/8/05");
  EXPECT_EQ(decor::SquareTimeText(200, r), "AM 9:07");
  EXPECT_EQ(decor::SquareDateText(350, r), "1998/8/05 (水)");
  EXPECT_EQ(decor::SquareDateText(299, r), "1998/8/05");
  EXPECT_EQ(decor::SquareDateText(199, r), "8/05");

  // The morning keeps its 0 and its 12; the afternoon starts at 13.
  const std::pair<int, int> times[] = {{0, 0}, {12, 0}, {12, 59}, {13, 0}, {23, 59}};
  const char* wide[] = {"AM 0:00", "AM 12:00", "AM 12:59", "PM 1:00", "PM 11:59"};
  const char* narrow[] = {"0:00", "12:00", "12:59", "13:00", "23:59"};
  for (size_t i = 0; i < 5; ++i) {
    r.hour = times[i].first;
    r.minute = times[i].second;
    EXPECT_EQ(decor::SquareTimeText(200, r), wide[i]);
    EXPECT_EQ(decor::SquareTimeText(125, r), narrow[i]);
  }
  r.month = 12;
  r.day = 31;
  EXPECT_EQ(decor::SquareDateText(100, r), "12/31");
  EXPECT_EQ(decor::TwoDigits(9), "09");
  EXPECT_EQ(decor::TwoDigits(10), "10");
}

TEST(ClockLayout, ColoursOutsideTheListFallBackToBlack) {
  EXPECT_EQ(decor::ClockTextColour(2), RGB(192, 192, 0));
  EXPECT_EQ(decor::ClockTextColour(5), RGB(192, 0, 0));
  for (int c : {-1, 6, 1000, -2147483647 - 1}) EXPECT_EQ(decor::ClockTextColour(c), RGB(0, 0, 0)) << c;
}

// ---- Every variant: the picture and the regions ----

class FrameVariantTest : public FrameTest, public ::testing::WithParamInterface<Variant> {};

// The drawn frames are held to reviewed pictures; LUMIVANE_WRITE_GOLDEN=1 rewrites them
// after a deliberate change (look at them before committing).
TEST_P(FrameVariantTest, MatchesItsReviewedPicture) {
  const Variant v = GetParam();
  StartWith(v);
  const gdi::Surface& s = Pixels();
  const std::string file = std::string(LV_TEST_DATA_DIR) + "/frames/" + v.Name() + ".png";
  if (std::getenv("LUMIVANE_WRITE_GOLDEN")) {
    platform::Image out{s.width, s.height, {}};
    for (std::uint32_t p : s.pixels) out.argb.push_back(0xFF000000u | p);
    std::filesystem::create_directories(std::filesystem::path(file).parent_path());
    ASSERT_TRUE(image::WritePng(file, out));
  }
  std::string error;
  const auto golden = image::ReadPng(file, &error);
  ASSERT_TRUE(golden.has_value()) << error;
  ASSERT_EQ(golden->width, s.width);
  ASSERT_EQ(golden->height, s.height);
  int wrong = 0;
  int firstX = -1, firstY = -1;
  for (int y = 0; y < s.height; ++y) {
    for (int x = 0; x < s.width; ++x) {
      if ((golden->argb[static_cast<size_t>(y) * s.width + x] & 0xFFFFFF) == s.At(x, y)) continue;
      if (wrong++ == 0) firstX = x, firstY = y;
    }
  }
  EXPECT_EQ(wrong, 0) << "first at " << firstX << ", " << firstY;
}

// The glass is exactly what the frame leaves unpainted, and the panes are the glass less the
// bars, one per quarter, meeting at the centre when there are no bars.
TEST_P(FrameVariantTest, PanesCutTheGlassIntoQuartersAroundTheBars) {
  const Variant v = GetParam();
  StartWith(v);
  const int w = Pixels().width;
  const int cx = w / 2;
  const int cy = w / 2;
  int mismatched = 0;
  for (int y = 0; y < w; ++y) {
    for (int x = 0; x < w; ++x) {
      int panes = 0;
      for (int i = 0; i < 4; ++i) panes += InPane(i, x, y);
      const bool inVerticalBar = v.bars == 1 && x >= cx - 5 && x < cx + 5;
      const bool inHorizontalBar = v.bars == 1 && v.kind == 1 && y >= cy - 5 && y < cy + 5;
      const bool glass = InGlass(x, y);
      const int expected = glass && !inVerticalBar && !inHorizontalBar ? 1 : 0;
      mismatched += panes != expected;
      // Nothing of the frame lies on the glass, and the glass meets the frame.
      const bool black = At(x, y) == 0;
      if (glass && !inVerticalBar && !inHorizontalBar) mismatched += !black;
    }
  }
  EXPECT_EQ(mismatched, 0);

  // Which quarter each pane is, probed at its corners.
  const int g0 = v.kind != 1 && v.round ? 15 : 14;
  const int g1 = v.kind != 1 && v.round ? 14 : 13;
  const int gapX = v.bars == 1 ? 5 : 0;
  const int gapY = v.bars == 1 && v.kind == 1 ? 5 : 0;
  if (!v.round) {
    EXPECT_TRUE(InPane(0, g0, g0));
    EXPECT_FALSE(InPane(0, g0 - 1, g0));
    EXPECT_FALSE(InPane(0, g0, g0 - 1));
    EXPECT_TRUE(InPane(1, w - g1 - 1, g0));
    EXPECT_FALSE(InPane(1, w - g1, g0));
    EXPECT_TRUE(InPane(2, g0, w - g1 - 1));
    EXPECT_FALSE(InPane(2, g0, w - g1));
    EXPECT_TRUE(InPane(3, w - g1 - 1, w - g1 - 1));
    EXPECT_FALSE(InPane(3, w - g1, w - g1 - 1));
  }
  EXPECT_TRUE(InPane(0, cx - gapX - 1, cy - gapY - 1));
  EXPECT_FALSE(InPane(0, cx - gapX, cy - gapY - 1));
  EXPECT_TRUE(InPane(1, cx + gapX, cy - gapY - 1));
  EXPECT_FALSE(InPane(1, cx + gapX - 1, cy - gapY - 1));
  EXPECT_TRUE(InPane(2, cx - gapX - 1, cy + gapY));
  EXPECT_FALSE(InPane(2, cx - gapX - 1, cy + gapY - 1));
  EXPECT_TRUE(InPane(3, cx + gapX, cy + gapY));
  // The glass reaches the frame at the middle of every side: the square glass fills its box,
  // the elliptic one stops a pixel short of the box's right and bottom edges.
  const int last = w - g1 - (v.round ? 2 : 1);
  const int along = v.round ? 0 : 20;
  EXPECT_TRUE(InGlass(cx + along, g0));
  EXPECT_FALSE(InGlass(cx + along, g0 - 1));
  EXPECT_TRUE(InGlass(g0, cy + along));
  EXPECT_FALSE(InGlass(g0 - 1, cy + along));
  EXPECT_TRUE(InGlass(cx + along, last));
  EXPECT_FALSE(InGlass(cx + along, last + 1));
  EXPECT_TRUE(InGlass(last, cy + along));
  EXPECT_FALSE(InGlass(last + 1, cy + along));
  // The square frames border the glass there; the rings, narrower at the axes than the
  // glass's inset, leave a line or two of sky between them.
  if (v.round) return;
  EXPECT_NE(At(cx + along, g0 - 1), 0u);
  EXPECT_NE(At(g0 - 1, cy + along), 0u);
  EXPECT_NE(At(cx + along, last + 1), 0u);
  EXPECT_NE(At(last + 1, cy + along), 0u);
}

std::vector<Variant> AllVariants() {
  std::vector<Variant> all;
  for (int size : {kSizeNo100, kSizeNo350}) {
    for (int kind : {1, 0}) {
      for (int round : {0, 1}) {
        for (int bars : {1, 0}) all.push_back(Variant{size, kind, round, bars});
      }
    }
  }
  return all;
}

INSTANTIATE_TEST_SUITE_P(Frames, FrameVariantTest, ::testing::ValuesIn(AllVariants()),
                         [](const ::testing::TestParamInfo<Variant>& info) { return info.param.Name(); });

// ---- Pixels pinned by hand ----

TEST_F(FrameTest, SquareLogsAreLitFromTheUpperLeftAndCrossAtTheCorners) {
  StartWith(Variant{kSizeNo100, 1, 0, 0});
  // Each 2-pixel line at 1 + 2s covers columns 2s and 2s + 1.
  EXPECT_EQ(At(0, 50), LogShade(0));
  EXPECT_EQ(At(13, 50), LogShade(6));
  EXPECT_EQ(At(50, 0), LogShade(0));
  EXPECT_EQ(At(50, 13), LogShade(6));
  // Right and bottom logs are lightest on their inner edge.
  EXPECT_EQ(At(87, 50), LogShade(0));
  EXPECT_EQ(At(99, 50), LogShade(6));
  EXPECT_EQ(At(50, 87), LogShade(0));
  EXPECT_EQ(At(50, 99), LogShade(6));
  // The top log lies over the left one, the right one over the top.
  EXPECT_EQ(At(3, 9), LogShade(4));
  EXPECT_EQ(At(97, 5), LogShade(5));
  // The cut end at the bottom left: a staircase of shades 4, 5 and 6 two, three and four
  // pixels wide. The zero-length stroke of shade 4 still puts down its 2 x 2 cap, as the
  // classic GDI does with a 2-pixel pen.
  EXPECT_EQ(At(14, 92), LogShade(4));
  EXPECT_EQ(At(15, 92), LogShade(4));
  EXPECT_EQ(At(16, 92), LogShade(2));
  EXPECT_EQ(At(16, 90), LogShade(5));
  EXPECT_EQ(At(17, 88), LogShade(6));
  // The glass starts right inside the logs.
  EXPECT_EQ(At(14, 14), 0u);
  EXPECT_EQ(At(86, 86), 0u);
}

TEST_F(FrameTest, AluminiumBarsHaveTheirDarkEdgeOnTheLastPixel) {
  StartWith(Variant{kSizeNo100, 0, 0, 0});
  EXPECT_EQ(At(0, 50), AluminiumShade(0));
  EXPECT_EQ(At(5, 50), AluminiumShade(3));
  EXPECT_EQ(At(13, 50), AluminiumShade(6));
  EXPECT_EQ(At(99, 50), AluminiumShade(6));
  EXPECT_EQ(At(98, 50), AluminiumShade(6));
  EXPECT_EQ(At(97, 50), AluminiumShade(3));
  EXPECT_EQ(At(87, 50), AluminiumShade(0));
  EXPECT_EQ(At(50, 99), AluminiumShade(6));
  EXPECT_EQ(At(50, 97), AluminiumShade(3));
}

TEST_F(FrameTest, LogBarsAreNailedAtTheirEndsAndAtTheCrossing) {
  StartWith(Variant{kSizeNo100, 1, 0, 1});
  // Columns 45..54: light on the left, dark on the right, glass on either side.
  EXPECT_EQ(At(44, 30), 0u);
  EXPECT_EQ(At(45, 30), LogShade(0));
  EXPECT_EQ(At(50, 30), LogShade(3));
  EXPECT_EQ(At(54, 30), LogShade(4));
  EXPECT_EQ(At(55, 30), 0u);
  EXPECT_EQ(At(30, 45), LogShade(0));
  EXPECT_EQ(At(30, 54), LogShade(4));
  for (POINT n : {POINT{10, 48}, POINT{10, 51}, POINT{90, 48}, POINT{47, 10}, POINT{52, 90}, POINT{47, 48},
                  POINT{52, 51}}) {
    EXPECT_EQ(At(n.x, n.y), kNail) << n.x << ", " << n.y;
  }
}

TEST_F(FrameTest, TheAluminiumBarCarriesALatch) {
  StartWith(Variant{kSizeNo100, 0, 1, 1});
  EXPECT_EQ(At(44, 30), 0u);
  EXPECT_EQ(At(45, 30), AluminiumShade(0));
  EXPECT_EQ(At(54, 30), AluminiumShade(6));
  EXPECT_EQ(At(50, 47), kNail);
  for (int y = 48; y <= 52; ++y) {
    EXPECT_EQ(At(49, y), kNail) << y;
    EXPECT_EQ(At(51, y), kWhite) << y;
  }
  EXPECT_EQ(At(50, 53), kWhite);
  // One bar only: the panes left and right of it run through the middle row.
  EXPECT_TRUE(InPane(0, 30, 49));
  EXPECT_TRUE(InPane(2, 30, 50));
}

TEST_F(FrameTest, TheRoundAluminiumGlassIsAPixelSmallerThanTheLogGlass) {
  StartWith(Variant{kSizeNo350, 1, 1, 0});
  RECT logBox;
  ASSERT_EQ(GetRgnBox(View()->m_rgnGlass, &logBox), COMPLEXREGION);
  std::vector<bool> logGlass;
  for (int y = 0; y < 350; ++y) {
    for (int x = 0; x < 350; ++x) logGlass.push_back(InGlass(x, y));
  }
  TearDown();
  SetUp();
  StartWith(Variant{kSizeNo350, 0, 1, 0});
  RECT aluminiumBox;
  ASSERT_EQ(GetRgnBox(View()->m_rgnGlass, &aluminiumBox), COMPLEXREGION);
  EXPECT_EQ(logBox, (RECT{14, 14, 336, 336}));
  EXPECT_EQ(aluminiumBox, (RECT{15, 15, 335, 335}));
  int outside = 0;
  for (int y = 0; y < 350; ++y) {
    for (int x = 0; x < 350; ++x) outside += InGlass(x, y) && !logGlass[static_cast<size_t>(y) * 350 + x];
  }
  EXPECT_EQ(outside, 0);
}

TEST_F(FrameTest, AnyKindButOnePaintsAluminiumAndOnlyBarsFlagOneDrawsBars) {
  for (int kind : {0, 2, -1}) {
    TearDown();
    SetUp();
    StartWith(Variant{kSizeNo100, kind, 0, 2});
    EXPECT_EQ(At(0, 50), AluminiumShade(0)) << kind;
    EXPECT_EQ(At(50, 30), 0u) << kind;  // no bar
    EXPECT_TRUE(InPane(1, 50, 30)) << kind;
  }
}

TEST_F(FrameTest, PanesAreRewrittenInPlaceAndKeptWhileTheFrameIsOff) {
  WriteSetting("FrameSizeNo", kSizeNo100);
  ASSERT_TRUE(Start());
  HGDIOBJ panes[4];
  for (int i = 0; i < 4; ++i) panes[i] = View()->m_rgnPane[i].m_hObject;
  RECT box;
  ASSERT_EQ(GetRgnBox(View()->m_rgnPane[3], &box), SIMPLEREGION);
  EXPECT_EQ(box, (RECT{55, 55, 87, 87}));  // the log frame with bars, the defaults

  Doc()->EdgeClossFlg = 0;
  RepaintAll();
  for (int i = 0; i < 4; ++i) EXPECT_EQ(View()->m_rgnPane[i].m_hObject, panes[i]) << i;
  ASSERT_EQ(GetRgnBox(View()->m_rgnPane[3], &box), SIMPLEREGION);
  EXPECT_EQ(box, (RECT{50, 50, 87, 87}));

  Doc()->EdgeFlg = 0;
  Doc()->EdgeClossFlg = 1;
  RepaintAll();
  ASSERT_EQ(GetRgnBox(View()->m_rgnPane[3], &box), SIMPLEREGION);
  EXPECT_EQ(box, (RECT{50, 50, 87, 87}));
  EXPECT_EQ(At(0, 50), 0u);  // and no frame on screen
}

// The painters hand the DC back as they found it: pen, font, background mode and colour.
TEST_F(FrameTest, PaintersPutBackWhatTheySelected) {
  WriteSetting("ClockFlg", 1);
  ASSERT_TRUE(Start());
  CClientDC screen(View());
  CDC dc;
  ASSERT_TRUE(dc.CreateCompatibleDC(&screen));
  CBitmap bitmap;
  bitmap.CreateCompatibleBitmap(&screen, 100, 100);
  dc.SelectObject(&bitmap);
  CPen own(PS_SOLID, 1, RGB(1, 2, 3));
  CFont font;
  font.CreateFont(-12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "IPAGothic");
  for (int round : {0, 1}) {
    Doc()->CircleEdgeFlg = round;
    dc.SelectObject(&own);
    dc.SelectObject(&font);
    dc.SetBkMode(OPAQUE);
    dc.SetBkColor(RGB(9, 8, 7));
    View()->PaintLogFrame(&dc, 1);
    View()->PaintAlumiFrame(&dc, 1);
    View()->PaintClock(&dc);
    EXPECT_EQ(::SelectObject(dc, ::GetStockObject(BLACK_PEN)), own.m_hObject) << round;
    EXPECT_EQ(::SelectObject(dc, ::GetStockObject(SYSTEM_FONT)), font.m_hObject) << round;
    EXPECT_EQ(dc.GetBkMode(), OPAQUE);
    EXPECT_EQ(dc.GetBkColor(), RGB(9, 8, 7));
  }
}

// ---- The clock ----

class ClockTest : public FrameTest {
 protected:
  void SetUp() override {
    FrameTest::SetUp();
    WriteSetting("ClockFlg", 1);
    WriteSetting("ClockColor", 2);
  }
  // Pixels of the clock's text colour.
  int TextPixels(const RECT& r) {
    int n = 0;
    for (int y = std::max<int>(r.top, 0); y < std::min<int>(r.bottom, Pixels().height); ++y) {
      for (int x = std::max<int>(r.left, 0); x < std::min<int>(r.right, Pixels().width); ++x) n += At(x, y) == kYellowText;
    }
    return n;
  }
  int AllTextPixels() { return TextPixels(RECT{0, 0, Pixels().width, Pixels().height}); }
};

TEST_F(ClockTest, TheSquarePlateSitsInTheBottomBarAtEverySize) {
  backend->SetLocalTime(platform::LocalTime{1998, 8, 5, 3, 9, 7, 0});
  for (int sizeNo = 1; sizeNo <= 6; ++sizeNo) {
    for (int kind : {1, 0}) {
      TearDown();
      SetUp();
      backend->SetLocalTime(platform::LocalTime{1998, 8, 5, 3, 9, 7, 0});
      StartWith(Variant{sizeNo, kind, 0, 0});
      const int w = Pixels().width;
      const int h = w;
      const decor::PlateColumns c = decor::ClockPlateColumns(w);
      const std::string where = std::to_string(w) + (kind == 1 ? " log" : " aluminium");
      EXPECT_EQ(View()->m_rcClockMinute, CRect(c.x5, h - 12, c.x2, h - 3)) << where;
      EXPECT_EQ(View()->m_rcClockTime, CRect(c.x4, h - 12, c.x2, h - 3)) << where;
      EXPECT_EQ(View()->m_rcClockDate, CRect(c.x3, h - 12, c.x2, h - 3)) << where;

      const std::uint32_t fill = kind == 1 ? Rgb(174, 0, 0) : Rgb(223, 223, 223);
      const std::uint32_t dark = kind == 1 ? Rgb(128, 0, 64) : Rgb(192, 192, 192);
      const std::uint32_t light = kind == 1 ? Rgb(192, 64, 128) : Rgb(255, 255, 255);
      // Inside the edges every pixel is plate or text, and there is text for both.
      int other = 0;
      for (int y = h - 11; y < h - 3; ++y) {
        for (int x = c.x1 + 2; x < c.x2 - 1; ++x) other += At(x, y) != fill && At(x, y) != kYellowText;
      }
      EXPECT_EQ(other, 0) << where;
      EXPECT_GT(TextPixels(CRect(c.x3, h - 12, c.x4, h - 3)), 10) << where;
      EXPECT_GT(TextPixels(CRect(c.x4, h - 12, c.x2, h - 3)), 10) << where;
      EXPECT_EQ(TextPixels(CRect(c.x1, h - 12, c.x2, h - 3)), AllTextPixels()) << where;
      // Sunken: shadow on the top and left, light on the bottom and right.
      EXPECT_EQ(At(c.x1, h - 12), dark) << where;
      EXPECT_EQ(At(c.x2 - 1, h - 12), dark) << where;
      EXPECT_EQ(At(c.x1, h - 4), dark) << where;
      EXPECT_EQ(At(c.x1 + 1, h - 10), dark) << where;
      EXPECT_EQ(At(c.x1 + 1, h - 5), dark) << where;
      EXPECT_EQ(At(c.x1 + 1, h - 3), light) << where;
      EXPECT_EQ(At(c.x2, h - 3), light) << where;
      EXPECT_EQ(At(c.x2, h - 11), light) << where;
      EXPECT_EQ(At(c.x2 - 1, h - 10), light) << where;
      // The corners the two pens leave open, and the bar beyond the plate.
      EXPECT_NE(At(c.x1, h - 3), light) << where;
      if (kind == 1) {
        EXPECT_NE(At(c.x2, h - 12), light) << where;  // aluminium's bar is white there
      }
      EXPECT_NE(At(c.x2 + 1, h - 6), light) << where;
    }
  }
}

TEST_F(ClockTest, ThePlateShowsTheTextsOfTheReading) {
  backend->SetLocalTime(platform::LocalTime{2026, 12, 9, 3, 13, 0, 0});
  StartWith(Variant{kSizeNo350, 1, 0, 1});
  // The same texts drawn in the same font and box over the plate colour must give the
  // same pixels as the window.
  const int h = 350;
  const decor::PlateColumns c = decor::ClockPlateColumns(350);
  CClientDC screen(View());
  CDC dc;
  ASSERT_TRUE(dc.CreateCompatibleDC(&screen));
  CBitmap bitmap;
  bitmap.CreateCompatibleBitmap(&screen, 350, 350);
  dc.SelectObject(&bitmap);
  dc.SelectObject(&View()->m_fontClock);
  dc.SetBkMode(TRANSPARENT);
  dc.SetTextColor(RGB(192, 192, 0));
  CRect plate(c.x1, h - 12, c.x2, h - 3);
  dc.FillSolidRect(&plate, RGB(174, 0, 0));
  CRect date(c.x3, h - 12, c.x4, h - 3);
  dc.DrawText("2026/12/09 (水)", &date, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
  CRect time(c.x4, h - 12, c.x2, h - 3);
  dc.DrawText("PM 1:00", &time, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
  int wrong = 0;
  for (int y = h - 11; y < h - 3; ++y) {
    for (int x = c.x1 + 2; x < c.x2 - 1; ++x) wrong += ::GetPixel(dc, x, y) != ::GetPixel(screen, x, y);
  }
  EXPECT_EQ(wrong, 0);
}

TEST_F(ClockTest, TheRoundClockStandsOnTheRingAndItsRectanglesCoverIt) {
  struct Reading {
    int month, day, hour, minute;
  };
  for (Reading r : {Reading{1, 1, 0, 0}, Reading{12, 31, 23, 59}, Reading{10, 28, 8, 8}}) {
    for (int sizeNo : {1, 6}) {
      TearDown();
      SetUp();
      backend->SetLocalTime(platform::LocalTime{2027, r.month, r.day, 0, r.hour, r.minute, 0});
      StartWith(Variant{sizeNo, 1, 1, 1});
      const int w = Pixels().width;
      const int h = w;
      const int c = w / 2;
      const std::string where = std::to_string(r.month) + "/" + std::to_string(r.day) + " at " + std::to_string(w);
      EXPECT_EQ(View()->m_rcClockMinute, CRect(c + 8, h - 14, c + 23, h + 1)) << where;
      EXPECT_EQ(View()->m_rcClockTime, CRect(c - 18, h - 14, c + 23, h + 1)) << where;
      const CRect date = View()->m_rcClockDate;
      EXPECT_EQ(date.left, c - 18) << where;
      EXPECT_EQ(date.top, 1) << where;
      // Everything the clock wrote lies in the rectangles the sky timer refreshes.
      const RECT upper{0, 0, w, h / 2};
      const RECT lower{0, h / 2, w, h};
      EXPECT_GT(TextPixels(upper), 10) << where;
      EXPECT_EQ(TextPixels(date), TextPixels(upper)) << where;
      EXPECT_GT(TextPixels(lower), 10) << where;
      EXPECT_EQ(TextPixels(View()->m_rcClockTime), TextPixels(lower)) << where;
      // The month starts at c - 18 whatever its width; the day always has two digits.
      EXPECT_EQ(TextPixels(CRect(0, 0, c - 18, h / 2)), 0) << where;
      EXPECT_GT(TextPixels(CRect(c + 8, 0, c + 14, h / 2)), 0) << where;
    }
  }
}

TEST_F(ClockTest, NoClockWithoutTheFrameOrWithAnyFlagButOne) {
  const std::pair<int, int> cases[] = {{0, 1}, {1, 2}, {1, 0}};  // EdgeFlg, ClockFlg
  for (auto [edge, clock] : cases) {
    TearDown();
    SetUp();
    WriteSetting("EdgeFlg", edge);
    WriteSetting("ClockFlg", clock);
    ASSERT_TRUE(Start());
    EXPECT_EQ(AllTextPixels(), 0) << edge << clock;
    // Never painted: the rectangles are empty and refreshing them repaints nothing.
    EXPECT_TRUE(View()->m_rcClockMinute.IsRectEmpty());
    EXPECT_TRUE(View()->m_rcClockDate.IsRectEmpty());
  }
  int paints = 0;
  user::SetMessageSpy([&](const MSG& m) { paints += m.message == WM_PAINT; });
  backend->Advance(61000);
  user::SetMessageSpy(nullptr);
  EXPECT_EQ(paints, 0);
  // Nor does it hold back the sky of the next paint, whatever brings it.
  EXPECT_EQ(View()->m_bSkipSky, 0);
}

// A clock refresh draws frame and clock over what is on screen, and the window ends up as a
// full paint would leave it.
TEST_F(ClockTest, TheMinuteAndMidnightRefreshesLeaveTheWindowAsAFullPaint) {
  for (int round : {0, 1}) {
    for (const platform::LocalTime& t : {platform::LocalTime{2026, 12, 9, 3, 13, 0, 59},
                                         platform::LocalTime{2026, 12, 31, 4, 23, 59, 59}}) {
      TearDown();
      SetUp();
      backend->SetLocalTime(t);
      StartWith(Variant{kSizeNo350, 1, round, 1});
      const std::vector<std::uint32_t> before = Pixels().pixels;
      int paints = 0;
      user::SetMessageSpy([&](const MSG& m) { paints += m.message == WM_PAINT && m.hwnd == View()->m_hWnd; });
      backend->Advance(1500);
      user::SetMessageSpy(nullptr);
      ASSERT_EQ(paints, 1);
      EXPECT_NE(Pixels().pixels, before);
      const std::vector<std::uint32_t> refreshed = Pixels().pixels;
      RepaintAll();
      EXPECT_EQ(Pixels().pixels, refreshed) << "round " << round << " at " << t.hour;
    }
  }
}

}  // namespace
