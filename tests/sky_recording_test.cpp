// The sky behind the frame is composed once for each look and replayed after that: whatever
// the window went through, a paint shows the sky a program started afresh in the same state
// shows.
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/gdi/region.h"
#include "platform/gdi/surface.h"
#include "program_fixture.h"

namespace {

class SkyRecordingTest : public ProgramTest {
 protected:
  // The window round, without frame or clock, at (100, 100): only the sky shows.
  void Settle(int background, int sizeNo) {
    WriteSetting("EdgeFlg", 0);
    WriteSetting("ClockFlg", 0);
    WriteSetting("CircleEdgeFlg", 1);
    WriteSetting("ShootingStarLevel", 0);
    WriteSetting("SateltLevel", 0);
    WriteSetting("BeforePositionFlg", 1);
    WriteSetting("BeforePositionPosX", 100);
    WriteSetting("BeforePositionPosY", 100);
    WriteSetting("BkMode", background);
    WriteSetting("FrameSizeNo", sizeNo);
  }

  // A desktop picture where every pixel differs from its neighbours, in one of two patterns.
  void Desktop(int pattern) {
    gdi::Surface desktop(640, 480);
    for (int y = 0; y < 480; ++y) {
      for (int x = 0; x < 640; ++x) {
        desktop.At(x, y) = static_cast<std::uint32_t>(x * (pattern == 1 ? 977 : 311) + y * 131 + pattern) & 0xFFFFFF;
      }
    }
    backend->SetDesktopPicture(desktop);
  }

  // The window's pixels inside its round shape, black outside it: what lies outside was
  // never shown, and a window grown from a smaller size keeps old pixels there.
  std::vector<std::uint32_t> Shown() const {
    const gdi::Surface& pixels = *user::WindowPixels(FrameHwnd());
    const gdi::Region* shape = user::WindowShape(FrameHwnd());
    std::vector<std::uint32_t> out(pixels.pixels.size(), 0);
    for (int y = 0; y < pixels.height; ++y) {
      for (int x = 0; x < pixels.width; ++x) {
        if (shape && shape->Contains(x, y)) out[static_cast<size_t>(y) * pixels.width + x] = pixels.At(x, y);
      }
    }
    return out;
  }

  void RepaintAll() {
    View()->InvalidateRect(nullptr, FALSE);
    platform::PumpPendingMessages();
  }

  // What a program started in the state `prepare` sets up shows after its first paint.
  std::vector<std::uint32_t> FreshlyStarted(const std::function<void()>& prepare) {
    TearDown();
    SetUp();
    prepare();
    EXPECT_TRUE(Start());
    return Shown();
  }
};

TEST_F(SkyRecordingTest, EveryChangeOfLookShowsTheSkyOfAFreshStart) {
  const platform::LocalTime firstDay{2026, 8, 10, 1, 21, 7, 0};
  const platform::LocalTime nextDay{2026, 8, 11, 2, 21, 7, 0};
  const std::vector<std::uint32_t> desktop = FreshlyStarted([&] {
    backend->SetLocalTime(firstDay);
    Desktop(1);
    Settle(2, 3);
  });
  const std::vector<std::uint32_t> darkness = FreshlyStarted([&] {
    backend->SetLocalTime(firstDay);
    Desktop(1);
    Settle(1, 3);
  });
  const std::vector<std::uint32_t> otherDesktop = FreshlyStarted([&] {
    backend->SetLocalTime(firstDay);
    Desktop(2);
    Settle(2, 3);
  });
  const std::vector<std::uint32_t> nextDaysSky = FreshlyStarted([&] {
    backend->SetLocalTime(nextDay);
    Desktop(2);
    Settle(2, 3);
  });
  const std::vector<std::uint32_t> larger = FreshlyStarted([&] {
    backend->SetLocalTime(nextDay);
    Desktop(2);
    Settle(2, 4);
  });
  ASSERT_NE(desktop, darkness);
  ASSERT_NE(desktop, otherDesktop);
  ASSERT_NE(otherDesktop, nextDaysSky);

  // One program through all of those states, and back.
  TearDown();
  SetUp();
  backend->SetLocalTime(firstDay);
  Desktop(1);
  Settle(2, 3);
  ASSERT_TRUE(Start());
  ASSERT_NE(user::WindowShape(FrameHwnd()), nullptr);
  EXPECT_EQ(Shown(), desktop);
  RepaintAll();
  EXPECT_EQ(Shown(), desktop) << "painted again";

  Doc()->BkMode = 1;
  RepaintAll();
  EXPECT_EQ(Shown(), darkness) << "over darkness";
  Doc()->BkMode = 2;
  RepaintAll();
  EXPECT_EQ(Shown(), desktop) << "over the desktop again";

  Desktop(2);
  ViewCommand(ID_CAPTURE_DESKTOP);
  RepaintAll();
  EXPECT_EQ(Shown(), otherDesktop) << "a new desktop taken";

  backend->SetLocalTime(nextDay);
  backend->Advance(1100);  // the sky timer's tick reads the new date
  RepaintAll();
  EXPECT_EQ(Shown(), nextDaysSky) << "the next day";

  View()->SendMessage(WM_LBUTTONDBLCLK, 0, MAKELPARAM(20, 20));  // one size larger
  platform::PumpPendingMessages();
  ViewCommand(ID_CAPTURE_DESKTOP);
  RepaintAll();
  EXPECT_EQ(Shown(), larger) << "one size larger";

  View()->SendMessage(WM_LBUTTONDBLCLK, 0, MAKELPARAM(20, 190));  // and back
  platform::PumpPendingMessages();
  ViewCommand(ID_CAPTURE_DESKTOP);
  RepaintAll();
  EXPECT_EQ(Shown(), nextDaysSky) << "back to the size before";
}

}  // namespace
