// Clipping in the drawing calls: region combinations in their one canonical form, pens and
// brushes through clip regions of every shape, and AND and OR copies at every alignment.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/backend/headless/headless_backend.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/region.h"
#include "platform/user/session.h"

namespace {

using gdi::Region;

// The canonical rectangles of a set of pixels within `area`: the maximal runs of each row,
// and rows with the same runs directly below one another joined into one band.
std::vector<RECT> CanonicalRects(const RECT& area, const std::function<bool(int, int)>& inside) {
  std::vector<RECT> out;
  size_t bandStart = 0;
  bool bandOpen = false;
  for (int y = area.top; y < area.bottom; ++y) {
    std::vector<RECT> row;
    for (int x = area.left; x < area.right;) {
      if (!inside(x, y)) {
        ++x;
        continue;
      }
      const int left = x;
      while (x < area.right && inside(x, y)) ++x;
      row.push_back(RECT{left, y, x, y + 1});
    }
    bool same = bandOpen && out.size() - bandStart == row.size() && out[bandStart].bottom == y;
    for (size_t i = 0; same && i < row.size(); ++i) {
      same = out[bandStart + i].left == row[i].left && out[bandStart + i].right == row[i].right;
    }
    if (same) {
      for (size_t i = bandStart; i < out.size(); ++i) out[i].bottom = y + 1;
    } else if (!row.empty()) {
      bandStart = out.size();
      out.insert(out.end(), row.begin(), row.end());
      bandOpen = true;
    } else {
      bandOpen = false;
    }
  }
  return out;
}

// Shapes whose combinations take every path: single rectangles inside, around, across and
// apart from the others, ellipses as created (one band a row), and results of combinations.
std::vector<Region> Shapes() {
  std::vector<Region> s = {Region::FromRect(0, 0, 40, 40),   Region::FromRect(8, 5, 20, 31),
                           Region::FromRect(-5, 10, 50, 12), Region::FromRect(60, 60, 70, 64),
                           Region::Ellipse(2, 3, 37, 30),    Region::Ellipse(10, 10, 14, 15),
                           Region::Ellipse(20, -4, 45, 21),  Region()};
  s.push_back(Region::Or(s[1], s[2]));
  s.push_back(Region::Diff(s[4], s[5]));
  s.push_back(Region::Xor(s[4], s[6]));
  return s;
}

TEST(RegionCanonicalForm, EveryCombinationGivesTheCanonicalRectanglesOfItsPixels) {
  const std::vector<Region> shapes = Shapes();
  const RECT area{-8, -8, 72, 72};
  struct Operation {
    const char* name;
    Region (*combine)(const Region&, const Region&);
    bool (*rule)(bool, bool);
  };
  const Operation operations[] = {
      {"and", Region::And, [](bool a, bool b) { return a && b; }},
      {"or", Region::Or, [](bool a, bool b) { return a || b; }},
      {"diff", Region::Diff, [](bool a, bool b) { return a && !b; }},
      {"xor", Region::Xor, [](bool a, bool b) { return a != b; }},
  };
  for (size_t i = 0; i < shapes.size(); ++i) {
    for (size_t j = 0; j < shapes.size(); ++j) {
      for (const Operation& op : operations) {
        const Region& a = shapes[i];
        const Region& b = shapes[j];
        const Region result = op.combine(a, b);
        const std::vector<RECT> expected =
            CanonicalRects(area, [&](int x, int y) { return op.rule(a.Contains(x, y), b.Contains(x, y)); });
        EXPECT_EQ(result.Rects(), expected) << op.name << " of shapes " << i << " and " << j;
      }
    }
  }
}

TEST(RegionCanonicalForm, AnEllipseCombinedWithNothingLosesItsRowByRowBands) {
  const Region ellipse = Region::Ellipse(0, 0, 30, 20);
  const std::vector<RECT> canonical =
      CanonicalRects(RECT{0, 0, 30, 20}, [&](int x, int y) { return ellipse.Contains(x, y); });
  ASSERT_LT(canonical.size(), ellipse.Rects().size());
  EXPECT_EQ(Region::Or(ellipse, Region()).Rects(), canonical);
  EXPECT_EQ(Region::Xor(Region(), ellipse).Rects(), canonical);
  EXPECT_EQ(Region::Diff(ellipse, Region::FromRect(40, 0, 50, 10)).Rects(), canonical);
  EXPECT_EQ(Region::And(Region::FromRect(-1, -1, 31, 21), ellipse).Rects(), canonical);
  EXPECT_EQ(Region::And(ellipse, Region::FromRect(0, 0, 30, 20)).Rects(), canonical);
}

class ClippingTest : public ::testing::Test {
 protected:
  static constexpr int kSize = 48;
  static constexpr COLORREF kBackground = RGB(10, 20, 30);

  void SetUp() override { platform::Initialize(std::make_unique<platform::HeadlessBackend>()); }
  void TearDown() override { platform::Shutdown(); }

  struct Canvas {
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ previous;
  };
  Canvas MakeCanvas() {
    Canvas c{CreateCompatibleDC(nullptr), CreateBitmap(kSize, kSize, 1, 32, nullptr), nullptr};
    c.previous = SelectObject(c.dc, AsGdiObject(c.bitmap));
    HBRUSH brush = CreateSolidBrush(kBackground);
    RECT all{0, 0, kSize, kSize};
    FillRect(c.dc, &all, brush);
    DeleteObject(brush);
    return c;
  }
  void Free(Canvas& c) {
    SelectObject(c.dc, c.previous);
    DeleteDC(c.dc);
    DeleteObject(c.bitmap);
  }
  const gdi::Surface& Pixels(const Canvas& c) { return *gdi::Find<gdi::BitmapObject>(c.bitmap)->surface; }

  // Draws once without a clip and once through `clip`, and counts the pixels where the
  // clipped drawing is not the unclipped one inside the clip and the background outside.
  int Mismatches(const Region& clip, const std::function<void(HDC)>& draw) {
    Canvas plain = MakeCanvas();
    Canvas clipped = MakeCanvas();
    draw(plain.dc);
    HRGN handle = CreateRectRgn(0, 0, 0, 0);
    gdi::Find<gdi::RegionObject>(handle)->region = clip;
    SelectClipRgn(clipped.dc, handle);
    DeleteObject(handle);
    draw(clipped.dc);
    int wrong = 0;
    const std::uint32_t background = gdi::PixelFromColor(kBackground);
    for (int y = 0; y < kSize; ++y) {
      for (int x = 0; x < kSize; ++x) {
        const std::uint32_t expected = clip.Contains(x, y) ? Pixels(plain).At(x, y) : background;
        wrong += Pixels(clipped).At(x, y) != expected;
      }
    }
    Free(plain);
    Free(clipped);
    return wrong;
  }
};

TEST_F(ClippingTest, PensAndBrushesThroughAClipDrawTheirUnclippedPixelsInsideIt) {
  const std::vector<std::pair<std::string, Region>> clips = {
      {"ring", Region::Diff(Region::Ellipse(2, 2, 46, 44), Region::Ellipse(12, 14, 30, 28))},
      {"ellipse as created", Region::Ellipse(0, 5, 47, 40)},
      {"bars", Region::Or(Region::FromRect(0, 20, 48, 26), Region::FromRect(21, 0, 25, 48))},
      {"nothing", Region()},
  };
  struct Stroke {
    const char* name;
    int style;
    int width;
  };
  const Stroke pens[] = {{"cosmetic", PS_SOLID, 1}, {"wide", PS_SOLID, 2}, {"inside frame", PS_INSIDEFRAME, 2},
                         {"wider", PS_SOLID, 5}};
  for (const auto& [clipName, clip] : clips) {
    for (const Stroke& stroke : pens) {
      auto draw = [&](HDC dc) {
        HPEN pen = CreatePen(stroke.style, stroke.width, RGB(250, 240, 5));
        HGDIOBJ old = SelectObject(dc, AsGdiObject(pen));
        HBRUSH brush = CreateSolidBrush(RGB(0, 90, 200));
        HGDIOBJ oldBrush = SelectObject(dc, AsGdiObject(brush));
        MoveToEx(dc, -3, 7, nullptr);
        LineTo(dc, 50, 31);
        LineTo(dc, 24, 24);
        LineTo(dc, 24, -2);
        LineTo(dc, 3, 45);
        Arc(dc, 1, 1, 47, 45, 40, 0, 0, 40);
        Arc(dc, 6, 9, 40, 38, 0, 0, 0, 0);
        Rectangle(dc, 15, 16, 33, 37);
        SelectObject(dc, oldBrush);
        SelectObject(dc, old);
        DeleteObject(brush);
        DeleteObject(pen);
      };
      EXPECT_EQ(Mismatches(clip, draw), 0) << stroke.name << " pen through the " << clipName;
    }
  }
}

TEST_F(ClippingTest, AndAndOrCopiesCombineEveryPixelAtEveryWidthAndOffset) {
  Canvas source = MakeCanvas();
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) SetPixel(source.dc, x, y, RGB(x * 5, y * 5, (x * 7 + y * 3) & 0xFF));
  }
  for (DWORD rop : {SRCAND, SRCPAINT}) {
    for (int width = 1; width <= 9; ++width) {
      for (int offset = 0; offset < 4; ++offset) {
        Canvas target = MakeCanvas();
        const RECT keep{0, 0, kSize, kSize};
        HBRUSH brush = CreateSolidBrush(RGB(0xC3, 0x5A, 0x0F));
        FillRect(target.dc, &keep, brush);
        DeleteObject(brush);
        ASSERT_TRUE(BitBlt(target.dc, offset, 3, width, 5, source.dc, 7 + offset * 3, 2 + offset, rop));
        int wrong = 0;
        for (int y = 0; y < kSize; ++y) {
          for (int x = 0; x < kSize; ++x) {
            std::uint32_t expected = 0xC35A0F;
            if (x >= offset && x < offset + width && y >= 3 && y < 8) {
              const std::uint32_t s = Pixels(source).At(x - offset + 7 + offset * 3, y - 3 + 2 + offset);
              expected = rop == SRCAND ? (expected & s) : (expected | s);
            }
            wrong += Pixels(target).At(x, y) != expected;
          }
        }
        EXPECT_EQ(wrong, 0) << (rop == SRCAND ? "and" : "or") << ", width " << width << ", offset " << offset;
        Free(target);
      }
    }
  }
  Free(source);
}

}  // namespace
