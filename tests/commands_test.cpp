// What the window does with the mouse and its menu: the size steps, the desktop copy taken
// anew after a move and by the menu, the context menu from the mouse and the keyboard, help,
// the web pages and the show command.
#include <algorithm>

#include "image/dib.h"
#include "platform/gdi/objects.h"
#include "program_fixture.h"
#include "res/web_pages.h"

namespace {

class CommandsTest : public ProgramTest {
 protected:
  void DoubleClick(int x, int y) {
    View()->SendMessage(WM_LBUTTONDBLCLK, 0, MAKELPARAM(x, y));
    platform::PumpPendingMessages();
  }
  int Edge() const { return FrameRect().right - FrameRect().left; }
  // The menus shown, with the state of their first entry.
  const platform::HeadlessBackend::MenuCall& LastMenu() const { return backend->menus.back(); }
  // A desktop picture where every pixel tells where it is.
  void PatternedDesktop() {
    gdi::Surface desktop(640, 480);
    for (int y = 0; y < 480; ++y) {
      for (int x = 0; x < 640; ++x) desktop.pixels[static_cast<size_t>(y) * 640 + x] = static_cast<std::uint32_t>(x * 977 + y * 131);
    }
    backend->SetDesktopPicture(desktop);
  }
  // The view's copy of the desktop, pixel (x, y).
  std::uint32_t CopyAt(int x, int y) const {
    const auto* b = gdi::Find<gdi::BitmapObject>(View()->m_pDesktopBitmap->m_hObject);
    return b->surface->At(x, y) & 0xFFFFFF;
  }
  std::vector<UINT> CommandsToTheView(const std::function<void()>& action) {
    std::vector<UINT> commands;
    user::SetMessageSpy([&](const MSG& m) {
      if (m.hwnd == View()->m_hWnd && m.message == WM_COMMAND) commands.push_back(LOWORD(m.wParam));
    });
    action();
    user::SetMessageSpy(nullptr);
    return commands;
  }
};

}  // namespace

TEST_F(CommandsTest, DoubleClicksStepTheSizeUpAboveTheMiddleAndDownBelowItWithWrap) {
  WriteSetting("FrameSizeNo", 6);
  WriteSetting("BeforePositionFlg", 1);
  WriteSetting("BeforePositionPosX", 20);
  WriteSetting("BeforePositionPosY", 30);
  ASSERT_TRUE(Start());
  ASSERT_EQ(Edge(), 350);
  // The upper half of the largest window gives the smallest, the lower half of the smallest
  // the largest; the top-left corner stays.
  DoubleClick(100, 174);
  EXPECT_EQ(Doc()->FrameSizeNo, 1);
  EXPECT_EQ(Edge(), 100);
  DoubleClick(10, 50);  // the middle row counts as lower
  EXPECT_EQ(Doc()->FrameSizeNo, 6);
  EXPECT_EQ(Edge(), 350);
  DoubleClick(10, 175);
  EXPECT_EQ(Doc()->FrameSizeNo, 5);
  EXPECT_EQ(Edge(), 275);
  EXPECT_EQ(FrameRect().left, 20);
  EXPECT_EQ(FrameRect().top, 30);
  // The square window shows its whole new rectangle; the step is not written until exit.
  ASSERT_NE(backend->shapes[FrameHwnd()], std::nullopt);
  EXPECT_EQ(*backend->shapes[FrameHwnd()], gdi::Region::FromRect(0, 0, 275, 275));
  EXPECT_EQ(ReadSetting("FrameSizeNo"), 6);
  ViewCommand(ID_EXIT);
  EXPECT_EQ(ReadSetting("FrameSizeNo"), 5);
}

TEST_F(CommandsTest, AStepOutsideTheTableCountsFromTheSizeTheWindowOpenedAt) {
  WriteSetting("FrameSizeNo", 9);
  ASSERT_TRUE(Start());
  ASSERT_EQ(Edge(), 350);
  DoubleClick(10, 300);
  EXPECT_EQ(Doc()->FrameSizeNo, 5);
  EXPECT_EQ(Edge(), 275);
  Doc()->FrameSizeNo = -4;  // opened at 100
  DoubleClick(10, 10);
  EXPECT_EQ(Doc()->FrameSizeNo, 2);
  EXPECT_EQ(Edge(), 125);
}

TEST_F(CommandsTest, ARealDoubleClickReachesTheView) {
  ASSERT_TRUE(Start());
  const POINT upper{FrameRect().left + 75, FrameRect().top + 20};
  for (int i = 0; i < 2; ++i) {
    backend->MouseDown(upper);
    backend->MouseUp(upper);
    platform::PumpPendingMessages();
  }
  EXPECT_EQ(Doc()->FrameSizeNo, 4);
  EXPECT_EQ(Edge(), 200);
}

TEST_F(CommandsTest, ARoundWindowIsOutOfSightUntilItHasItsNewEllipse) {
  WriteSetting("CircleEdgeFlg", 1);
  ASSERT_TRUE(Start());
  const HWND frame = FrameHwnd();
  const std::string id = std::to_string(reinterpret_cast<std::uintptr_t>(frame));
  backend->log.clear();
  DoubleClick(75, 10);
  // Hidden, then the new ellipse, then shown: the square is never on the desktop.
  const std::vector<std::string> expected = {"hidden " + id, "shape " + id, "shown " + id};
  std::vector<std::string> seen;
  for (const std::string& l : backend->log) {
    if (l.rfind("hidden", 0) == 0 || l.rfind("shape", 0) == 0 || l.rfind("shown", 0) == 0) seen.push_back(l);
  }
  EXPECT_EQ(seen, expected);
  ASSERT_NE(backend->shapes[frame], std::nullopt);
  EXPECT_EQ(*backend->shapes[frame], gdi::Region::Ellipse(0, 0, 200, 200));
  EXPECT_TRUE(::IsWindowVisible(frame));
}

TEST_F(CommandsTest, WithTheDesktopBackgroundASizeStepCopiesTheDesktopBehindTheNewSize) {
  WriteSetting("BkMode", 2);
  ASSERT_TRUE(Start());
  PatternedDesktop();
  backend->grabs.clear();
  DoubleClick(75, 10);
  ASSERT_FALSE(backend->grabs.empty());
  for (const auto& g : backend->grabs) EXPECT_FALSE(g.programWindowShown) << "a copy of the window itself";
  EXPECT_EQ(backend->grabs.back().area, FrameRect());
  EXPECT_EQ(CopyAt(199, 199), (static_cast<std::uint32_t>((FrameRect().left + 199) * 977 + (FrameRect().top + 199) * 131)) & 0xFFFFFF);
  EXPECT_TRUE(::IsWindowVisible(FrameHwnd()));
}

TEST_F(CommandsTest, AfterAMoveThePointerOverTheWindowTakesTheDesktopAtItsNewPlace) {
  WriteSetting("BkMode", 2);
  ASSERT_TRUE(Start());
  PatternedDesktop();
  user::NativeMoved(FrameHwnd(), POINT{300, 200});
  ASSERT_EQ(View()->m_bMoved, 1);
  backend->grabs.clear();
  const HWND frame = FrameHwnd();
  backend->log.clear();
  bool starPainted = false;
  user::SetMessageSpy([&](const MSG& m) {
    if (m.hwnd == View()->m_hWnd && m.message == WM_PAINT && View()->m_bStarPending) starPainted = true;
  });
  backend->MouseMove(POINT{350, 250});
  platform::PumpPendingMessages();
  user::SetMessageSpy(nullptr);
  EXPECT_EQ(View()->m_bMoved, 0);
  ASSERT_FALSE(backend->grabs.empty());
  for (const auto& g : backend->grabs) {
    EXPECT_FALSE(g.programWindowShown);
    EXPECT_EQ(g.area, (RECT{300, 200, 450, 350}));
  }
  EXPECT_EQ(CopyAt(10, 20), static_cast<std::uint32_t>(310 * 977 + 220 * 131) & 0xFFFFFF);
  // It blinked and came back, and the glass gets a shooting star.
  EXPECT_NE(std::find(backend->log.begin(), backend->log.end(),
                      "hidden " + std::to_string(reinterpret_cast<std::uintptr_t>(frame))),
            backend->log.end());
  EXPECT_TRUE(::IsWindowVisible(frame));
  EXPECT_TRUE(starPainted);
  // Nothing more until the next move.
  backend->grabs.clear();
  backend->MouseMove(POINT{351, 250});
  platform::PumpPendingMessages();
  EXPECT_TRUE(backend->grabs.empty());
}

TEST_F(CommandsTest, WithDarknessAMoveCopiesNothingAndTheMarkWaitsForTheDesktop) {
  ASSERT_TRUE(Start());
  user::NativeMoved(FrameHwnd(), POINT{300, 200});
  backend->grabs.clear();
  backend->MouseMove(POINT{350, 250});
  platform::PumpPendingMessages();
  EXPECT_TRUE(backend->grabs.empty());
  EXPECT_EQ(View()->m_bMoved, 1);
  // Switched to the desktop later, the next pointer movement takes the copy.
  Doc()->BkMode = 2;
  backend->MouseMove(POINT{352, 250});
  platform::PumpPendingMessages();
  EXPECT_FALSE(backend->grabs.empty());
  EXPECT_EQ(View()->m_bMoved, 0);
}

TEST_F(CommandsTest, TheCaptureCommandTakesTwoCopiesWithTheWindowOffTheScreenAndShowsItAgain) {
  ASSERT_TRUE(Start());
  backend->grabs.clear();
  const std::vector<UINT> commands = CommandsToTheView([&] {
    View()->SendMessage(WM_COMMAND, ID_CAPTURE_BACKGROUND, 0);
    EXPECT_TRUE(::IsWindowVisible(FrameHwnd()));
    platform::PumpPendingMessages();
  });
  // The hide's own copy, the command's copy, then the two show commands they posted.
  const std::vector<UINT> expected = {ID_CAPTURE_BACKGROUND, ID_CAPTURE_DESKTOP, ID_CAPTURE_DESKTOP,
                                      ID_SHOW_MAIN_WINDOW, ID_SHOW_MAIN_WINDOW};
  EXPECT_EQ(commands, expected);
  ASSERT_EQ(backend->grabs.size(), 2u);
  for (const auto& g : backend->grabs) EXPECT_FALSE(g.programWindowShown) << "a copy of the window itself";
  EXPECT_TRUE(::IsWindowVisible(FrameHwnd()));
}

TEST_F(CommandsTest, EveryHideLeavesACopyOfTheDesktopAndTheWindowComesBack) {
  ASSERT_TRUE(Start());
  backend->grabs.clear();
  Frame()->ShowWindow(SW_HIDE);
  ASSERT_EQ(backend->grabs.size(), 1u);
  EXPECT_FALSE(backend->grabs[0].programWindowShown);
  EXPECT_FALSE(::IsWindowVisible(FrameHwnd()));
  platform::PumpPendingMessages();
  EXPECT_TRUE(::IsWindowVisible(FrameHwnd()));
  // A window shown again without being hidden takes no copy.
  backend->grabs.clear();
  ViewCommand(ID_SHOW_MAIN_WINDOW);
  EXPECT_TRUE(backend->grabs.empty());
}

TEST_F(CommandsTest, TheContextMenuOpensAtThePointerWithCaptureGreyedOverDarkness) {
  ASSERT_TRUE(Start());
  const POINT at{FrameRect().left + 60, FrameRect().top + 70};
  backend->MouseDown(at, WM_RBUTTONDOWN);
  backend->MouseUp(at, WM_RBUTTONUP);
  platform::PumpPendingMessages();
  ASSERT_EQ(backend->menus.size(), 1u);
  EXPECT_EQ(LastMenu().at, at);
  EXPECT_EQ(LastMenu().owner, View()->m_hWnd);
  ASSERT_EQ(LastMenu().entries.size(), 12u);
  EXPECT_EQ(LastMenu().entries[0].text, "背景を取り込む(R)");
  EXPECT_TRUE(LastMenu().entries[0].grayed);
  for (size_t i = 1; i < 12; ++i) EXPECT_FALSE(LastMenu().entries[i].grayed) << i;

  // With the desktop background it is there to choose, and the choice reaches the view.
  Doc()->BkMode = 2;
  backend->menuChooser = [](const std::vector<platform::MenuEntry>& entries, POINT, HWND) { return entries[0].id; };
  backend->grabs.clear();
  backend->MouseDown(at, WM_RBUTTONDOWN);
  backend->MouseUp(at, WM_RBUTTONUP);
  platform::PumpPendingMessages();
  EXPECT_FALSE(LastMenu().entries[0].grayed);
  EXPECT_EQ(backend->grabs.size(), 2u);
}

TEST_F(CommandsTest, ShiftF10AndTheMenuKeyOpenTheMenuJustInsideTheCorner) {
  ASSERT_TRUE(Start());
  const POINT corner{FrameRect().left + 5, FrameRect().top + 5};
  backend->Key(VK_SHIFT, true);
  backend->Key(VK_F10, true);
  backend->Key(VK_F10, false);
  backend->Key(VK_SHIFT, false);
  platform::PumpPendingMessages();
  ASSERT_EQ(backend->menus.size(), 1u);
  EXPECT_EQ(LastMenu().at, corner);
  // F10 alone is not the menu.
  backend->Key(VK_F10, true);
  backend->Key(VK_F10, false);
  platform::PumpPendingMessages();
  EXPECT_EQ(backend->menus.size(), 1u);
  backend->Key(VK_APPS, true);
  backend->Key(VK_APPS, false);
  platform::PumpPendingMessages();
  ASSERT_EQ(backend->menus.size(), 2u);
  EXPECT_EQ(LastMenu().at, corner);
}

TEST_F(CommandsTest, ExitFromTheMenuOfARoundWindowSquaresItAndSavesEverything) {
  WriteSetting("CircleEdgeFlg", 1);
  ASSERT_TRUE(Start());
  Doc()->ClockColor = 3;
  backend->menuChooser = [](const std::vector<platform::MenuEntry>& entries, POINT, HWND) { return entries[11].id; };
  const HWND frame = FrameHwnd();
  const POINT at{FrameRect().left + 75, FrameRect().top + 75};
  backend->MouseDown(at, WM_RBUTTONDOWN);
  std::optional<gdi::Region> lastShape;
  int closing = 0;
  user::SetMessageSpy([&](const MSG& m) {
    if (m.hwnd == frame && m.message == WM_CLOSE && !lastShape) {
      lastShape = backend->shapes[frame];
      closing = View()->m_bClosing;
    }
  });
  backend->MouseUp(at, WM_RBUTTONUP);
  platform::PumpPendingMessages();
  user::SetMessageSpy(nullptr);
  ASSERT_TRUE(lastShape.has_value());
  EXPECT_EQ(*lastShape, gdi::Region::FromRect(0, 0, 150, 150));
  EXPECT_EQ(closing, 1);
  EXPECT_FALSE(::IsWindow(frame));
  EXPECT_TRUE(platform::QuitPending());
  EXPECT_EQ(ReadSetting("ClockColor"), 3);
  EXPECT_EQ(ReadSetting("BeforePositionPosX"), 245);
  EXPECT_TRUE(backend->tray.empty());
}

TEST_F(CommandsTest, HelpAndTheWebPagesGoToTheDesktopsServices) {
  // The program folder the build fills: the help files are there.
  programDir = std::filesystem::path(AfxExecutablePath()).parent_path().string();
  ASSERT_TRUE(Start());
  ViewCommand(ID_HELP_TOPICS);
  ASSERT_EQ(backend->helpRequests.size(), 1u);
  EXPECT_EQ(backend->helpRequests[0].file, app->m_pszHelpFilePath);
  EXPECT_EQ(backend->helpRequests[0].command, static_cast<UINT>(HELP_FINDER));
  EXPECT_EQ(backend->helpRequests[0].data, 0u);
  EXPECT_EQ(backend->helpRequests[0].owner, FrameHwnd());
  EXPECT_EQ(backend->helpTopicShown, "目次");
  ViewCommand(ID_NEBULORIUM_HELP);
  ASSERT_EQ(backend->helpRequests.size(), 2u);
  EXPECT_EQ(backend->helpRequests[1].file, app->m_strProgramDir + "Nebulorium.hlp");
  EXPECT_EQ(backend->helpRequests[1].command, static_cast<UINT>(HELP_CONTENTS));
  EXPECT_EQ(backend->helpRequests[1].owner, View()->m_hWnd);
  ViewCommand(ID_NEBULORIUM_WEB);
  ViewCommand(ID_MAKER_HOME);
  EXPECT_EQ(backend->openedUrls, (std::vector<std::string>{kNebuloriumWebPage, kMakerHomePage}));
  EXPECT_TRUE(backend->messageBoxes.empty());
  // The application's help goes away with the window.
  ViewCommand(ID_EXIT);
  ASSERT_EQ(backend->helpRequests.size(), 3u);
  EXPECT_EQ(backend->helpRequests[2].command, static_cast<UINT>(HELP_QUIT));
  EXPECT_EQ(backend->helpRequests[2].file, backend->helpRequests[0].file);
}

TEST_F(CommandsTest, AMissingHelpFileIsTheViewersToReport) {
  char pattern[] = "/tmp/lumivane-nohelp-XXXXXX";
  programDir = mkdtemp(pattern);
  ASSERT_TRUE(Start());
  ViewCommand(ID_NEBULORIUM_HELP);
  EXPECT_EQ(backend->helpProblem, programDir + "/Nebulorium.hlp: not found");
  EXPECT_TRUE(backend->helpTopicShown.empty());
  // Not the framework's failure: the viewer itself started and says what is wrong.
  EXPECT_TRUE(backend->messageBoxes.empty());
  std::filesystem::remove_all(programDir);
}

TEST_F(CommandsTest, TheTrayMenusCommandsReachTheViewToo) {
  ASSERT_TRUE(Start());
  backend->menuChooser = [](const std::vector<platform::MenuEntry>& entries, POINT, HWND) { return entries[0].id; };
  backend->grabs.clear();
  backend->ClickTray(FrameHwnd(), IDR_MAINFRAME, WM_RBUTTONDOWN);
  platform::PumpPendingMessages();
  // "背景を取り込む(R)" from the tray, over darkness too: hide, two copies, shown again.
  EXPECT_EQ(backend->grabs.size(), 2u);
  EXPECT_TRUE(::IsWindowVisible(FrameHwnd()));
}

TEST_F(CommandsTest, WhenNoHelpCanBeStartedTheFrameworkSaysSo) {
  ASSERT_TRUE(Start());
  backend->helpAvailable = false;
  backend->opensUrls = false;
  ViewCommand(ID_HELP_TOPICS);
  ASSERT_EQ(backend->messageBoxes.size(), 1u);
  EXPECT_EQ(backend->messageBoxes[0].text, "ﾍﾙﾌﾟの起動に失敗しました。");
  // The astronomy book's help and the pages report nothing of their own.
  ViewCommand(ID_NEBULORIUM_HELP);
  ViewCommand(ID_MAKER_HOME);
  EXPECT_EQ(backend->messageBoxes.size(), 1u);
  EXPECT_TRUE(::IsWindow(FrameHwnd()));
}

TEST(ShellExecute, OpensAddressesAndFilesButNoOtherVerb) {
  platform::Initialize(std::make_unique<platform::HeadlessBackend>());
  auto& backend = static_cast<platform::HeadlessBackend&>(platform::GetBackend());
  EXPECT_GT(reinterpret_cast<std::uintptr_t>(::ShellExecute(nullptr, "open", "https://orvantworks.example/", nullptr, nullptr, SW_SHOW)), 32u);
  EXPECT_GT(reinterpret_cast<std::uintptr_t>(::ShellExecute(nullptr, nullptr, "/tmp/a b.txt", nullptr, nullptr, SW_SHOW)), 32u);
  EXPECT_LE(reinterpret_cast<std::uintptr_t>(::ShellExecute(nullptr, "print", "/tmp/a.txt", nullptr, nullptr, SW_SHOW)), 32u);
  EXPECT_LE(reinterpret_cast<std::uintptr_t>(::ShellExecute(nullptr, "open", "", nullptr, nullptr, SW_SHOW)), 32u);
  EXPECT_EQ(backend.openedUrls, (std::vector<std::string>{"https://orvantworks.example/", "file:///tmp/a b.txt"}));
  backend.opensUrls = false;
  EXPECT_LE(reinterpret_cast<std::uintptr_t>(::ShellExecute(nullptr, "open", "https://x.example/", nullptr, nullptr, SW_SHOW)), 32u);
  EXPECT_FALSE(::WinHelp(nullptr, "", HELP_CONTENTS, 0));
  EXPECT_FALSE(::WinHelp(nullptr, "a.hlp", 77, 0));
  platform::Shutdown();
}
