// A day on the desktop in a few seconds: the program paints and takes its timer ticks a
// hundred thousand times, with shooting stars and satellites crossing and the desktop behind
// it, and neither its heap nor its drawing objects may grow.
#include <malloc.h>

#include <cstddef>

#include "platform/gdi/objects.h"
#include "platform/gdi/surface.h"
#include "program_fixture.h"

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kHeapIsTheSanitizers = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kHeapIsTheSanitizers = true;
#else
constexpr bool kHeapIsTheSanitizers = false;
#endif
#else
constexpr bool kHeapIsTheSanitizers = false;
#endif

class LongRunTest : public ProgramTest {
 protected:
  // Bytes the program holds on the heap now.
  static std::size_t HeapInUse() { return mallinfo2().uordblks; }

  // One tick of the system timer, then a paint of the whole window, as the sky's own
  // invalidations would bring once a second.
  void TickAndPaint() {
    backend->Advance(55);
    ::InvalidateRect(View()->m_hWnd, nullptr, FALSE);
    ::UpdateWindow(View()->m_hWnd);
  }
};

TEST_F(LongRunTest, AHundredThousandPaintsAndTicksLeaveTheHeapAndTheDrawingObjectsAsTheyWere) {
  if (kHeapIsTheSanitizers) GTEST_SKIP() << "the sanitizer's heap is its own; its leak check covers this build";
  gdi::Surface desktop(640, 480);
  for (int y = 0; y < 480; ++y) {
    for (int x = 0; x < 640; ++x) desktop.At(x, y) = static_cast<std::uint32_t>(x * 977 + y * 131) & 0xFFFFFF;
  }
  backend->SetDesktopPicture(desktop);
  WriteSetting("ShootingStarLevel", 10);
  WriteSetting("SateltLevel", 10);
  WriteSetting("BkMode", 2);
  WriteSetting("CircleEdgeFlg", 1);
  ASSERT_TRUE(Start());

  // Paints counted as the view receives them.
  int paints = 0;
  user::SetMessageSpy([&paints](const MSG& m) { paints += m.message == WM_PAINT; });

  // Long enough for every lazily made thing (fonts, pictures, caches) to exist.
  for (int i = 0; i < 2000; ++i) TickAndPaint();
  const std::size_t objects = gdi::LiveObjectCount();
  const std::size_t heap = HeapInUse();
  constexpr int kRounds = 100000;
  std::size_t heapHalfway = 0;
  for (int i = 0; i < kRounds; ++i) {
    TickAndPaint();
    if (i == kRounds / 2) heapHalfway = HeapInUse();
  }
  user::SetMessageSpy(nullptr);
  EXPECT_GE(paints, kRounds) << "the window was not painted on every round";
  EXPECT_EQ(gdi::LiveObjectCount(), objects) << "drawing objects made and never deleted";
  // A byte kept a round would be 100 kB by now; a little room for the allocator's own
  // bookkeeping of what comes and goes.
  EXPECT_LT(HeapInUse(), heap + 16 * 1024) << "heap at the start " << heap << ", halfway " << heapHalfway;
  EXPECT_LT(HeapInUse(), heapHalfway + 8 * 1024) << "heap at the start " << heap << ", halfway " << heapHalfway;
}

}  // namespace
