// Drawing objects, memory DCs, block transfers and regions beyond the reference scenes.
#include <gtest/gtest.h>

#include "platform/backend/headless/headless_backend.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/region.h"
#include "platform/user/session.h"
#include "platform/user/user.h"

namespace {

class GdiTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::Initialize(std::make_unique<platform::HeadlessBackend>()); }
  void TearDown() override { platform::Shutdown(); }

  // A memory DC holding a new w x h bitmap filled with one colour.
  HDC Canvas(int w, int h, COLORREF fill, HBITMAP* out = nullptr) {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP b = CreateBitmap(w, h, 1, 32, nullptr);
    SelectObject(dc, AsGdiObject(b));
    HBRUSH brush = CreateSolidBrush(fill);
    RECT r{0, 0, w, h};
    FillRect(dc, &r, brush);
    DeleteObject(brush);
    if (out) *out = b;
    return dc;
  }
};

TEST_F(GdiTest, BlockTransfersCopyAndOrAndAreClippedAtEveryEdge) {
  HDC src = Canvas(4, 4, RGB(0x10, 0x20, 0x30));
  SetPixel(src, 0, 0, RGB(0xF0, 0x0F, 0xFF));
  HDC dst = Canvas(6, 6, RGB(0x33, 0x33, 0x33));

  EXPECT_TRUE(BitBlt(dst, 1, 1, 4, 4, src, 0, 0, SRCCOPY));
  EXPECT_EQ(GetPixel(dst, 1, 1), RGB(0xF0, 0x0F, 0xFF));
  EXPECT_EQ(GetPixel(dst, 4, 4), RGB(0x10, 0x20, 0x30));
  EXPECT_EQ(GetPixel(dst, 5, 5), RGB(0x33, 0x33, 0x33));
  EXPECT_EQ(GetPixel(dst, 0, 0), RGB(0x33, 0x33, 0x33));

  // AND keeps the common bits, OR adds them.
  EXPECT_TRUE(BitBlt(dst, 1, 1, 1, 1, src, 1, 1, SRCAND));
  EXPECT_EQ(GetPixel(dst, 1, 1), RGB(0xF0 & 0x10, 0x0F & 0x20, 0xFF & 0x30));
  EXPECT_TRUE(BitBlt(dst, 0, 0, 1, 1, src, 0, 0, SRCPAINT));
  EXPECT_EQ(GetPixel(dst, 0, 0), RGB(0x33 | 0xF0, 0x33 | 0x0F, 0x33 | 0xFF));

  // Off every edge of the destination and beyond the source: only the overlap moves.
  HDC dst2 = Canvas(3, 3, RGB(0, 0, 0));
  EXPECT_TRUE(BitBlt(dst2, -2, -2, 10, 10, src, 0, 0, SRCCOPY));
  EXPECT_EQ(GetPixel(dst2, 0, 0), RGB(0x10, 0x20, 0x30));  // source (2, 2)
  EXPECT_EQ(GetPixel(dst2, 1, 1), RGB(0x10, 0x20, 0x30));
  EXPECT_EQ(GetPixel(dst2, 2, 2), RGB(0, 0, 0));  // source (4, 4) does not exist
  EXPECT_TRUE(BitBlt(dst2, 0, 0, 3, 3, src, -1, -1, SRCCOPY));
  EXPECT_EQ(GetPixel(dst2, 1, 1), RGB(0xF0, 0x0F, 0xFF));  // source (0, 0)
  EXPECT_EQ(GetPixel(dst2, 0, 0), RGB(0x10, 0x20, 0x30));  // untouched by the second copy

  // Unsupported raster operations are refused.
  EXPECT_FALSE(BitBlt(dst2, 0, 0, 1, 1, src, 0, 0, 0x00550009));
  DeleteDC(src);
  DeleteDC(dst);
  DeleteDC(dst2);
}

TEST_F(GdiTest, CopiesWithinOneBitmapReadTheOriginalPixels) {
  HDC dc = Canvas(4, 1, RGB(0, 0, 0));
  for (int x = 0; x < 4; ++x) SetPixel(dc, x, 0, RGB(x, 0, 0));
  BitBlt(dc, 1, 0, 3, 1, dc, 0, 0, SRCCOPY);
  EXPECT_EQ(GetPixel(dc, 1, 0), RGB(0, 0, 0));
  EXPECT_EQ(GetPixel(dc, 2, 0), RGB(1, 0, 0));
  EXPECT_EQ(GetPixel(dc, 3, 0), RGB(2, 0, 0));
  DeleteDC(dc);
}

TEST_F(GdiTest, SelectionReturnsThePreviousObjectAndProtectsIt) {
  HDC dc = CreateCompatibleDC(nullptr);
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
  HGDIOBJ old = SelectObject(dc, AsGdiObject(pen));
  EXPECT_EQ(old, GetStockObject(BLACK_PEN));
  // A selected object cannot be deleted; once selected out it can.
  EXPECT_FALSE(DeleteObject(pen));
  EXPECT_EQ(SelectObject(dc, old), AsGdiObject(pen));
  EXPECT_TRUE(DeleteObject(pen));
  EXPECT_FALSE(DeleteObject(pen));
  // Stock objects survive deletion.
  EXPECT_TRUE(DeleteObject(GetStockObject(WHITE_BRUSH)));
  EXPECT_NE(gdi::FindObject(GetStockObject(WHITE_BRUSH)), nullptr);
  // A bitmap lives in one memory DC at a time.
  HBITMAP b = CreateBitmap(2, 2, 1, 32, nullptr);
  HDC other = CreateCompatibleDC(nullptr);
  EXPECT_NE(SelectObject(dc, AsGdiObject(b)), nullptr);
  EXPECT_EQ(SelectObject(other, AsGdiObject(b)), nullptr);
  DeleteDC(dc);
  EXPECT_NE(SelectObject(other, AsGdiObject(b)), nullptr);
  DeleteDC(other);
  EXPECT_TRUE(DeleteObject(b));
  EXPECT_EQ(SelectObject(nullptr, GetStockObject(BLACK_PEN)), nullptr);
}

TEST_F(GdiTest, CompatibleBitmapsOfAFreshMemoryDcAreMonochrome) {
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(GetDeviceCaps(screen, BITSPIXEL), 32);
  HDC mem = CreateCompatibleDC(screen);
  // The DC reports its device's depth; only the bitmaps it makes follow what it holds.
  EXPECT_EQ(GetDeviceCaps(mem, BITSPIXEL), 32);
  HBITMAP mono = CreateCompatibleBitmap(mem, 4, 4);
  EXPECT_EQ(gdi::Find<gdi::BitmapObject>(mono)->bitsPixel, 1);
  HBITMAP colour = CreateCompatibleBitmap(screen, 4, 4);
  EXPECT_EQ(gdi::Find<gdi::BitmapObject>(colour)->bitsPixel, 32);
  SelectObject(mem, AsGdiObject(colour));
  EXPECT_EQ(GetDeviceCaps(mem, BITSPIXEL), 32);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  DeleteObject(mono);
  DeleteObject(colour);
  // Absurd sizes are refused instead of exhausting memory.
  EXPECT_EQ(CreateBitmap(1 << 20, 1 << 20, 1, 32, nullptr), nullptr);
  EXPECT_EQ(CreateBitmap(-1, 4, 1, 32, nullptr), nullptr);
}

TEST_F(GdiTest, TheScreenIsReadWhereACopyAsksForIt) {
  gdi::Surface desktop(8, 8, 0x112233);
  desktop.At(3, 4) = 0xABCDEF;
  static_cast<platform::HeadlessBackend&>(platform::GetBackend()).SetDesktopPicture(desktop);
  HDC screen = GetDC(nullptr);
  HDC dc = Canvas(4, 4, RGB(0, 0, 0));
  BitBlt(dc, 0, 0, 4, 4, screen, 2, 3, SRCCOPY);
  EXPECT_EQ(GetPixel(dc, 1, 1), RGB(0xAB, 0xCD, 0xEF));
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0x11, 0x22, 0x33));
  // Beyond the screen there is black.
  BitBlt(dc, 0, 0, 4, 4, screen, 6, 6, SRCCOPY);
  EXPECT_EQ(GetPixel(dc, 1, 1), RGB(0x11, 0x22, 0x33));
  EXPECT_EQ(GetPixel(dc, 2, 2), RGB(0, 0, 0));
  ReleaseDC(nullptr, screen);
  DeleteDC(dc);
}

TEST_F(GdiTest, ClipRegionsLimitFillsAndAreCopiedWhenSelected) {
  HDC dc = Canvas(10, 10, RGB(0, 0, 0));
  HRGN clip = CreateRectRgn(2, 2, 5, 5);
  SelectObject(dc, AsGdiObject(clip));
  // The DC has its own copy: changing or deleting the region changes nothing.
  SetRectRgn(clip, 0, 0, 10, 10);
  EXPECT_TRUE(DeleteObject(clip));
  HBRUSH white = reinterpret_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  RECT all{0, 0, 10, 10};
  FillRect(dc, &all, white);
  EXPECT_EQ(GetPixel(dc, 2, 2), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(dc, 4, 4), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(dc, 5, 5), CLR_INVALID);  // outside the clip
  DeleteDC(dc);
}

TEST(RegionTest, CombinationsFollowTheirSetRules) {
  using gdi::Region;
  const Region a = Region::FromRect(0, 0, 4, 4);
  const Region b = Region::FromRect(2, 2, 6, 6);
  EXPECT_EQ(Region::And(a, b), Region::FromRect(2, 2, 4, 4));
  const Region both = Region::Or(a, b);
  EXPECT_EQ(both.Complexity(), gdi::kComplexRegion);
  EXPECT_EQ(both.Box(), (RECT{0, 0, 6, 6}));
  EXPECT_TRUE(both.Contains(5, 5));
  EXPECT_FALSE(both.Contains(5, 0));
  const Region diff = Region::Diff(a, b);
  EXPECT_TRUE(diff.Contains(0, 3));
  EXPECT_FALSE(diff.Contains(3, 3));
  const Region x = Region::Xor(a, b);
  EXPECT_FALSE(x.Contains(2, 2));
  EXPECT_TRUE(x.Contains(5, 2));
  EXPECT_TRUE(x.Contains(1, 1));
  // Touching bands with equal spans become one rectangle.
  EXPECT_EQ(Region::Or(Region::FromRect(0, 0, 4, 2), Region::FromRect(0, 2, 4, 5)).Rects().size(), 1u);
  EXPECT_EQ(Region::Or(Region::FromRect(0, 0, 2, 2), Region::FromRect(2, 0, 4, 2)), Region::FromRect(0, 0, 4, 2));
  EXPECT_TRUE(Region::And(a, Region::FromRect(4, 4, 8, 8)).IsEmpty());
  EXPECT_TRUE(Region::FromRect(3, 3, 3, 9).IsEmpty());
  EXPECT_EQ(Region::FromRect(5, 6, 1, 2), Region::FromRect(1, 2, 5, 6));
}

// Every combination of overlapping, nested and apart shapes, pixel by pixel against the
// set rule, and in the canonical form (equal regions have equal rectangle lists).
TEST(RegionTest, CombinationsAgreeWithThePixelsOfTheirOperands) {
  using gdi::Region;
  std::vector<Region> shapes = {Region::Ellipse(2, 3, 30, 27),  Region::FromRect(10, 0, 14, 40),
                                Region::FromRect(5, 12, 20, 15), Region::Ellipse(14, 14, 18, 19),
                                Region::FromRect(40, 40, 44, 44), Region()};
  shapes.push_back(Region::Or(shapes[1], shapes[2]));    // a cross
  shapes.push_back(Region::Diff(shapes[0], shapes[3]));  // a ring with a hole
  const std::pair<const char*, Region (*)(const Region&, const Region&)> ops[] = {
      {"and", Region::And}, {"or", Region::Or}, {"diff", Region::Diff}, {"xor", Region::Xor}};
  auto rule = [](int op, bool a, bool b) {
    switch (op) {
      case 0: return a && b;
      case 1: return a || b;
      case 2: return a && !b;
      default: return a != b;
    }
  };
  for (size_t i = 0; i < shapes.size(); ++i) {
    for (size_t j = 0; j < shapes.size(); ++j) {
      for (int op = 0; op < 4; ++op) {
        const Region r = ops[op].second(shapes[i], shapes[j]);
        int wrong = 0;
        for (int y = -2; y < 48; ++y) {
          for (int x = -2; x < 48; ++x) wrong += r.Contains(x, y) != rule(op, shapes[i].Contains(x, y), shapes[j].Contains(x, y));
        }
        EXPECT_EQ(wrong, 0) << ops[op].first << " of shapes " << i << " and " << j;
        // Built again from its own rectangles, the region comes out the same.
        Region rebuilt;
        for (const RECT& rect : r.Rects()) rebuilt = Region::Or(rebuilt, Region::FromRect(rect.left, rect.top, rect.right, rect.bottom));
        EXPECT_EQ(rebuilt, r) << ops[op].first << " of shapes " << i << " and " << j;
      }
    }
  }
}

TEST(RegionTest, OffsetAndRectangleTests) {
  gdi::Region e = gdi::Region::Ellipse(0, 0, 20, 20);
  EXPECT_TRUE(e.IntersectsRect(RECT{9, 9, 11, 11}));
  EXPECT_FALSE(e.IntersectsRect(RECT{0, 0, 2, 2}));
  e.Offset(100, 50);
  EXPECT_TRUE(e.Contains(110, 60));
  EXPECT_FALSE(e.Contains(10, 10));
  EXPECT_EQ(e.Box(), (RECT{100, 50, 119, 69}));
}

TEST_F(GdiTest, RegionHandlesRefuseWhatIsNotARegion) {
  HRGN r = CreateRectRgn(0, 0, 5, 5);
  HPEN pen = CreatePen(PS_SOLID, 1, 0);
  RECT box;
  EXPECT_EQ(GetRgnBox(reinterpret_cast<HRGN>(pen), &box), ERROR);
  EXPECT_EQ(CombineRgn(r, r, reinterpret_cast<HRGN>(pen), RGN_AND), ERROR);
  EXPECT_EQ(CombineRgn(r, r, nullptr, RGN_COPY), SIMPLEREGION);
  EXPECT_EQ(CombineRgn(r, r, r, 99), ERROR);
  EXPECT_FALSE(PtInRegion(nullptr, 0, 0));
  EXPECT_EQ(OffsetRgn(r, 3, 4), SIMPLEREGION);
  GetRgnBox(r, &box);
  EXPECT_EQ(box, (RECT{3, 4, 8, 9}));
  DeleteObject(r);
  DeleteObject(pen);
  EXPECT_EQ(gdi::LiveObjectCount(), 0u);
}

}  // namespace
