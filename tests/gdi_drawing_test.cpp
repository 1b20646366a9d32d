// Pixel rules of lines, arcs and rectangles, stated case by case.
#include <gtest/gtest.h>

#include <limits>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/backend/headless/headless_backend.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/objects.h"
#include "platform/user/session.h"

namespace {

using Pixels = std::set<std::pair<int, int>>;

class DrawingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::Initialize(std::make_unique<platform::HeadlessBackend>());
    dc = CreateCompatibleDC(nullptr);
    bitmap = CreateBitmap(40, 40, 1, 32, nullptr);
    old = SelectObject(dc, AsGdiObject(bitmap));
  }
  void TearDown() override {
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
    platform::Shutdown();
  }

  void UsePen(int style, int width) {
    HPEN pen = CreatePen(style, width, RGB(255, 255, 255));
    HGDIOBJ previous = SelectObject(dc, AsGdiObject(pen));
    if (previous != GetStockObject(BLACK_PEN)) DeleteObject(previous);
  }

  void Clear() {
    RECT all{0, 0, 40, 40};
    FillRect(dc, &all, reinterpret_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  }

  Pixels Lit() {
    Pixels out;
    for (int y = 0; y < 40; ++y) {
      for (int x = 0; x < 40; ++x) {
        if (GetPixel(dc, x, y) != RGB(0, 0, 0)) out.insert({x, y});
      }
    }
    return out;
  }

  Pixels Line(int style, int width, int x0, int y0, int x1, int y1) {
    Clear();
    UsePen(style, width);
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
    return Lit();
  }

  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;
};

TEST_F(DrawingTest, CosmeticLinesLeaveOutTheirEndPointAndRoundHalvesDown) {
  EXPECT_EQ(Line(PS_SOLID, 1, 10, 10, 14, 10), (Pixels{{10, 10}, {11, 10}, {12, 10}, {13, 10}}));
  EXPECT_EQ(Line(PS_SOLID, 0, 10, 10, 10, 7), (Pixels{{10, 10}, {10, 9}, {10, 8}}));
  // Two down over four across: halfway at the second and fourth columns, both round down.
  EXPECT_EQ(Line(PS_SOLID, 1, 10, 10, 14, 12), (Pixels{{10, 10}, {11, 10}, {12, 11}, {13, 11}}));
  // The same line drawn the other way is not the same set of pixels.
  EXPECT_EQ(Line(PS_SOLID, 1, 14, 12, 10, 10), (Pixels{{14, 12}, {13, 11}, {12, 11}, {11, 10}}));
  EXPECT_TRUE(Line(PS_SOLID, 1, 10, 10, 10, 10).empty());
  // The current position moves to the end point.
  POINT p;
  MoveToEx(dc, 3, 4, &p);
  EXPECT_EQ(p, (POINT{10, 10}));
}

TEST_F(DrawingTest, TwoPixelLinesCoverBothEndsAndThePixelsBefore) {
  // A zero-length line is the cap alone: the point and the pixels left of and above it.
  EXPECT_EQ(Line(PS_SOLID, 2, 10, 10, 10, 10), (Pixels{{9, 9}, {10, 9}, {9, 10}, {10, 10}}));
  Pixels h = Line(PS_SOLID, 2, 10, 10, 13, 10);
  EXPECT_EQ(h.size(), 10u);  // columns 9..13 of rows 9 and 10
  EXPECT_TRUE(h.count({9, 9}) && h.count({13, 10}) && !h.count({14, 10}) && !h.count({10, 11}));
  Pixels v = Line(PS_SOLID, 2, 10, 13, 10, 10);
  EXPECT_EQ(v.size(), 10u);  // rows 9..13 of columns 9 and 10
  // Inside-frame pens draw lines like solid ones.
  EXPECT_EQ(Line(PS_INSIDEFRAME, 2, 8, 8, 13, 10), Line(PS_SOLID, 2, 8, 8, 13, 10));
  // A slanted line: the offset towards +x rounds away from zero, the other to nearest.
  const Pixels slanted = Line(PS_SOLID, 2, 8, 8, 13, 10);
  const Pixels expected = {{7, 7}, {8, 7},                                      // cap
                           {7, 8}, {8, 8}, {9, 8}, {10, 8}, {11, 8},            // row 8
                           {8, 9}, {9, 9}, {10, 9}, {11, 9}, {12, 9}, {13, 9},  // row 9
                           {11, 10}, {12, 10}, {13, 10}};
  EXPECT_EQ(slanted, expected);
}

TEST_F(DrawingTest, NullPensDrawNothing) {
  Clear();
  SelectObject(dc, GetStockObject(NULL_PEN));
  MoveToEx(dc, 0, 0, nullptr);
  LineTo(dc, 30, 30);
  Arc(dc, 0, 0, 30, 30, 0, 0, 0, 0);
  EXPECT_TRUE(Lit().empty());
}

TEST_F(DrawingTest, WholeEllipseLeavesOutThePointBeforeItsStartRay) {
  UsePen(PS_SOLID, 1);
  Clear();
  // Even box 10 x 10 starting north: the top row misses the pixel right of the ray.
  Arc(dc, 2, 2, 12, 12, 7, 2, 7, 2);
  Pixels even = Lit();
  EXPECT_EQ(even.size(), 23u);
  EXPECT_FALSE(even.count({8, 2}));
  EXPECT_TRUE(even.count({7, 2}));
  // Odd box starting east: the last point doubles the first, so nothing is missing.
  Clear();
  Arc(dc, 2, 2, 13, 13, 13, 7, 13, 7);
  EXPECT_EQ(Lit().size(), 28u);
}

TEST_F(DrawingTest, ArcsStartAtOrPastTheirRayExceptBelowTheHorizon) {
  UsePen(PS_SOLID, 1);
  // From the east to the north of an even box: the point on the east ray is not part of the
  // quarter, and the polyline stops short of the top.
  Clear();
  Arc(dc, 2, 2, 12, 12, 12, 7, 7, 2);
  EXPECT_EQ(Lit(), (Pixels{{11, 6}, {11, 5}, {10, 4}, {9, 3}}));
  // West to south on an odd box: the bottom point lies on the south ray twice; neither
  // copy is drawn.
  Clear();
  Arc(dc, 2, 2, 13, 13, 2, 7, 7, 13);
  const Pixels sw = Lit();
  EXPECT_TRUE(sw.count({2, 7}));
  EXPECT_TRUE(sw.count({6, 12}));
  EXPECT_FALSE(sw.count({7, 12}));
  // South to east on the same box starts past the south ray.
  Clear();
  Arc(dc, 2, 2, 13, 13, 7, 13, 13, 7);
  const Pixels se = Lit();
  EXPECT_FALSE(se.count({7, 12}));
  EXPECT_TRUE(se.count({8, 12}));
  // Swapped box corners describe the same ellipse.
  Clear();
  Arc(dc, 12, 12, 2, 2, 12, 7, 7, 2);
  EXPECT_EQ(Lit(), (Pixels{{11, 6}, {11, 5}, {10, 4}, {9, 3}}));
}

TEST_F(DrawingTest, InsideFramePensDrawArcsInsideTheBox) {
  UsePen(PS_SOLID, 2);
  Clear();
  Arc(dc, 10, 10, 30, 30, 20, 10, 20, 10);
  const Pixels solid = Lit();
  UsePen(PS_INSIDEFRAME, 2);
  Clear();
  Arc(dc, 10, 10, 30, 30, 20, 10, 20, 10);
  const Pixels frame = Lit();
  auto box = [](const Pixels& p) {
    RECT r{1000, 1000, -1000, -1000};
    for (auto [x, y] : p) {
      r.left = std::min<LONG>(r.left, x);
      r.top = std::min<LONG>(r.top, y);
      r.right = std::max<LONG>(r.right, x + 1);
      r.bottom = std::max<LONG>(r.bottom, y + 1);
    }
    return r;
  };
  // The solid ring spills one pixel up and left of the box; the inside-frame ring stays in.
  EXPECT_EQ(box(solid), (RECT{9, 9, 30, 30}));
  EXPECT_EQ(box(frame), (RECT{10, 10, 30, 30}));
}

TEST_F(DrawingTest, DegenerateAndHugeBoxesAreHarmless) {
  UsePen(PS_SOLID, 2);
  Clear();
  EXPECT_TRUE(Arc(dc, 5, 5, 5, 20, 0, 0, 0, 0));
  EXPECT_TRUE(Arc(dc, 5, 5, 6, 6, 0, 0, 0, 0));
  EXPECT_FALSE(Arc(dc, 0, 0, 1 << 30, 1 << 30, 0, 0, 0, 0));
  UsePen(PS_SOLID, 1);
  EXPECT_TRUE(Arc(dc, 5, 5, 7, 7, 6, 5, 6, 5));
  // Far off the bitmap: nothing drawn, nothing broken.
  MoveToEx(dc, -100000, -5, nullptr);
  EXPECT_TRUE(LineTo(dc, 100000, 500));
}

TEST_F(DrawingTest, PixelsAtTheEndsOfTheCoordinateRangeAreLeftOutWithoutOverflowing) {
  // A line's first pixel at the largest coordinate, and a DC whose logical origin lies far
  // inside its surface (as a recording's or a child window's does): the surface position and
  // the pixel after the last are past the 32-bit range, and must be left out, not wrapped
  // round onto the bitmap.
  constexpr int kMax = std::numeric_limits<int>::max();
  constexpr int kMin = std::numeric_limits<int>::min();
  for (const int width : {1, 2}) {
    Clear();
    UsePen(PS_SOLID, width);
    MoveToEx(dc, kMax, 3, nullptr);
    EXPECT_TRUE(LineTo(dc, kMax - 4, 3));
    MoveToEx(dc, 3, kMax, nullptr);
    EXPECT_TRUE(LineTo(dc, 3, kMax - 4));
    gdi::FindDC(dc)->origin = POINT{20, 20};
    MoveToEx(dc, kMax - 2, kMax - 2, nullptr);
    EXPECT_TRUE(LineTo(dc, kMax - 6, kMax - 6));
    gdi::FindDC(dc)->origin = POINT{-20, -20};
    MoveToEx(dc, kMin + 2, kMin + 2, nullptr);
    EXPECT_TRUE(LineTo(dc, kMin + 6, kMin + 6));
    gdi::FindDC(dc)->origin = POINT{0, 0};
    EXPECT_TRUE(Lit().empty()) << "pen width " << width;
  }
}

TEST_F(DrawingTest, RectanglesOutlineWithThePenAndFillWithTheBrush) {
  Clear();
  UsePen(PS_SOLID, 1);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  HGDIOBJ oldBrush = SelectObject(dc, AsGdiObject(red));
  Rectangle(dc, 2, 3, 7, 8);
  EXPECT_EQ(GetPixel(dc, 2, 3), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(dc, 6, 7), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(dc, 7, 8), RGB(0, 0, 0));
  EXPECT_EQ(GetPixel(dc, 3, 4), RGB(255, 0, 0));
  EXPECT_EQ(GetPixel(dc, 5, 6), RGB(255, 0, 0));
  // Without a pen the fill starts at the edge and stops one short of right and bottom.
  Clear();
  SelectObject(dc, GetStockObject(NULL_PEN));
  Rectangle(dc, 2, 3, 7, 8);
  EXPECT_EQ(GetPixel(dc, 2, 3), RGB(255, 0, 0));
  EXPECT_EQ(GetPixel(dc, 5, 6), RGB(255, 0, 0));
  EXPECT_EQ(GetPixel(dc, 6, 7), RGB(0, 0, 0));
  SelectObject(dc, oldBrush);
  DeleteObject(red);
}

TEST_F(DrawingTest, DrawingHonoursTheClipRegion) {
  Clear();
  HRGN clip = CreateRectRgn(0, 0, 12, 40);
  SelectObject(dc, AsGdiObject(clip));
  DeleteObject(clip);
  UsePen(PS_SOLID, 2);
  MoveToEx(dc, 5, 10, nullptr);
  LineTo(dc, 30, 10);
  // Reading back goes through the clip too: remove it first.
  SelectClipRgn(dc, nullptr);
  const Pixels lit = Lit();
  EXPECT_TRUE(lit.count({11, 10}));
  EXPECT_FALSE(lit.count({12, 10}));
}

}  // namespace
