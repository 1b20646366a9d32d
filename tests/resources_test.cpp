// The program's compiled-in resources and the picture reader they rely on.
#include <gtest/gtest.h>

#include "platform/backend/headless/headless_backend.h"
#include "platform/core/xpm.h"
#include "platform/framework/afxwin.h"
#include "platform/user/resources.h"
#include "platform/user/session.h"
#include "platform/user/user.h"
#include "res/resource.h"

namespace {

TEST(Xpm, ReadsPixelsHotspotAndTransparency) {
  const char* lines[] = {"3 2 3 1 1 0", ". c None", "# c #102030", "w c white", ".#w", "w#."};
  const auto p = platform::ParseXpm(lines);
  ASSERT_TRUE(p.has_value());
  EXPECT_EQ(p->image.width, 3);
  EXPECT_EQ(p->image.height, 2);
  ASSERT_TRUE(p->hotspot.has_value());
  EXPECT_EQ(*p->hotspot, (POINT{1, 0}));
  EXPECT_EQ(p->image.argb[0], 0x00000000u);
  EXPECT_EQ(p->image.argb[1], 0xFF102030u);
  EXPECT_EQ(p->image.argb[2], 0xFFFFFFFFu);
  EXPECT_EQ(p->image.argb[3], 0xFFFFFFFFu);
}

TEST(Xpm, RefusesMalformedPictures) {
  const char* shortRow[] = {"3 1 1 1", "a c #000000", "aa"};
  const char* unknownKey[] = {"2 1 1 1", "a c #000000", "ab"};
  const char* missingRows[] = {"2 2 1 1", "a c #000000", "aa"};
  const char* badColour[] = {"1 1 1 1", "a c #00zz00", "a"};
  const char* badHeader[] = {"x y"};
  const char* hugePicture[] = {"100000 1 1 1", "a c #000000", "a"};
  const char* twoChars[] = {"2 1 2 2", "aa c #000000", "bb c #FFFFFF", "aabb"};
  EXPECT_FALSE(platform::ParseXpm(shortRow));
  EXPECT_FALSE(platform::ParseXpm(unknownKey));
  EXPECT_FALSE(platform::ParseXpm(missingRows));
  EXPECT_FALSE(platform::ParseXpm(badColour));
  EXPECT_FALSE(platform::ParseXpm(badHeader));
  EXPECT_FALSE(platform::ParseXpm(hugePicture));
  const auto two = platform::ParseXpm(twoChars);
  ASSERT_TRUE(two.has_value());
  EXPECT_EQ(two->image.argb[1], 0xFFFFFFFFu);
  EXPECT_FALSE(two->hotspot.has_value());
}

TEST(ProgramResources, EveryPointerFrameIsAn32By32ArrowWithItsTipAtTheHotspot) {
  const user::ResourceTable& t = ProgramResources();
  for (UINT id = IDC_STAR_CURSOR_FIRST; id < IDC_STAR_CURSOR_FIRST + kStarCursorCount; ++id) {
    ASSERT_TRUE(t.cursors.count(id)) << id;
    const auto p = platform::ParseXpm(t.cursors.at(id));
    ASSERT_TRUE(p.has_value()) << id;
    EXPECT_EQ(p->image.width, 32);
    EXPECT_EQ(p->image.height, 32);
    ASSERT_TRUE(p->hotspot.has_value());
    EXPECT_EQ(*p->hotspot, (POINT{13, 8})) << id;
    EXPECT_EQ(p->image.argb[8 * 32 + 13], 0xFF000000u) << id;  // the arrow's black tip
    int yellow = 0;
    for (std::uint32_t px : p->image.argb) yellow += px == 0xFFFFFF00u;
    EXPECT_GT(yellow, 4) << "cursor " << id << " has no star";
  }
  // No two frames are the same picture: the star is somewhere else in each.
  for (UINT a = IDC_STAR_CURSOR_FIRST; a < IDC_STAR_CURSOR_FIRST + kStarCursorCount; ++a) {
    for (UINT b = a + 1; b < IDC_STAR_CURSOR_FIRST + kStarCursorCount; ++b) {
      EXPECT_NE(platform::ParseXpm(t.cursors.at(a))->image.argb, platform::ParseXpm(t.cursors.at(b))->image.argb)
          << a << " and " << b;
    }
  }
}

TEST(ProgramResources, IconsComeAt32And16PixelsAndTheRoundOneIsTransparentOutside) {
  const user::ResourceTable& t = ProgramResources();
  for (UINT id : {IDR_MAINFRAME, IDI_ROUND_WINDOW}) {
    ASSERT_TRUE(t.icons.count(id));
    std::vector<int> sizes;
    for (user::XpmLines lines : t.icons.at(id)) {
      const auto p = platform::ParseXpm(lines);
      ASSERT_TRUE(p.has_value());
      EXPECT_EQ(p->image.width, p->image.height);
      sizes.push_back(p->image.width);
    }
    EXPECT_EQ(sizes, (std::vector<int>{32, 32, 16}));
  }
  const auto round = platform::ParseXpm(t.icons.at(IDI_ROUND_WINDOW)[1]);
  EXPECT_EQ(round->image.argb[0] >> 24, 0u);                // corner outside the ring
  EXPECT_EQ(round->image.argb[16 * 32 + 16] >> 24, 0xFFu);  // the sky inside
}

TEST(ProgramResources, MenusAndStringsAreTheProgramsOwn) {
  const user::ResourceTable& t = ProgramResources();
  for (UINT id : {IDR_CONTEXT_MENU, IDR_TRAY_MENU}) {
    ASSERT_EQ(t.menus.at(id).size(), 1u);
    const auto& entries = t.menus.at(id)[0].children;
    ASSERT_EQ(entries.size(), 12u);
    const UINT ids[] = {ID_CAPTURE_BACKGROUND, ID_SETTINGS, 0, ID_HELP_TOPICS, ID_ABOUT, 0,
                        ID_NEBULORIUM_HELP,    ID_NEBULORIUM_WEB, 0, ID_MAKER_HOME, 0, ID_EXIT};
    for (size_t i = 0; i < entries.size(); ++i) {
      EXPECT_EQ(entries[i].id, ids[i]) << i;
      EXPECT_EQ(entries[i].kind == platform::MenuEntry::Kind::Separator, ids[i] == 0) << i;
      EXPECT_FALSE(entries[i].grayed);
    }
    EXPECT_EQ(entries[1].text, "設定（&C）");
    EXPECT_EQ(entries[3].text, "ヘルプ（&H）");
    EXPECT_EQ(entries[4].text, "バージョン情報（&A）");
    EXPECT_EQ(entries[6].text, "Nebulorium(&?)");
    EXPECT_EQ(entries[7].text, "Nebulorium for Web(&W)");
    EXPECT_EQ(entries[9].text, "Orvantworks[WWW](&G)");
  }
  EXPECT_EQ(t.strings.at(57344), "Lumivane");
  EXPECT_EQ(t.strings.at(128), "Lumivane\n\nMy\n\n\nMy.Document\nMy Document");
  EXPECT_EQ(t.strings.at(61204), "タスクトレイ");
  EXPECT_EQ(t.strings.at(61703), "ﾍﾙﾌﾟの起動に失敗しました。");
}

class AcceleratorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    backend = new platform::HeadlessBackend();
    platform::Initialize(std::unique_ptr<platform::Backend>(backend));
    user::RegisterResources(&ProgramResources());
    WNDCLASS wc;
    wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
      if (m == WM_COMMAND) commands.push_back(LOWORD(w));
      return DefWindowProc(h, m, w, l);
    };
    wc.lpszClassName = "AccelTarget";
    RegisterClass(&wc);
    hwnd = CreateWindowEx(0, "AccelTarget", "", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                          nullptr);
    accel = LoadAccelerators(user::ProgramInstance(), MAKEINTRESOURCE(IDR_MAINFRAME));
    commands.clear();
  }
  void TearDown() override { platform::Shutdown(); }

  // Presses the keys in order and lets the accelerator table translate each message.
  void Press(std::initializer_list<int> keys) {
    for (int k : keys) backend->Key(k, true);
    for (auto it = std::rbegin(keys); it != std::rend(keys); ++it) backend->Key(*it, false);
    MSG m;
    while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (!TranslateAccelerator(hwnd, accel, &m)) DispatchMessage(&m);
    }
  }

  static inline std::vector<UINT> commands;
  platform::HeadlessBackend* backend = nullptr;
  HWND hwnd = nullptr;
  HACCEL accel = nullptr;
};

TEST_F(AcceleratorTest, TableOneTwentyEightTranslatesExactlyItsKeys) {
  ASSERT_NE(accel, nullptr);
  Press({VK_CONTROL, 'N'});
  Press({VK_CONTROL, 'O'});
  Press({VK_CONTROL, 'S'});
  Press({VK_MENU, VK_BACK});
  Press({VK_SHIFT, VK_DELETE});
  Press({VK_CONTROL, VK_INSERT});
  Press({VK_SHIFT, VK_INSERT});
  Press({VK_F6});
  Press({VK_SHIFT, VK_F6});
  EXPECT_EQ(commands, (std::vector<UINT>{57600, 57601, 57603, 57643, 57635, 57634, 57637, 57680, 57681}));
  commands.clear();
  // Modifiers must match exactly.
  Press({'N'});
  Press({VK_SHIFT, VK_CONTROL, 'N'});
  Press({VK_DELETE});
  EXPECT_TRUE(commands.empty());
}

TEST_F(AcceleratorTest, KeyStateHasTheDownBitAndTheToggleBit) {
  backend->Key(VK_SHIFT, true);
  MSG m;
  while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&m);
  EXPECT_TRUE(GetKeyState(VK_SHIFT) & 0x8000);
  EXPECT_EQ(GetKeyState(VK_SHIFT) & 1, 1);
  backend->Key(VK_SHIFT, false);
  while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&m);
  EXPECT_FALSE(GetKeyState(VK_SHIFT) & 0x8000);
  // Toggled on by the press, it stays toggled after the release.
  EXPECT_EQ(GetKeyState(VK_SHIFT) & ~1, 0);
  EXPECT_EQ(GetKeyState(VK_SHIFT) & 1, 1);
}

TEST_F(AcceleratorTest, AltF4AsksTheWindowToClose) {
  bool closed = false;
  static bool* closedFlag = nullptr;
  closedFlag = &closed;
  WNDCLASS wc;
  wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    if (m == WM_CLOSE) *closedFlag = true;
    return DefWindowProc(h, m, w, l);
  };
  wc.lpszClassName = "Closable";
  RegisterClass(&wc);
  HWND w = CreateWindowEx(0, "Closable", "", WS_POPUP | WS_VISIBLE | WS_SYSMENU, 0, 0, 10, 10, nullptr, nullptr,
                          nullptr, nullptr);
  ASSERT_EQ(GetActiveWindow(), w);
  backend->Key(VK_MENU, true);
  backend->Key(VK_F4, true);
  platform::PumpPendingMessages();
  EXPECT_TRUE(closed);
  EXPECT_FALSE(IsWindow(w));
}

}  // namespace
