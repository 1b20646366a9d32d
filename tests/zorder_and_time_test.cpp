// Z-order bands, activation, and the headless clock that the program's date comes from.
#include <gtest/gtest.h>

#include "platform/backend/headless/headless_backend.h"
#include "platform/framework/afx_core.h"
#include "platform/user/session.h"
#include "platform/user/state.h"
#include "platform/user/user.h"

namespace {

std::vector<std::pair<HWND, WPARAM>> g_activations;

LRESULT RecordActivation(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_ACTIVATE) g_activations.emplace_back(h, w);
  return DefWindowProc(h, m, w, l);
}

class WindowOrderAndClockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    backend = new platform::HeadlessBackend();
    platform::Initialize(std::unique_ptr<platform::Backend>(backend));
    WNDCLASS wc;
    wc.lpfnWndProc = &RecordActivation;
    wc.lpszClassName = "Plain";
    RegisterClass(&wc);
    g_activations.clear();
  }
  void TearDown() override { platform::Shutdown(); }

  HWND Make(DWORD ex = 0, DWORD style = WS_POPUP | WS_VISIBLE) {
    return CreateWindowEx(ex, "Plain", "", style, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  }

  platform::HeadlessBackend* backend = nullptr;
};

TEST_F(WindowOrderAndClockTest, TopmostWindowsStayInFrontOfTheOthers) {
  HWND a = Make();
  HWND top = Make(WS_EX_TOPMOST);
  HWND b = Make();
  // b is newest but cannot pass the topmost window.
  EXPECT_EQ(user::TopLevelWindows(), (std::vector<HWND>{top, b, a}));
  SetWindowPos(a, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(user::TopLevelWindows(), (std::vector<HWND>{top, a, b}));
  // Leaving the band puts it at the front of the ordinary windows.
  SetWindowPos(top, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_FALSE(GetWindowLong(top, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_EQ(user::TopLevelWindows().front(), top);
  SetWindowPos(b, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(user::TopLevelWindows().front(), b);
  SetWindowPos(b, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  // At the bottom of its band: still ahead of every ordinary window.
  EXPECT_EQ(user::TopLevelWindows().front(), b);
  SetWindowPos(a, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_EQ(user::TopLevelWindows().back(), a);
}

TEST_F(WindowOrderAndClockTest, ShowingActivatesButShowingWithoutActivationDoesNot) {
  HWND a = Make();
  HWND b = Make(0, WS_POPUP);
  ASSERT_EQ(GetActiveWindow(), a);
  g_activations.clear();
  ShowWindow(b, SW_SHOWNA);
  EXPECT_TRUE(g_activations.empty());
  EXPECT_EQ(GetActiveWindow(), a);
  ShowWindow(b, SW_SHOW);
  const std::vector<std::pair<HWND, WPARAM>> expected = {{a, WA_INACTIVE}, {b, WA_ACTIVE}};
  EXPECT_EQ(g_activations, expected);
  EXPECT_EQ(GetFocus(), b);
  // Hiding the active window leaves none active.
  g_activations.clear();
  ShowWindow(b, SW_HIDE);
  EXPECT_EQ(GetActiveWindow(), nullptr);
  EXPECT_EQ(g_activations, (std::vector<std::pair<HWND, WPARAM>>{{b, WA_INACTIVE}}));
  EXPECT_EQ(GetFocus(), nullptr);
  // Activation from the window system arrives as a click activation.
  g_activations.clear();
  user::NativeActivated(a, true);
  EXPECT_EQ(g_activations, (std::vector<std::pair<HWND, WPARAM>>{{a, WA_CLICKACTIVE}}));
}

TEST_F(WindowOrderAndClockTest, LocalTimeRunsWithTheVirtualClock) {
  backend->SetLocalTime(platform::LocalTime{2026, 12, 31, 0, 23, 59, 58});
  CTime t = CTime::GetCurrentTime();
  EXPECT_EQ(t.GetYear(), 2026);
  EXPECT_EQ(t.GetDayOfWeek(), 5);  // a Thursday; the given weekday is not trusted
  backend->Advance(2500);
  t = CTime::GetCurrentTime();
  EXPECT_EQ(t.GetYear(), 2027);
  EXPECT_EQ(t.GetMonth(), 1);
  EXPECT_EQ(t.GetDay(), 1);
  EXPECT_EQ(t.GetHour(), 0);
  EXPECT_EQ(t.GetMinute(), 0);
  EXPECT_EQ(t.GetSecond(), 0);
  EXPECT_EQ(t.GetDayOfWeek(), 6);
  struct tm tm;
  t.GetLocalTm(&tm);
  EXPECT_EQ(tm.tm_year, 127);
  EXPECT_EQ(tm.tm_mon, 0);
  EXPECT_EQ(tm.tm_wday, 5);
  // Whole seconds since the epoch, as the random draws are seeded with.
  EXPECT_EQ(backend->EpochSeconds() % 60, 0);
}

TEST_F(WindowOrderAndClockTest, AModalWaitWithNothingToWaitForIsAnError) {
  // A headless loop that would wait forever fails loudly instead of hanging the tests.
  EXPECT_THROW(platform::RunModalStep(), std::runtime_error);
  int idleCalls = 0;
  backend->idle = [&] { ++idleCalls; };
  platform::RunModalStep();
  EXPECT_EQ(idleCalls, 1);
}

}  // namespace
