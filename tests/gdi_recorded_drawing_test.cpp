// Recorded drawings: replayed, they leave a DC exactly as the drawing itself would, through
// any clip; drawings that depend on what lies under them are refused.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "platform/backend/headless/headless_backend.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/recorded_drawing.h"
#include "platform/gdi/region.h"
#include "platform/user/native.h"
#include "platform/user/session.h"
#include "platform/user/user.h"

namespace {

using gdi::RecordedDrawing;
using gdi::Region;

constexpr int kWidth = 60;
constexpr int kHeight = 44;

class RecordedDrawingTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::Initialize(std::make_unique<platform::HeadlessBackend>()); }
  void TearDown() override {
    for (HDC dc : dcs_) DeleteDC(dc);
    for (HBITMAP b : bitmaps_) DeleteObject(b);
    platform::Shutdown();
  }

  // A memory DC over a bitmap with a pattern no drawing below uses, clipped when asked.
  HDC Canvas(const Region* clip = nullptr) {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap(kWidth, kHeight, 1, 32, nullptr);
    SelectObject(dc, AsGdiObject(bitmap));
    gdi::Surface& s = Pixels(dc);
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) s.At(x, y) = static_cast<std::uint32_t>(x * 4099 + y * 77 + 1) & 0xFFFFFF;
    }
    if (clip) {
      HRGN handle = CreateRectRgn(0, 0, 0, 0);
      gdi::Find<gdi::RegionObject>(handle)->region = *clip;
      SelectClipRgn(dc, handle);
      DeleteObject(handle);
    }
    dcs_.push_back(dc);
    bitmaps_.push_back(bitmap);
    return dc;
  }
  static gdi::Surface& Pixels(HDC dc) { return *gdi::FindDC(dc)->surface; }

  static void UsePen(HDC dc, int style, int width, COLORREF colour) {
    HGDIOBJ old = SelectObject(dc, AsGdiObject(CreatePen(style, width, colour)));
    if (old != GetStockObject(BLACK_PEN)) DeleteObject(old);
  }
  static void DropPen(HDC dc) { DeleteObject(SelectObject(dc, GetStockObject(BLACK_PEN))); }

  // Strokes of every kind, pure black and pure white among them, some beyond the edges.
  static void Strokes(HDC dc) {
    UsePen(dc, PS_INSIDEFRAME, 2, RGB(160, 0, 0));
    Arc(dc, -2, 1, 58, 43, 50, 0, 0, 0);
    UsePen(dc, PS_SOLID, 2, RGB(0, 0, 0));
    Arc(dc, 4, 4, 40, 40, 0, 0, 0, 0);
    MoveToEx(dc, 1, 30, nullptr);
    LineTo(dc, 61, 3);
    UsePen(dc, PS_SOLID, 1, RGB(255, 255, 255));
    LineTo(dc, 12, 44);
    Rectangle(dc, 30, 12, 45, 25);
    DropPen(dc);
    SetPixel(dc, 0, 0, RGB(255, 255, 255));
    SetPixel(dc, 59, 43, RGB(0, 0, 0));
    SetPixel(dc, 20, 20, RGB(1, 2, 3));
    RECT block{48, 30, 70, 50};
    HBRUSH brush = CreateSolidBrush(RGB(0, 128, 255));
    FillRect(dc, &block, brush);
    DeleteObject(brush);
  }

  // Text on a background of its own: its smoothed edges blend with that, not with the DC.
  static void OpaqueText(HDC dc) {
    HFONT font = CreateFont(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, SHIFTJIS_CHARSET, OUT_STROKE_PRECIS,
                            CLIP_DEFAULT_PRECIS, PROOF_QUALITY, DEFAULT_PITCH, "ＭＳ Ｐゴシック");
    HGDIOBJ old = SelectObject(dc, AsGdiObject(font));
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, RGB(200, 220, 0));
    SetTextColor(dc, RGB(0, 0, 90));
    TextOut(dc, 3, 5, "12:07", -1);
    SelectObject(dc, old);
    DeleteObject(font);
  }

  // How many pixels differ between the drawing done on one canvas and replayed on another.
  int Differences(HDC drawn, HDC replayed) {
    int n = 0;
    for (size_t i = 0; i < Pixels(drawn).pixels.size(); ++i) n += Pixels(drawn).pixels[i] != Pixels(replayed).pixels[i];
    return n;
  }

 private:
  std::vector<HDC> dcs_;
  std::vector<HBITMAP> bitmaps_;
};

TEST_F(RecordedDrawingTest, ReplayedItLeavesTheDcAsTheDrawingDoesThroughAnyClip) {
  const RECT beyondEveryEdge{-8, -8, kWidth + 8, kHeight + 8};
  const std::vector<std::pair<std::string, std::optional<Region>>> clips = {
      {"no clip", std::nullopt},
      {"an elliptic ring", Region::Diff(Region::Ellipse(0, 0, 60, 44), Region::Ellipse(15, 10, 45, 34))},
      {"two bars", Region::Or(Region::FromRect(0, 18, 60, 24), Region::FromRect(25, 0, 31, 44))},
      {"a few pixels", Region::FromRect(29, 20, 33, 24)},
      {"nothing", Region()},
  };
  const std::pair<std::string, void (*)(HDC)> drawings[] = {{"strokes", Strokes}, {"opaque text", OpaqueText}};
  for (const auto& [drawingName, drawing] : drawings) {
    const std::optional<RecordedDrawing> recorded = RecordedDrawing::Record(nullptr, beyondEveryEdge, drawing);
    ASSERT_TRUE(recorded.has_value()) << drawingName;
    EXPECT_FALSE(recorded->IsEmpty());
    for (const auto& [clipName, clip] : clips) {
      HDC drawn = Canvas(clip ? &*clip : nullptr);
      HDC replayed = Canvas(clip ? &*clip : nullptr);
      drawing(drawn);
      recorded->Replay(replayed);
      EXPECT_EQ(Differences(drawn, replayed), 0) << drawingName << " through " << clipName;
      // What was set is reported drawn, and nothing more than the drawing reports.
      const std::optional<RECT> drawnDirty = gdi::FindDC(drawn)->dirty;
      const std::optional<RECT> replayedDirty = gdi::FindDC(replayed)->dirty;
      ASSERT_EQ(drawnDirty.has_value(), replayedDirty.has_value()) << drawingName << " through " << clipName;
      if (drawnDirty) {
        EXPECT_EQ(gdi::Union(*drawnDirty, *replayedDirty), *drawnDirty) << drawingName << " through " << clipName;
      }
    }
  }
}

// On a child window the DC's logical origin is the child's client corner inside its top-level
// window's pixels, and its clip the child's part of them.
TEST_F(RecordedDrawingTest, OnAChildWindowItLandsWhereTheDrawingWould) {
  WNDCLASS wc;
  wc.lpfnWndProc = &DefWindowProc;
  wc.lpszClassName = "RecordingTarget";
  ASSERT_TRUE(RegisterClass(&wc));
  const std::optional<RecordedDrawing> recorded =
      RecordedDrawing::Record(nullptr, RECT{-8, -8, kWidth + 8, kHeight + 8}, Strokes);
  ASSERT_TRUE(recorded.has_value());
  std::vector<const gdi::Surface*> tops;
  for (bool replay : {false, true}) {
    HWND top = CreateWindowEx(0, "RecordingTarget", "", WS_POPUP | WS_VISIBLE, 0, 0, 90, 70, nullptr, nullptr,
                              nullptr, nullptr);
    HWND child = CreateWindowEx(WS_EX_CLIENTEDGE, "RecordingTarget", "", WS_CHILD | WS_VISIBLE, 7, 9, 50, 40, top,
                                nullptr, nullptr, nullptr);
    ASSERT_NE(child, nullptr);
    HDC dc = GetDC(child);
    ASSERT_NE(gdi::FindDC(dc)->origin, (POINT{0, 0}));
    if (replay) {
      recorded->Replay(dc);
    } else {
      Strokes(dc);
    }
    ReleaseDC(child, dc);
    tops.push_back(user::WindowPixels(top));
  }
  ASSERT_TRUE(tops[0] && tops[1]);
  EXPECT_EQ(tops[0]->pixels, tops[1]->pixels);
}

TEST_F(RecordedDrawingTest, OnlyWhatLiesInsideTheBoundsIsKept) {
  const RECT bounds{10, 8, 40, 30};
  const std::optional<RecordedDrawing> recorded = RecordedDrawing::Record(nullptr, bounds, Strokes);
  ASSERT_TRUE(recorded.has_value());
  HDC drawn = Canvas();
  HDC replayed = Canvas();
  const std::vector<std::uint32_t> before = Pixels(replayed).pixels;
  Strokes(drawn);
  recorded->Replay(replayed);
  int inside = 0;
  int wrong = 0;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const bool in = gdi::Contains(bounds, x, y);
      const std::uint32_t expected = in ? Pixels(drawn).At(x, y) : before[static_cast<size_t>(y) * kWidth + x];
      wrong += Pixels(replayed).At(x, y) != expected;
      inside += in && Pixels(drawn).At(x, y) != before[static_cast<size_t>(y) * kWidth + x];
    }
  }
  EXPECT_GT(inside, 20);
  EXPECT_EQ(wrong, 0);
}

TEST_F(RecordedDrawingTest, DrawingsThatReadWhatTheyCoverAreRefused) {
  const RECT bounds{0, 0, kWidth, kHeight};
  HDC picture = Canvas();
  const std::pair<std::string, std::function<void(HDC)>> readers[] = {
      {"smoothed text in transparent mode",
       [](HDC dc) {
         HFONT font = CreateFont(-28, 0, 0, 0, FW_NORMAL, 0, 0, 0, SHIFTJIS_CHARSET, OUT_STROKE_PRECIS,
                                 CLIP_DEFAULT_PRECIS, PROOF_QUALITY, DEFAULT_PITCH, "ＭＳ Ｐゴシック");
         HGDIOBJ old = SelectObject(dc, AsGdiObject(font));
         SetBkMode(dc, TRANSPARENT);
         SetTextColor(dc, RGB(192, 192, 0));
         TextOut(dc, 3, 5, "08", -1);
         SelectObject(dc, old);
         DeleteObject(font);
       }},
      {"an AND copy", [picture](HDC dc) { BitBlt(dc, 5, 5, 20, 20, picture, 0, 0, SRCAND); }},
      {"an OR copy", [picture](HDC dc) { BitBlt(dc, 5, 5, 20, 20, picture, 0, 0, SRCPAINT); }},
  };
  for (const auto& [name, draw] : readers) EXPECT_FALSE(RecordedDrawing::Record(nullptr, bounds, draw)) << name;

  // A plain copy sets its pixels whatever was there.
  const std::optional<RecordedDrawing> copy =
      RecordedDrawing::Record(nullptr, bounds, [picture](HDC dc) { BitBlt(dc, 5, 5, 20, 20, picture, 0, 0, SRCCOPY); });
  ASSERT_TRUE(copy.has_value());
  HDC replayed = Canvas();
  copy->Replay(replayed);
  int wrong = 0;
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 20; ++x) wrong += Pixels(replayed).At(x + 5, y + 5) != Pixels(picture).At(x, y);
  }
  EXPECT_EQ(wrong, 0);
}

TEST_F(RecordedDrawingTest, NothingDrawnIsNothingReplayed) {
  const size_t objects = gdi::LiveObjectCount();
  const std::optional<RecordedDrawing> recorded =
      RecordedDrawing::Record(nullptr, RECT{0, 0, kWidth, kHeight}, [](HDC dc) { MoveToEx(dc, 3, 3, nullptr); });
  ASSERT_TRUE(recorded.has_value());
  // Recording leaves no drawing object or DC behind.
  EXPECT_EQ(gdi::LiveObjectCount(), objects);
  EXPECT_EQ(gdi::LiveDeviceContextCount(), 0u);
  EXPECT_TRUE(recorded->IsEmpty());
  HDC dc = Canvas();
  const std::vector<std::uint32_t> before = Pixels(dc).pixels;
  recorded->Replay(dc);
  EXPECT_EQ(Pixels(dc).pixels, before);
  EXPECT_FALSE(gdi::FindDC(dc)->dirty.has_value());
}

}  // namespace

namespace {

TEST(RecordingCache, EachKeyIsMadeOnceUntilTheOldestMakesRoom) {
  gdi::RecordingCache<int, int, 2> cache;
  int made = 0;
  auto make = [&made](int key) {
    return [&made, key] {
      ++made;
      return gdi::RecordingCache<int, int, 2>::Entry{key, RecordedDrawing::Record(nullptr, RECT{}, [](HDC) {}), key * 10};
    };
  };
  EXPECT_EQ(cache.Find(1, make(1)).extra, 10);
  EXPECT_EQ(cache.Find(2, make(2)).extra, 20);
  EXPECT_EQ(cache.Find(1, make(1)).extra, 10);
  EXPECT_EQ(made, 2);
  // A third key takes the place of the first made, not of the one asked for last.
  EXPECT_EQ(cache.Find(3, make(3)).extra, 30);
  EXPECT_EQ(made, 3);
  EXPECT_EQ(cache.Find(2, make(2)).extra, 20);
  EXPECT_EQ(made, 3);
  EXPECT_EQ(cache.Find(1, make(1)).extra, 10);
  EXPECT_EQ(made, 4);
}

// Caches of recordings find objects by handle: no handle may come back for another object,
// after a deletion or after the platform starts again.
TEST(RecordingCache, AHandleNeverNamesASecondObject) {
  std::set<HGDIOBJ> seen;
  for (int run = 0; run < 3; ++run) {
    platform::Initialize(std::make_unique<platform::HeadlessBackend>());
    for (int i = 0; i < 50; ++i) {
      const HGDIOBJ pen = AsGdiObject(CreatePen(PS_SOLID, 2, RGB(i, 0, 0)));
      const HGDIOBJ font = AsGdiObject(CreateFont(-10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "IPAGothic"));
      EXPECT_TRUE(seen.insert(pen).second);
      EXPECT_TRUE(seen.insert(font).second);
      DeleteObject(pen);
      DeleteObject(font);
    }
    platform::Shutdown();
  }
}

}  // namespace
