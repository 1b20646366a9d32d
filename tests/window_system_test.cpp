// The window layer on its own: message order, timers, painting, regions, input, menus.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "platform/backend/headless/headless_backend.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/objects.h"
#include "platform/user/resources.h"
#include "platform/user/session.h"
#include "platform/user/state.h"
#include "platform/user/user.h"

namespace {

struct Seen {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

std::vector<Seen> g_seen;
std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)> g_handler;

LRESULT CALLBACK_Record(HWND h, UINT m, WPARAM w, LPARAM l) {
  g_seen.push_back(Seen{h, m, w, l});
  if (g_handler) {
    const LRESULT r = g_handler(h, m, w, l);
    if (r != -12345) return r;
  }
  return DefWindowProc(h, m, w, l);
}

std::vector<UINT> Messages(HWND h, std::initializer_list<UINT> interesting) {
  std::vector<UINT> out;
  for (const Seen& s : g_seen) {
    if (s.hwnd != h) continue;
    for (UINT m : interesting) {
      if (s.message == m) out.push_back(m);
    }
  }
  return out;
}

class WindowSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    backend = new platform::HeadlessBackend();
    platform::Initialize(std::unique_ptr<platform::Backend>(backend));
    g_seen.clear();
    g_handler = nullptr;
    WNDCLASS wc;
    wc.lpfnWndProc = &CALLBACK_Record;
    wc.lpszClassName = "Recorder";
    wc.style = CS_DBLCLKS;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    ASSERT_TRUE(RegisterClass(&wc));
  }
  void TearDown() override {
    g_handler = nullptr;
    platform::Shutdown();
  }

  HWND Popup(int x = 10, int y = 20, int w = 100, int h = 80, DWORD style = WS_POPUP) {
    return CreateWindowEx(0, "Recorder", "popup", style, x, y, w, h, nullptr, nullptr, nullptr, nullptr);
  }

  platform::HeadlessBackend* backend = nullptr;
};

TEST_F(WindowSystemTest, SentMessagesRunAtOncePostedOnesWaitInOrder) {
  HWND w = Popup();
  g_seen.clear();
  SendMessage(w, WM_USER + 1, 0, 0);
  EXPECT_EQ(Messages(w, {WM_USER + 1}).size(), 1u);
  PostMessage(w, WM_USER + 2, 0, 0);
  PostMessage(w, WM_USER + 3, 0, 0);
  EXPECT_TRUE(Messages(w, {WM_USER + 2, WM_USER + 3}).empty());
  platform::PumpPendingMessages();
  EXPECT_EQ(Messages(w, {WM_USER + 2, WM_USER + 3}), (std::vector<UINT>{WM_USER + 2, WM_USER + 3}));
}

TEST_F(WindowSystemTest, PaintWaitsForAnEmptyQueueAndTimersComeLast) {
  HWND w = Popup(0, 0, 100, 80, WS_POPUP | WS_VISIBLE);
  platform::PumpPendingMessages();
  g_seen.clear();
  SetTimer(w, 7, 1, nullptr);
  backend->Advance(0);
  InvalidateRect(w, nullptr, FALSE);
  PostMessage(w, WM_USER, 0, 0);
  MSG m;
  std::vector<UINT> order;
  auto take = [&] {
    while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) {
      order.push_back(m.message);
      DispatchMessage(&m);
      if (order.size() > 10) break;
    }
  };
  // Let the timer fall due without dispatching anything yet.
  const auto due = platform::NextTimerDue();
  ASSERT_TRUE(due.has_value());
  while (backend->NowMs() < *due) backend->WaitForEvents(*due);
  take();
  EXPECT_EQ(order, (std::vector<UINT>{WM_USER, WM_PAINT, WM_TIMER}));
}

TEST_F(WindowSystemTest, TimersTickNoMoreOftenThanTheSystemTick) {
  HWND w = Popup();
  SetTimer(w, 1, 5, nullptr);
  SetTimer(w, 2, 1000, nullptr);
  g_seen.clear();
  backend->Advance(1100);
  int fast = 0, slow = 0;
  for (const Seen& s : g_seen) {
    if (s.message != WM_TIMER) continue;
    fast += s.wParam == 1;
    slow += s.wParam == 2;
  }
  EXPECT_EQ(fast, 1100 / 55);
  EXPECT_EQ(slow, 1);

  // The tick is a platform setting.
  platform::SetTimerTick(10);
  SetTimer(w, 1, 5, nullptr);
  g_seen.clear();
  backend->Advance(100);
  EXPECT_EQ(Messages(w, {WM_TIMER}).size(), 10u);
  EXPECT_TRUE(KillTimer(w, 1));
  EXPECT_TRUE(KillTimer(w, 2));
  EXPECT_FALSE(KillTimer(w, 2));
  g_seen.clear();
  backend->Advance(500);
  EXPECT_TRUE(Messages(w, {WM_TIMER}).empty());
}

TEST_F(WindowSystemTest, ShowWindowMessageArrivesBeforeTheWindowIsHidden) {
  HWND w = Popup(0, 0, 50, 50, WS_POPUP | WS_VISIBLE);
  bool visibleDuring = false;
  g_handler = [&](HWND h, UINT m, WPARAM wp, LPARAM) -> LRESULT {
    if (h == w && m == WM_SHOWWINDOW && !wp) visibleDuring = IsWindowVisible(w) != 0;
    return -12345;
  };
  g_seen.clear();
  ShowWindow(w, SW_HIDE);
  EXPECT_TRUE(visibleDuring);
  EXPECT_FALSE(IsWindowVisible(w));
  EXPECT_EQ(Messages(w, {WM_SHOWWINDOW}).size(), 1u);
  // Hiding again sends nothing; SetWindowPos shows without the message.
  ShowWindow(w, SW_HIDE);
  SetWindowPos(w, nullptr, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(Messages(w, {WM_SHOWWINDOW}).size(), 1u);
  EXPECT_TRUE(IsWindowVisible(w));
}

TEST_F(WindowSystemTest, PaintingIsClippedToTheUpdateRegionAndTheWindowRegion) {
  HWND w = Popup(0, 0, 20, 20, WS_POPUP | WS_VISIBLE);
  COLORREF fill = RGB(255, 0, 0);
  g_handler = [&](HWND h, UINT m, WPARAM, LPARAM) -> LRESULT {
    if (h != w || m != WM_PAINT) return -12345;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    HBRUSH b = CreateSolidBrush(fill);
    RECT all{0, 0, 20, 20};
    FillRect(dc, &all, b);
    DeleteObject(b);
    EndPaint(h, &ps);
    return 0;
  };
  platform::PumpPendingMessages();
  const gdi::Surface* px = user::WindowPixels(w);
  EXPECT_EQ(px->At(0, 0), 0xFF0000u);
  EXPECT_EQ(px->At(19, 19), 0xFF0000u);

  // Only the invalid part is repainted: the rest keeps its pixels.
  fill = RGB(0, 0, 255);
  RECT part{5, 5, 10, 10};
  InvalidateRect(w, &part, FALSE);
  platform::PumpPendingMessages();
  EXPECT_EQ(px->At(5, 5), 0x0000FFu);
  EXPECT_EQ(px->At(9, 9), 0x0000FFu);
  EXPECT_EQ(px->At(10, 10), 0xFF0000u);
  EXPECT_EQ(px->At(4, 5), 0xFF0000u);

  // With an elliptic window region, corners are outside anything a DC may draw.
  SetWindowRgn(w, CreateEllipticRgn(0, 0, 20, 20), TRUE);
  fill = RGB(0, 255, 0);
  platform::PumpPendingMessages();
  EXPECT_EQ(px->At(10, 10), 0x00FF00u);
  EXPECT_EQ(px->At(0, 0), 0xFF0000u);
}

TEST_F(WindowSystemTest, InvalidationDuringAPaintBringsAnotherPaint) {
  HWND w = Popup(0, 0, 20, 20, WS_POPUP | WS_VISIBLE);
  int paints = 0;
  g_handler = [&](HWND h, UINT m, WPARAM, LPARAM) -> LRESULT {
    if (h != w || m != WM_PAINT) return -12345;
    PAINTSTRUCT ps;
    BeginPaint(h, &ps);
    if (++paints == 1) InvalidateRect(h, nullptr, FALSE);
    EndPaint(h, &ps);
    return 0;
  };
  platform::PumpPendingMessages();
  EXPECT_EQ(paints, 2);
}

TEST_F(WindowSystemTest, WindowRegionBelongsToTheWindowOnceSet) {
  HWND w = Popup();
  HRGN r = CreateEllipticRgn(0, 0, 100, 80);
  EXPECT_EQ(SetWindowRgn(w, r, FALSE), 1);
  EXPECT_FALSE(DeleteObject(r));  // no longer the caller's
  HRGN copy = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetWindowRgn(w, copy), COMPLEXREGION);
  EXPECT_TRUE(PtInRegion(copy, 50, 40));
  EXPECT_FALSE(PtInRegion(copy, 0, 0));
  // A null region gives the window its whole rectangle back.
  SetWindowRgn(w, nullptr, FALSE);
  EXPECT_EQ(GetWindowRgn(w, copy), ERROR);
  DeleteObject(copy);
}

TEST_F(WindowSystemTest, ChildWindowsLearnTheirSizeAndStyleChangesResizeTheClient) {
  HWND parent = Popup(10, 20, 100, 80, WS_POPUP);
  g_seen.clear();
  HWND child = CreateWindowEx(WS_EX_CLIENTEDGE, "Recorder", "", WS_CHILD | WS_VISIBLE, 5, 6, 50, 40, parent,
                              reinterpret_cast<HMENU>(7), nullptr, nullptr);
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(Messages(child, {WM_NCCREATE, WM_CREATE, WM_SIZE, WM_MOVE}),
            (std::vector<UINT>{WM_NCCREATE, WM_CREATE, WM_SIZE, WM_MOVE}));
  RECT client;
  GetClientRect(child, &client);
  EXPECT_EQ(client.right, 46);  // the sunken edge takes 2 pixels a side
  RECT window;
  GetWindowRect(child, &window);
  EXPECT_EQ(window.left, 15);
  EXPECT_EQ(window.top, 26);
  EXPECT_EQ(GetDlgItem(parent, 7), child);

  g_seen.clear();
  SetWindowLong(child, GWL_EXSTYLE, 0);
  SetWindowPos(child, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER);
  GetClientRect(child, &client);
  EXPECT_EQ(client.right, 50);
  EXPECT_EQ(Messages(child, {WM_SIZE}).size(), 1u);
  POINT p{0, 0};
  ClientToScreen(child, &p);
  EXPECT_EQ(p.x, 15);
  EXPECT_EQ(p.y, 26);
}

TEST_F(WindowSystemTest, DestructionReachesParentsBeforeChildrenAndChildrenFinishFirst) {
  HWND parent = Popup();
  HWND child = CreateWindowEx(0, "Recorder", "", WS_CHILD, 0, 0, 10, 10, parent, nullptr, nullptr, nullptr);
  g_seen.clear();
  DestroyWindow(parent);
  std::vector<std::pair<HWND, UINT>> order;
  for (const Seen& s : g_seen) {
    if (s.message == WM_DESTROY || s.message == WM_NCDESTROY) order.emplace_back(s.hwnd, s.message);
  }
  const std::vector<std::pair<HWND, UINT>> expected = {
      {parent, WM_DESTROY}, {child, WM_DESTROY}, {child, WM_NCDESTROY}, {parent, WM_NCDESTROY}};
  EXPECT_EQ(order, expected);
  EXPECT_FALSE(IsWindow(child));
  // Stale handles are refused, not followed.
  EXPECT_FALSE(ShowWindow(parent, SW_SHOW));
  EXPECT_EQ(SendMessage(parent, WM_USER, 0, 0), 0);
}

TEST_F(WindowSystemTest, ClicksCloseInTimeAndPlaceBecomeDoubleClicks) {
  HWND w = Popup(0, 0, 100, 100, WS_POPUP | WS_VISIBLE);
  platform::PumpPendingMessages();
  g_seen.clear();
  backend->MouseDown(POINT{10, 10});
  backend->MouseUp(POINT{10, 10});
  backend->MouseDown(POINT{11, 10});
  backend->Advance(600);
  backend->MouseDown(POINT{11, 10});
  platform::PumpPendingMessages();
  EXPECT_EQ(Messages(w, {WM_LBUTTONDOWN, WM_LBUTTONDBLCLK}),
            (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_LBUTTONDOWN}));
  // Hit test and cursor message come before each mouse message.
  const auto around = Messages(w, {WM_NCHITTEST, WM_SETCURSOR, WM_LBUTTONUP});
  ASSERT_GE(around.size(), 3u);
  EXPECT_EQ(around[0], WM_NCHITTEST);
  EXPECT_EQ(around[1], WM_SETCURSOR);
}

TEST_F(WindowSystemTest, ChildCursorMessagesGoToTheParentFirst) {
  HWND parent = Popup(0, 0, 100, 100, WS_POPUP | WS_VISIBLE);
  HWND child = CreateWindowEx(0, "Recorder", "", WS_CHILD | WS_VISIBLE, 0, 0, 100, 100, parent, nullptr, nullptr,
                              nullptr);
  g_handler = [&](HWND h, UINT m, WPARAM, LPARAM l) -> LRESULT {
    if (h == parent && m == WM_SETCURSOR) return LOWORD(static_cast<std::uintptr_t>(l)) == HTCLIENT;
    return -12345;
  };
  platform::PumpPendingMessages();
  g_seen.clear();
  backend->MouseMove(POINT{50, 50});
  platform::PumpPendingMessages();
  std::vector<std::pair<HWND, UINT>> order;
  for (const Seen& s : g_seen) {
    if (s.message == WM_SETCURSOR || s.message == WM_MOUSEMOVE) order.emplace_back(s.hwnd, s.message);
  }
  const std::vector<std::pair<HWND, UINT>> expected = {
      {child, WM_SETCURSOR}, {parent, WM_SETCURSOR}, {child, WM_MOUSEMOVE}};
  EXPECT_EQ(order, expected);
}

TEST_F(WindowSystemTest, ScreenMetricsComeFromTheBackend) {
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 640);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 480);
  gdi::Surface desk(800, 600);
  backend->SetDesktopPicture(std::move(desk));
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);
}

TEST_F(WindowSystemTest, PopupMenusPostTheChosenCommandAfterTheyClose) {
  user::ResourceTable table;
  platform::MenuEntry popup;
  popup.kind = platform::MenuEntry::Kind::Submenu;
  platform::MenuEntry a;
  a.id = 11;
  a.text = "A";
  platform::MenuEntry b;
  b.id = 12;
  b.text = "B";
  popup.children = {a, b};
  table.menus[5] = {popup};
  user::RegisterResources(&table);
  HWND w = Popup();
  HMENU menu = LoadMenu(user::ProgramInstance(), MAKEINTRESOURCE(5));
  HMENU sub = GetSubMenu(menu, 0);
  ASSERT_NE(sub, nullptr);
  EXPECT_EQ(EnableMenuItem(sub, 0, MF_BYPOSITION | MF_GRAYED), MF_ENABLED);
  EXPECT_EQ(GetMenuState(sub, 11, MF_BYCOMMAND), MF_GRAYED);
  backend->menuChooser = [](const std::vector<platform::MenuEntry>& entries, POINT, HWND) {
    EXPECT_TRUE(entries[0].grayed);
    return entries[1].id;
  };
  g_seen.clear();
  EXPECT_TRUE(TrackPopupMenu(sub, TPM_LEFTALIGN | TPM_RIGHTBUTTON, 1, 2, 0, w, nullptr));
  EXPECT_TRUE(Messages(w, {WM_COMMAND}).empty());
  platform::PumpPendingMessages();
  ASSERT_EQ(Messages(w, {WM_COMMAND}).size(), 1u);
  EXPECT_EQ(g_seen.back().wParam, 12u);
  EXPECT_TRUE(DestroyMenu(menu));
  EXPECT_FALSE(IsMenu(sub));
  user::RegisterResources(nullptr);
}

TEST_F(WindowSystemTest, TrayIconsAreUniquePerWindowAndIdentifier) {
  HWND w = Popup();
  NOTIFYICONDATAA d;
  d.hWnd = w;
  d.uID = 4;
  d.uFlags = NIF_MESSAGE | NIF_TIP;
  d.uCallbackMessage = WM_USER + 9;
  EXPECT_TRUE(Shell_NotifyIcon(NIM_ADD, &d));
  EXPECT_FALSE(Shell_NotifyIcon(NIM_ADD, &d));
  g_seen.clear();
  backend->ClickTray(w, 4, WM_LBUTTONDOWN);
  platform::PumpPendingMessages();
  ASSERT_EQ(Messages(w, {WM_USER + 9}).size(), 1u);
  EXPECT_EQ(g_seen.back().wParam, 4u);
  EXPECT_EQ(g_seen.back().lParam, WM_LBUTTONDOWN);
  EXPECT_TRUE(Shell_NotifyIcon(NIM_DELETE, &d));
  EXPECT_FALSE(Shell_NotifyIcon(NIM_DELETE, &d));
  EXPECT_TRUE(backend->tray.empty());
}

}  // namespace
