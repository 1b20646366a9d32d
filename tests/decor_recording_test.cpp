// The frames and the clock are recorded once for each look and replayed: what a replay leaves
// must be what drawing them again leaves, at every size, in every look, through any clip,
// and a changed look or reading must never replay an older one.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "decor/clock_painter.h"
#include "decor/frame_geometry.h"
#include "decor/frame_painter.h"
#include "platform/backend/headless/headless_backend.h"
#include "platform/framework/afxwin.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/region.h"
#include "platform/user/session.h"

namespace {

using decor::Material;
using gdi::Region;

constexpr int kSizes[] = {100, 125, 150, 200, 275, 350};
// The canvases reach past the window on every side, where the frames' pens reach too.
constexpr int kBeyond = 6;

COLORREF Shade(Material m, int s, int tint) {
  const int v = m == Material::kLog ? 174 - 16 * s : 255 - 10 * s;
  return m == Material::kLog ? RGB(v, tint, 0) : RGB(v, v, (v + tint) & 0xFF);
}

class DecorRecordingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::Initialize(std::make_unique<platform::HeadlessBackend>());
    MakePens(0);
    clockFont_.CreateFont(-10, 0, 0, 0, FW_DONTCARE, 0, 0, 0, SHIFTJIS_CHARSET, OUT_STROKE_PRECIS,
                          CLIP_DEFAULT_PRECIS, PROOF_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "ＭＳ Ｐゴシック");
    const COLORREF plate[6] = {RGB(192, 64, 128), RGB(255, 255, 255), RGB(128, 0, 64),
                               RGB(192, 192, 192), RGB(0, 0, 0),       RGB(164, 164, 164)};
    for (int i = 0; i < 6; ++i) platePens_[i].CreatePen(PS_SOLID, 1, plate[i]);
    glass_.CreateRectRgn(0, 0, 12, 12);
    for (CRgn& r : quadrants_) r.CreateRectRgn(0, 0, 12, 12);
    for (CRgn& r : panes_) r.CreateRectRgn(0, 0, 12, 12);
  }
  void TearDown() override {
    canvases_.clear();
    platform::Shutdown();
  }

  // The view's fourteen frame pens in colours tinted by `tint`, made anew.
  void MakePens(int tint) {
    for (int m = 0; m < 2; ++m) {
      for (int s = 0; s < decor::kShades; ++s) {
        CPen& pen = pens_[static_cast<size_t>(m * decor::kShades + s)];
        pen.DeleteObject();
        pen.CreatePen(PS_INSIDEFRAME, 2, Shade(m == 0 ? Material::kLog : Material::kAluminium, s, tint));
      }
    }
    for (size_t i = 0; i < pens_.size(); ++i) penPointers_[i] = &pens_[i];
  }
  CPen* const* PensOf(Material m) { return &penPointers_[m == Material::kLog ? 0 : decor::kShades]; }

  // A memory DC for a w x h window, kBeyond pixels larger all round, its logical origin at
  // the window's corner, over a pattern no frame uses, clipped to `clip` (window
  // coordinates) when there is one.
  struct Canvas {
    CDC dc;
    CBitmap bitmap;
  };
  CDC* MakeCanvas(int w, const std::optional<Region>& clip) {
    auto canvas = std::make_unique<Canvas>();
    canvas->dc.CreateCompatibleDC(nullptr);
    canvas->bitmap.CreateBitmap(w + 2 * kBeyond, w + 2 * kBeyond, 1, 32, nullptr);
    canvas->dc.SelectObject(&canvas->bitmap);
    gdi::DeviceContext& dc = *gdi::FindDC(canvas->dc.m_hDC);
    for (size_t i = 0; i < dc.surface->pixels.size(); ++i) {
      dc.surface->pixels[i] = static_cast<std::uint32_t>(i * 2654435761u) & 0x3F3F3F;
    }
    dc.origin = POINT{kBeyond, kBeyond};
    if (clip) {
      CRgn region;
      region.CreateRectRgn(0, 0, 0, 0);
      gdi::Find<gdi::RegionObject>(region.m_hObject)->region = *clip;
      canvas->dc.SelectObject(&region);
    }
    canvases_.push_back(std::move(canvas));
    return &canvases_.back()->dc;
  }
  static const std::vector<std::uint32_t>& Pixels(CDC* dc) { return gdi::FindDC(dc->m_hDC)->surface->pixels; }

  // Pixels where the recorded frame and the frame drawn again differ, through `clip`.
  int FrameDifferences(Material m, int w, bool round, bool bars, const std::optional<Region>& clip) {
    CDC* drawn = MakeCanvas(w, clip);
    CDC* replayed = MakeCanvas(w, clip);
    decor::DrawFrame(drawn, m, PensOf(m), w, w, round, bars);
    decor::PaintFrame(replayed, m, PensOf(m), w, w, round, bars, decor::GlassRegions{&glass_, quadrants_, panes_});
    return Differences(drawn, replayed);
  }
  static int Differences(CDC* a, CDC* b) {
    int n = 0;
    for (size_t i = 0; i < Pixels(a).size(); ++i) n += Pixels(a)[i] != Pixels(b)[i];
    return n;
  }

  decor::ClockStyle Style(int colour, bool round, bool log) { return decor::ClockStyle{&clockFont_, platePens_, colour, round, log}; }

  std::array<CPen, 14> pens_;
  std::array<CPen*, 14> penPointers_{};
  CFont clockFont_;
  CPen platePens_[6];
  CRgn glass_;
  CRgn quadrants_[4];
  CRgn panes_[4];

 private:
  std::vector<std::unique_ptr<Canvas>> canvases_;
};

TEST_F(DecorRecordingTest, EveryFrameReplayedIsTheFrameDrawnAgainThroughAnyClip) {
  for (int w : kSizes) {
    // The whole window, the round window's outline, and a small repaint across its edge.
    const std::optional<Region> clips[] = {std::nullopt, Region::Ellipse(0, 0, w + 1, w + 1),
                                           Region::FromRect(w / 2 - 3, w - 20, w / 2 + 40, w + 3)};
    for (Material m : {Material::kLog, Material::kAluminium}) {
      for (bool round : {false, true}) {
        for (bool bars : {true, false}) {
          const std::string look = std::to_string(w) + (m == Material::kLog ? " log" : " aluminium") +
                                   (round ? " round" : " square") + (bars ? " with bars" : "");
          // The first paint of a look records it; the others replay the recording.
          for (const std::optional<Region>& clip : clips) {
            EXPECT_EQ(FrameDifferences(m, w, round, bars, clip), 0) << look;
          }
        }
      }
    }
  }
}

TEST_F(DecorRecordingTest, ALookComingBackAmongOthersIsStillItself) {
  struct Look {
    Material m;
    int w;
    bool round;
    bool bars;
  };
  const Look looks[] = {{Material::kLog, 150, true, true},        {Material::kLog, 150, false, true},
                        {Material::kAluminium, 150, true, true},  {Material::kLog, 150, true, false},
                        {Material::kLog, 200, true, true},        {Material::kAluminium, 125, false, false}};
  // The glass and the panes the look leaves: the glass box (an ellipse when round) cut into
  // the look's quadrants.
  auto regionsWrong = [&](const Look& l) {
    const RECT box = decor::GlassBox(l.m, l.round, l.w, l.w);
    const Region glass = l.round ? Region::Ellipse(box.left, box.top, box.right, box.bottom)
                                 : Region::FromRect(box.left, box.top, box.right, box.bottom);
    const std::array<RECT, 4> quadrants = decor::QuadrantRects(l.m, l.round, l.bars, l.w, l.w);
    int wrong = gdi::Find<gdi::RegionObject>(glass_.m_hObject)->region != glass;
    for (size_t i = 0; i < 4; ++i) {
      const RECT& q = quadrants[i];
      wrong += gdi::Find<gdi::RegionObject>(panes_[i].m_hObject)->region !=
               Region::And(glass, Region::FromRect(q.left, q.top, q.right, q.bottom));
    }
    return wrong;
  };
  // Round and round, more looks than the recordings kept, and back and forth.
  for (int pass = 0; pass < 3; ++pass) {
    for (const Look& l : looks) {
      EXPECT_EQ(FrameDifferences(l.m, l.w, l.round, l.bars, std::nullopt), 0) << pass;
      EXPECT_EQ(regionsWrong(l), 0) << pass;
    }
    for (int i : {0, 1, 0, 0, 1, 5, 0}) {
      const Look& l = looks[i];
      EXPECT_EQ(FrameDifferences(l.m, l.w, l.round, l.bars, std::nullopt), 0) << pass << " " << i;
      EXPECT_EQ(regionsWrong(l), 0) << pass << " " << i;
    }
  }
}

TEST_F(DecorRecordingTest, NewPensOfOtherColoursPaintTheFrameInThem) {
  CDC* before = MakeCanvas(150, std::nullopt);
  decor::PaintFrame(before, Material::kLog, PensOf(Material::kLog), 150, 150, true, true,
                    decor::GlassRegions{&glass_, quadrants_, panes_});
  MakePens(60);
  EXPECT_EQ(FrameDifferences(Material::kLog, 150, true, true, std::nullopt), 0);
  CDC* after = MakeCanvas(150, std::nullopt);
  decor::PaintFrame(after, Material::kLog, PensOf(Material::kLog), 150, 150, true, true,
                    decor::GlassRegions{&glass_, quadrants_, panes_});
  EXPECT_GT(Differences(before, after), 1000);
}

TEST_F(DecorRecordingTest, EveryClockReplayedIsTheClockDrawnAgainWithItsRectangles) {
  const decor::ClockReading readings[] = {{1998, 8, 5, "(水)", 3, 9},
                                          {1998, 8, 5, "(水)", 3, 10},
                                          {2027, 12, 31, "(金)", 23, 59},
                                          {1998, 8, 5, "(水)", 3, 9},
                                          {2030, 1, 1, "(火)", 12, 0}};
  for (int w : kSizes) {
    const std::optional<Region> clips[] = {std::nullopt, Region::FromRect(w / 2, w - 14, w, w + 1)};
    for (bool round : {false, true}) {
      for (bool log : {true, false}) {
        for (int colour : {0, 2, 5}) {
          for (const decor::ClockReading& now : readings) {
            for (const std::optional<Region>& clip : clips) {
              const std::string look = std::to_string(w) + (round ? " round" : " square") + (log ? " log" : " aluminium") +
                                       " colour " + std::to_string(colour) + " at " + std::to_string(now.hour) + ":" +
                                       std::to_string(now.minute);
              CDC* drawn = MakeCanvas(w, clip);
              CDC* replayed = MakeCanvas(w, clip);
              drawn->SetTextColor(RGB(1, 2, 3));
              replayed->SetTextColor(RGB(1, 2, 3));
              const decor::ClockRectangles a = decor::DrawClock(drawn, Style(colour, round, log), now, w, w);
              const decor::ClockRectangles b = decor::PaintClock(replayed, Style(colour, round, log), now, w, w);
              EXPECT_EQ(Differences(drawn, replayed), 0) << look;
              EXPECT_EQ(a.minute, b.minute) << look;
              EXPECT_EQ(a.time, b.time) << look;
              EXPECT_EQ(a.date, b.date) << look;
              EXPECT_EQ(drawn->GetTextColor(), replayed->GetTextColor()) << look;
            }
          }
        }
      }
    }
  }
}

}  // namespace
