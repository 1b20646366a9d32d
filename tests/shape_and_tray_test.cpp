// The window outline, the animated pointer, the tray icon and the view's commands.
#include <algorithm>
#include <cstdio>
#include <string>

#include "image/dib.h"
#include "platform/core/xpm.h"
#include "platform/gdi/objects.h"
#include "program_fixture.h"

namespace {

gdi::Region Ellipse(int w, int h) { return gdi::Region::Ellipse(0, 0, w, h); }

}  // namespace

TEST_F(ProgramTest, SquareWindowHasNoRegion) {
  ASSERT_TRUE(Start());
  EXPECT_EQ(user::WindowShape(FrameHwnd()), nullptr);
  EXPECT_EQ(View()->m_bRgnHeld, 0);
  EXPECT_EQ(View()->m_bFirstActivation, 0);
}

TEST_F(ProgramTest, RoundWindowGetsTheInscribedEllipseAtFirstActivation) {
  WriteSetting("CircleEdgeFlg", 1);
  ASSERT_TRUE(Start());
  const gdi::Region* shape = user::WindowShape(FrameHwnd());
  ASSERT_NE(shape, nullptr);
  EXPECT_EQ(*shape, Ellipse(150, 150));
  EXPECT_EQ(View()->m_bRgnHeld, 1);
  EXPECT_TRUE(::IsWindowVisible(FrameHwnd()));
  // The region belongs to the window: the view's record no longer names a live region.
  EXPECT_EQ(gdi::Find<gdi::RegionObject>(View()->m_rgnWindow.m_hObject), nullptr);

  // Activating again later leaves the outline alone.
  const size_t shapesBefore = std::count_if(backend->log.begin(), backend->log.end(),
                                            [](const std::string& l) { return l.rfind("shape", 0) == 0; });
  ::SendMessage(FrameHwnd(), WM_ACTIVATE, WA_INACTIVE, 0);
  ::SendMessage(FrameHwnd(), WM_ACTIVATE, WA_ACTIVE, 0);
  const size_t shapesAfter = std::count_if(backend->log.begin(), backend->log.end(),
                                           [](const std::string& l) { return l.rfind("shape", 0) == 0; });
  EXPECT_EQ(shapesAfter, shapesBefore);
}

TEST_F(ProgramTest, OnlyCircleFlagOneMakesTheWindowRound) {
  WriteSetting("CircleEdgeFlg", 2);
  ASSERT_TRUE(Start());
  EXPECT_EQ(user::WindowShape(FrameHwnd()), nullptr);
  // ... while the tray shows the round icon for any value but 0.
  ASSERT_EQ(backend->tray.size(), 1u);
  EXPECT_EQ(backend->tray[0].id, IDI_ROUND_WINDOW);
}

TEST_F(ProgramTest, SizeChangeGivesARoundWindowANewEllipseButNotAfterExit) {
  WriteSetting("CircleEdgeFlg", 1);
  ASSERT_TRUE(Start());
  ::SetWindowPos(FrameHwnd(), nullptr, 0, 0, 275, 275, SWP_NOMOVE | SWP_NOZORDER);
  platform::PumpPendingMessages();
  ASSERT_NE(user::WindowShape(FrameHwnd()), nullptr);
  EXPECT_EQ(*user::WindowShape(FrameHwnd()), Ellipse(275, 275));
  // The desktop has the same outline as the window system.
  ASSERT_TRUE(backend->shapes[FrameHwnd()].has_value());
  EXPECT_EQ(*backend->shapes[FrameHwnd()], Ellipse(275, 275));

  // The exit command makes it square and no later size change rounds it again.
  View()->SendMessage(WM_COMMAND, ID_EXIT, 0);
  ASSERT_NE(user::WindowShape(FrameHwnd()), nullptr);
  EXPECT_EQ(*user::WindowShape(FrameHwnd()), gdi::Region::FromRect(0, 0, 275, 275));
  ASSERT_TRUE(backend->shapes[FrameHwnd()].has_value());
  EXPECT_EQ(*backend->shapes[FrameHwnd()], gdi::Region::FromRect(0, 0, 275, 275));
  EXPECT_EQ(View()->m_bClosing, 1);
  ::SetWindowPos(FrameHwnd(), nullptr, 0, 0, 100, 100, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(*user::WindowShape(FrameHwnd()), gdi::Region::FromRect(0, 0, 275, 275));
  platform::PumpPendingMessages();
  EXPECT_TRUE(platform::QuitPending());
}

TEST_F(ProgramTest, ExitOfASquareWindowGivesItItsRectangle) {
  ASSERT_TRUE(Start());
  EXPECT_FALSE(backend->shapes.count(FrameHwnd()));
  View()->SendMessage(WM_COMMAND, ID_EXIT, 0);
  ASSERT_NE(user::WindowShape(FrameHwnd()), nullptr);
  EXPECT_EQ(*user::WindowShape(FrameHwnd()), gdi::Region::FromRect(0, 0, 150, 150));
  ASSERT_TRUE(backend->shapes[FrameHwnd()].has_value());
  EXPECT_EQ(*backend->shapes[FrameHwnd()], gdi::Region::FromRect(0, 0, 150, 150));
  // WM_CLOSE is posted: nothing has closed yet.
  EXPECT_TRUE(::IsWindow(FrameHwnd()));
  platform::PumpPendingMessages();
  EXPECT_TRUE(platform::QuitPending());
}

TEST_F(ProgramTest, ViewReleasesEveryDrawingObjectWhenDestroyed) {
  const size_t before = gdi::LiveObjectCount();
  ASSERT_TRUE(Start());
  // Star records would be the view's to free; give it one.
  View()->m_starTable.push_back(new CStarDataObject);
  ViewCommand(ID_EXIT);
  ASSERT_TRUE(platform::QuitPending());
  EXPECT_EQ(gdi::LiveObjectCount(), before);
  EXPECT_EQ(gdi::LiveDeviceContextCount(), 0u);
}

TEST_F(ProgramTest, PointerStarGoesRoundInTwentyFourTicks) {
  // The step table: odd steps from the first half of the set, even steps from the second.
  const UINT expected[24] = {144, 156, 145, 157, 146, 158, 147, 159, 148, 160, 149, 161,
                             150, 162, 151, 163, 152, 164, 153, 165, 154, 166, 155, 167};
  for (int step = 1; step <= 24; ++step) EXPECT_EQ(CMainFrame::CursorForStep(step), expected[step - 1]) << step;

  ASSERT_TRUE(Start());
  auto imageOf = [](UINT id) {
    const auto& lines = ProgramResources().cursors.at(id);
    return platform::ParseXpm(lines)->image.argb;
  };
  EXPECT_EQ(Frame()->m_nCursorFrame, 1);
  // The 10 ms timer ticks at the 55 ms system tick; each tick shows the next step at once.
  for (int tick = 1; tick <= 24; ++tick) {
    backend->Advance(55);
    const int step = tick % 24 + 1;
    ASSERT_EQ(Frame()->m_nCursorFrame, step);
    ASSERT_EQ(backend->cursor.kind, platform::Cursor::Kind::Picture);
    ASSERT_EQ(backend->cursor.image.argb, imageOf(expected[step - 1])) << "tick " << tick;
    EXPECT_EQ(backend->cursor.hotspot, (POINT{13, 8}));
  }
}

TEST_F(ProgramTest, TheFrameRemembersThePointerItReplacedAndPutsBackTheArrow) {
  ASSERT_TRUE(Start());
  const HCURSOR arrow = ::LoadCursor(nullptr, IDC_ARROW);
  const HCURSOR* frames = Frame()->m_hCursors;
  ::SetCursor(arrow);
  Frame()->m_hPrevCursor = nullptr;
  ::SendMessage(FrameHwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(FrameHwnd()), MAKELPARAM(HTCLIENT, 0));
  EXPECT_EQ(::GetCursor(), frames[CMainFrame::CursorForStep(Frame()->m_nCursorFrame) - IDC_STAR_CURSOR_FIRST]);
  EXPECT_EQ(Frame()->m_hPrevCursor, arrow);
  // The same step again replaces nothing new: the record stays.
  ::SendMessage(FrameHwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(FrameHwnd()), MAKELPARAM(HTCLIENT, 0));
  EXPECT_EQ(Frame()->m_hPrevCursor, arrow);
  // A tick shows the next step: the step before is what it replaced.
  const HCURSOR before = ::GetCursor();
  backend->Advance(55);
  EXPECT_NE(::GetCursor(), before);
  EXPECT_EQ(Frame()->m_hPrevCursor, before);
  // Outside the client area the frame leaves the pointer and its record alone.
  ::SendMessage(FrameHwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(FrameHwnd()), MAKELPARAM(HTCAPTION, 0));
  EXPECT_EQ(Frame()->m_hPrevCursor, before);

  // At the end the pointer put back is released with the rest: the plain arrow remains.
  std::vector<HCURSOR> all(frames, frames + 24);
  ViewCommand(ID_EXIT);
  EXPECT_EQ(backend->cursor.kind, platform::Cursor::Kind::Arrow);
  for (HCURSOR c : all) EXPECT_FALSE(::DestroyCursor(c));
}

TEST_F(ProgramTest, PointerOverTheWindowIsTheAnimationExceptWhileTheAboutBoxIsUp) {
  ASSERT_TRUE(Start());
  backend->MouseMove(POINT{300, 200});
  platform::PumpPendingMessages();
  EXPECT_EQ(backend->cursor.kind, platform::Cursor::Kind::Picture);

  app->m_bAboutBoxUp = 1;
  const int stepBefore = Frame()->m_nCursorFrame;
  backend->MouseMove(POINT{301, 200});
  platform::PumpPendingMessages();
  EXPECT_EQ(backend->cursor.kind, platform::Cursor::Kind::Arrow);
  backend->Advance(55 * 3);
  // The count goes on meanwhile.
  EXPECT_EQ(Frame()->m_nCursorFrame, stepBefore % 24 + 3);
  EXPECT_EQ(backend->cursor.kind, platform::Cursor::Kind::Arrow);
}

TEST_F(ProgramTest, TrayIconIdentifiesTheWindowShape) {
  ASSERT_TRUE(Start());
  ASSERT_EQ(backend->tray.size(), 1u);
  EXPECT_EQ(backend->tray[0].hwnd, FrameHwnd());
  EXPECT_EQ(backend->tray[0].id, IDR_MAINFRAME);
  EXPECT_EQ(backend->tray[0].tip, "Lumivane");
  EXPECT_EQ(backend->tray[0].icon.size(), 3u);  // 32 x 32 in two depths and 16 x 16
  const auto recorded = user::TrayIcons();
  ASSERT_EQ(recorded.size(), 1u);
  EXPECT_EQ(recorded[0].callbackMessage, WM_TRAY_NOTIFY);
}

TEST_F(ProgramTest, TheTrayIconHandleIsReleasedOnceAddedWhateverTheShellAnswers) {
  ASSERT_TRUE(Start());
  HICON icon = ::LoadIcon(AfxGetResourceHandle(), MAKEINTRESOURCE(IDR_MAINFRAME));
  ASSERT_NE(icon, nullptr);
  EXPECT_TRUE(app->AddTrayIcon(FrameHwnd(), 9, icon, "x"));
  EXPECT_FALSE(::DestroyIcon(icon)) << "the handle outlived the add";
  // Refused (the identifier is taken): released all the same.
  icon = ::LoadIcon(AfxGetResourceHandle(), MAKEINTRESOURCE(IDR_MAINFRAME));
  EXPECT_FALSE(app->AddTrayIcon(FrameHwnd(), 9, icon, "x"));
  EXPECT_FALSE(::DestroyIcon(icon));
}

TEST_F(ProgramTest, ARoundWindowTakesItsOwnTrayIconAwayAtExit) {
  WriteSetting("CircleEdgeFlg", 1);
  ASSERT_TRUE(Start());
  const HWND frame = FrameHwnd();
  ViewCommand(ID_EXIT);
  const std::string gone = "tray-delete " + std::to_string(reinterpret_cast<std::uintptr_t>(frame)) + " " +
                           std::to_string(IDI_ROUND_WINDOW);
  EXPECT_NE(std::find(backend->log.begin(), backend->log.end(), gone), backend->log.end());
  EXPECT_TRUE(backend->tray.empty());
}

TEST_F(ProgramTest, TrayTipIsCutTo63Bytes) {
  ASSERT_TRUE(Start());
  const std::string longTip(100, 'x');
  EXPECT_TRUE(app->AddTrayIcon(FrameHwnd(), 7, nullptr, longTip.c_str()));
  ASSERT_EQ(backend->tray.size(), 2u);
  EXPECT_EQ(backend->tray[1].tip, std::string(63, 'x'));
  EXPECT_TRUE(backend->tray[1].icon.empty());
  EXPECT_TRUE(app->DeleteTrayIcon(FrameHwnd(), 7));
  // Deleting what is not there fails quietly.
  EXPECT_FALSE(app->DeleteTrayIcon(FrameHwnd(), 7));
}

TEST_F(ProgramTest, TrayRightClickOpensMenu183AtThePointerAndItsExitEndsTheProgram) {
  ASSERT_TRUE(Start());
  backend->cursorPos = POINT{600, 470};
  UINT chosen = 0;
  backend->menuChooser = [&](const std::vector<platform::MenuEntry>& entries, POINT, HWND) {
    // The last entry is "終了（&X）"; "背景を取り込む(R)" is never greyed in the tray menu.
    EXPECT_FALSE(entries.front().grayed);
    chosen = entries.back().id;
    return chosen;
  };
  const HWND frame = FrameHwnd();
  backend->ClickTray(frame, IDR_MAINFRAME, WM_RBUTTONDOWN);
  platform::PumpPendingMessages();
  ASSERT_EQ(backend->menus.size(), 1u);
  EXPECT_EQ(backend->menus[0].at, (POINT{600, 470}));
  EXPECT_EQ(backend->menus[0].owner, frame);
  ASSERT_EQ(backend->menus[0].entries.size(), 12u);
  EXPECT_EQ(backend->menus[0].entries[0].text, "背景を取り込む(R)");
  EXPECT_EQ(backend->menus[0].entries[11].text, "終了（&X）");
  EXPECT_EQ(chosen, ID_EXIT);
  EXPECT_TRUE(platform::QuitPending());
  EXPECT_EQ(ReadSetting("BeforePositionPosX"), 245);
}

TEST_F(ProgramTest, TrayLeftClickBringsTheHiddenWindowBackWhereItWas) {
  ASSERT_TRUE(Start());
  ::SetWindowPos(FrameHwnd(), nullptr, 50, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  Frame()->ShowWindow(SW_HIDE);
  ASSERT_FALSE(::IsWindowVisible(FrameHwnd()));
  backend->ClickTray(FrameHwnd(), IDR_MAINFRAME, WM_LBUTTONDOWN);
  platform::PumpPendingMessages();
  EXPECT_TRUE(::IsWindowVisible(FrameHwnd()));
  EXPECT_EQ(FrameRect().left, 50);
  EXPECT_EQ(FrameRect().top, 60);
  EXPECT_EQ(FrameRect().right - FrameRect().left, 150);
  EXPECT_EQ(::GetActiveWindow(), FrameHwnd());
  // Other mouse messages do nothing.
  backend->ClickTray(FrameHwnd(), IDR_MAINFRAME, WM_MOUSEMOVE);
  platform::PumpPendingMessages();
  EXPECT_TRUE(backend->menus.empty());
}

TEST_F(ProgramTest, LeftButtonAnywhereHandsTheMoveToTheWindowSystem) {
  ASSERT_TRUE(Start());
  backend->MouseDown(POINT{320, 240});
  platform::PumpPendingMessages();
  ASSERT_EQ(backend->systemMoves.size(), 1u);
  EXPECT_EQ(backend->systemMoves[0], FrameHwnd());
}

TEST_F(ProgramTest, TheShippedSkyMapsAreFoundBesideTheExecutable) {
  WriteSetting("EdgeFlg", 0);
  ASSERT_TRUE(Start());
  // The maps are read from the program folder, the executable's.
  EXPECT_EQ(View()->m_pSkyMapHi->m_nWidth, 1856);
  EXPECT_EQ(View()->m_pSkyMapSh->m_nHeight, 403);
  const auto* map = gdi::Find<gdi::BitmapObject>(View()->m_pSkyMapHi->m_hBitmap);
  ASSERT_NE(map, nullptr);
  const gdi::Surface* pixels = user::WindowPixels(FrameHwnd());
  ASSERT_NE(pixels, nullptr);
  ASSERT_EQ(pixels->width, 150);
  const CPoint o = View()->m_ptSkyOrigin;
  int lit = 0;
  for (int y = 0; y < 150; ++y) {
    for (int x = 0; x < 150; ++x) {
      ASSERT_EQ(pixels->At(x, y), map->surface->At(o.x + x, o.y + y)) << x << ", " << y;
      lit += pixels->At(x, y) != 0;
    }
  }
  EXPECT_GT(lit, 20);  // stars, not an empty sky
  EXPECT_EQ(::GetWindowTextString(FrameHwnd()), "Lumivane");
}

TEST_F(ProgramTest, CtrlNReadsTheSettingsAgainIntoTheSameDocument) {
  ASSERT_TRUE(Start());
  CMyDoc* doc = Doc();
  doc->FrameSizeNo = 5;  // as a double-click would leave it
  WriteSetting("ShootingStarLevel", 9);
  backend->Key(VK_CONTROL, true);
  backend->Key('N', true);
  backend->Key('N', false);
  backend->Key(VK_CONTROL, false);
  platform::PumpPendingMessages();
  EXPECT_EQ(Doc(), doc);
  EXPECT_EQ(doc->FrameSizeNo, 3);
  EXPECT_EQ(doc->ShootingStarLevel, 9);
  // The window keeps its size.
  EXPECT_EQ(FrameRect().right - FrameRect().left, 150);
}

TEST_F(ProgramTest, CtrlSWritesAnEmptyFileAndCtrlOAcceptsAnyFile) {
  ASSERT_TRUE(Start());
  const std::string saved = std::string(std::getenv("XDG_CONFIG_HOME")) + "/saved.doc";
  backend->fileDialogAnswer = [&](const platform::FileDialogRequest& r) -> std::optional<std::string> {
    return r.open ? std::string("/etc/hostname") : saved;
  };
  auto press = [&](int key) {
    backend->Key(VK_CONTROL, true);
    backend->Key(key, true);
    backend->Key(key, false);
    backend->Key(VK_CONTROL, false);
    platform::PumpPendingMessages();
  };
  press('S');
  ASSERT_EQ(backend->fileDialogs.size(), 1u);
  EXPECT_FALSE(backend->fileDialogs[0].open);
  EXPECT_EQ(backend->fileDialogs[0].title, "名前を付けて保存");
  ASSERT_TRUE(std::filesystem::exists(saved));
  EXPECT_EQ(std::filesystem::file_size(saved), 0u);

  const int stepBefore = Doc()->FrameSizeNo;
  press('O');
  ASSERT_EQ(backend->fileDialogs.size(), 2u);
  EXPECT_TRUE(backend->fileDialogs[1].open);
  EXPECT_EQ(Doc()->GetPathName(), "/etc/hostname");
  EXPECT_EQ(Doc()->FrameSizeNo, stepBefore);
  EXPECT_TRUE(::IsWindowVisible(FrameHwnd()));
}

TEST_F(ProgramTest, OpeningAMissingFileReportsItAndKeepsTheDocument) {
  ASSERT_TRUE(Start());
  backend->fileDialogAnswer = [](const platform::FileDialogRequest&) -> std::optional<std::string> {
    return std::string("/nonexistent/file.doc");
  };
  backend->Key(VK_CONTROL, true);
  backend->Key('O', true);
  platform::PumpPendingMessages();
  ASSERT_EQ(backend->messageBoxes.size(), 1u);
  EXPECT_EQ(backend->messageBoxes[0].text, "ﾄﾞｷｭﾒﾝﾄを開くことができません。");
  EXPECT_EQ(backend->messageBoxes[0].caption, "Lumivane");
  EXPECT_TRUE(::IsWindow(FrameHwnd()));
}

class PaletteDisplayTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    // A program folder without sky maps: the test gives the picture its own palette.
    char pattern[] = "/tmp/lumivane-empty-XXXXXX";
    programDir = mkdtemp(pattern);
    // Only a display with 8 bits per pixel has a palette to realise.
    platform::Shutdown();
    platform::HeadlessBackend::Options options;
    options.bitsPerPixel = 8;
    backend = new platform::HeadlessBackend(options);
    platform::Initialize(std::unique_ptr<platform::Backend>(backend));
    user::RegisterResources(&ProgramResources());
  }

  // Gives the sky picture a palette of n grey levels.
  void GiveSkyPalette(int n) {
    std::vector<BYTE> storage(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * static_cast<size_t>(n));
    auto* lp = reinterpret_cast<LOGPALETTE*>(storage.data());
    lp->palVersion = 0x300;
    lp->palNumEntries = static_cast<WORD>(n);
    for (int i = 0; i < n; ++i) {
      const BYTE v = static_cast<BYTE>(3 + i * 7);
      lp->palPalEntry[i] = PALETTEENTRY{v, v, static_cast<BYTE>(v + 1), 0};
    }
    View()->m_pSkyMapHi->m_hPalette = CreatePalette(lp);
  }

  void TearDown() override {
    ProgramTest::TearDown();
    std::filesystem::remove_all(programDir);
  }
};

TEST_F(PaletteDisplayTest, PaletteMessagesRealiseTheSkyPaletteAndRepaintWhenItChanged) {
  ASSERT_TRUE(Start());
  GiveSkyPalette(16);
  ::ValidateRect(View()->m_hWnd, nullptr);
  ::SendMessage(FrameHwnd(), WM_QUERYNEWPALETTE, 0, 0);
  RECT update;
  EXPECT_TRUE(::GetUpdateRect(View()->m_hWnd, &update, FALSE));
  platform::PumpPendingMessages();
  // Realised once, the colours are in the system palette: nothing changes the next time.
  ::SendMessage(FrameHwnd(), WM_PALETTECHANGED, 0, 0);
  EXPECT_FALSE(::GetUpdateRect(View()->m_hWnd, &update, FALSE));
  CClientDC dc(View());
  EXPECT_EQ(View()->m_pSkyMapHi->Realize(&dc, FALSE), 0u);
}

TEST_F(PaletteDisplayTest, BecomingActiveRealisesTheSkyPaletteInTheForeground) {
  ASSERT_TRUE(Start());
  GiveSkyPalette(16);
  // Another program's palette holds every shared entry of the system palette.
  auto takeAllEntries = [] {
    std::vector<BYTE> storage(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * 236);
    auto* lp = reinterpret_cast<LOGPALETTE*>(storage.data());
    lp->palVersion = 0x300;
    lp->palNumEntries = 236;
    for (int i = 0; i < 236; ++i) lp->palPalEntry[i] = PALETTEENTRY{static_cast<BYTE>(i), 200, 17, 0};
    HPALETTE other = CreatePalette(lp);
    HDC dc = CreateCompatibleDC(nullptr);
    SelectPalette(dc, other, FALSE);
    RealizePalette(dc);
    DeleteDC(dc);
    DeleteObject(other);
  };
  RECT update;
  for (UINT state : {static_cast<UINT>(WA_ACTIVE), static_cast<UINT>(WA_CLICKACTIVE)}) {
    takeAllEntries();
    ::ValidateRect(View()->m_hWnd, nullptr);
    // Losing the activation realises nothing; a background realisation finds no room.
    ::SendMessage(FrameHwnd(), WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_FALSE(::GetUpdateRect(View()->m_hWnd, &update, FALSE));
    ::SendMessage(FrameHwnd(), WM_QUERYNEWPALETTE, 0, 0);
    EXPECT_FALSE(::GetUpdateRect(View()->m_hWnd, &update, FALSE));
    // Becoming active takes the entries over, and the view repaints in its colours.
    ::SendMessage(FrameHwnd(), WM_ACTIVATE, state, 0);
    EXPECT_TRUE(::GetUpdateRect(View()->m_hWnd, &update, FALSE)) << state;
  }
}

TEST_F(ProgramTest, PalettesAreLeftAloneOnTrueColourDisplays) {
  ASSERT_TRUE(Start());
  std::vector<BYTE> storage(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * 4);
  auto* lp = reinterpret_cast<LOGPALETTE*>(storage.data());
  lp->palNumEntries = 4;
  View()->m_pSkyMapHi->m_hPalette = CreatePalette(lp);
  ::ValidateRect(View()->m_hWnd, nullptr);
  ::SendMessage(FrameHwnd(), WM_QUERYNEWPALETTE, 0, 0);
  RECT update;
  EXPECT_FALSE(::GetUpdateRect(View()->m_hWnd, &update, FALSE));
  CClientDC dc(View());
  EXPECT_EQ(View()->m_pSkyMapHi->Realize(&dc, FALSE), 0u);
}

TEST_F(ProgramTest, PaintsHandTheDesktopNoTitleOrStyleThatDidNotChange) {
  WriteSetting("ShootingStarLevel", 10);
  WriteSetting("SateltLevel", 10);
  ASSERT_TRUE(Start());
  const HWND frame = FrameHwnd();
  const int syncs = backend->nativeSyncs[frame];
  const int presents = backend->presents[frame];
  // Every paint sets the title and takes the sunken edge off again; with both levels at the
  // top, shooting stars and satellites paint many times in these seconds.
  for (int i = 0; i < 5; ++i) {
    ::InvalidateRect(View()->m_hWnd, nullptr, FALSE);
    platform::PumpPendingMessages();
  }
  backend->Advance(5000);
  EXPECT_GT(backend->presents[frame], presents + 5);
  EXPECT_EQ(backend->nativeSyncs[frame], syncs);

  // The same title or style set by hand costs nothing either; a real change is handed over.
  ::SetWindowText(frame, "Lumivane");
  ::SetWindowLong(frame, GWL_EXSTYLE, ::GetWindowLong(frame, GWL_EXSTYLE));
  ::SetWindowLong(frame, GWL_STYLE, ::GetWindowLong(frame, GWL_STYLE));
  EXPECT_EQ(backend->nativeSyncs[frame], syncs);
  ::SetWindowText(frame, "another");
  EXPECT_EQ(backend->nativeSyncs[frame], syncs + 1);
  EXPECT_EQ(::GetWindowTextString(frame), "another");
  ::SetWindowLong(frame, GWL_EXSTYLE, ::GetWindowLong(frame, GWL_EXSTYLE) | WS_EX_TOPMOST);
  EXPECT_EQ(backend->nativeSyncs[frame], syncs + 2);
}
