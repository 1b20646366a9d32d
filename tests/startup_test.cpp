// Start-up, the main frame's placement and styles, the settings document and the exit.
#include <algorithm>

#include "program_fixture.h"

namespace {

std::string Hex(HWND h) { return std::to_string(reinterpret_cast<std::uintptr_t>(h)); }

}  // namespace

TEST_F(ProgramTest, EmptySettingsGiveCentredToolWindowOfStepThree) {
  ASSERT_TRUE(Start());
  const RECT r = FrameRect();
  EXPECT_EQ(r.left, 245);
  EXPECT_EQ(r.top, 165);
  EXPECT_EQ(r.right - r.left, 150);
  EXPECT_EQ(r.bottom - r.top, 150);
  const DWORD ex = user::WindowExStyle(FrameHwnd());
  EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
  EXPECT_FALSE(ex & WS_EX_TOPMOST);
  EXPECT_FALSE(ex & WS_EX_CLIENTEDGE);
  EXPECT_EQ(user::WindowStyle(FrameHwnd()) & ~WS_VISIBLE, WS_POPUP | WS_SYSMENU);
  EXPECT_TRUE(::IsWindowVisible(FrameHwnd()));
  EXPECT_EQ(::GetMenu(FrameHwnd()), nullptr);

  // The view fills the frame exactly: no edge of the frame's or its own.
  RECT client;
  ::GetClientRect(View()->m_hWnd, &client);
  EXPECT_EQ(client.right, 150);
  EXPECT_EQ(client.bottom, 150);
  EXPECT_FALSE(View()->GetExStyle() & WS_EX_CLIENTEDGE);

  // The document holds the defaults of the settings table.
  CMyDoc* doc = Doc();
  EXPECT_EQ(doc->EdgeFlg, 1);
  EXPECT_EQ(doc->CircleEdgeFlg, 0);
  EXPECT_EQ(doc->ClockFlg, 1);
  EXPECT_EQ(doc->EdgeKind, 1);
  EXPECT_EQ(doc->EdgeClossFlg, 1);
  EXPECT_EQ(doc->ShootingStarLevel, 1);
  EXPECT_EQ(doc->SateltLevel, 1);
  EXPECT_EQ(doc->FrameSizeNo, 3);
  EXPECT_EQ(doc->BkMode, 1);
  EXPECT_EQ(doc->ClockColor, 0);
  // Start-up reads settings but writes none.
  EXPECT_FALSE(std::filesystem::exists(SettingsFile()));
}

TEST_F(ProgramTest, TopmostReplacesTheToolWindowStyle) {
  WriteSetting("TopMostFlg", 1);
  ASSERT_TRUE(Start());
  const DWORD ex = user::WindowExStyle(FrameHwnd());
  EXPECT_TRUE(ex & WS_EX_TOPMOST);
  EXPECT_FALSE(ex & WS_EX_TOOLWINDOW);
}

TEST_F(ProgramTest, SavedPositionIsUsedOnlyWhenTheFlagIsExactlyOne) {
  WriteSetting("BeforePositionFlg", 1);
  ASSERT_TRUE(Start());
  EXPECT_EQ(FrameRect().left, 100);
  EXPECT_EQ(FrameRect().top, 100);
}

TEST_F(ProgramTest, SavedPositionOnNoMonitorComesBackWholeOntoTheScreen) {
  WriteSetting("BeforePositionFlg", 1);
  WriteSetting("BeforePositionPosX", -400);
  WriteSetting("BeforePositionPosY", 2000);
  ASSERT_TRUE(Start());
  // The nearest place on the 640 x 480 screen for the 150-pixel window.
  EXPECT_EQ(FrameRect().left, 0);
  EXPECT_EQ(FrameRect().top, 330);
}

TEST_F(ProgramTest, PositionFlagOtherThanOneCentres) {
  WriteSetting("BeforePositionFlg", 2);
  WriteSetting("BeforePositionPosX", 10);
  WriteSetting("FrameSizeNo", 6);
  ASSERT_TRUE(Start());
  // (640 - 350) / 2 and (480 - 350) / 2.
  EXPECT_EQ(FrameRect().left, 145);
  EXPECT_EQ(FrameRect().top, 65);
  EXPECT_EQ(FrameRect().right - FrameRect().left, 350);
}

TEST_F(ProgramTest, SizeStepsOutsideTheTableTakeTheNearestStep) {
  EXPECT_EQ(FrameEdgeForSizeNo(0), 100);
  EXPECT_EQ(FrameEdgeForSizeNo(-7), 100);
  EXPECT_EQ(FrameEdgeForSizeNo(1), 100);
  EXPECT_EQ(FrameEdgeForSizeNo(2), 125);
  EXPECT_EQ(FrameEdgeForSizeNo(4), 200);
  EXPECT_EQ(FrameEdgeForSizeNo(5), 275);
  EXPECT_EQ(FrameEdgeForSizeNo(6), 350);
  EXPECT_EQ(FrameEdgeForSizeNo(7), 350);
  WriteSetting("FrameSizeNo", 9);
  ASSERT_TRUE(Start());
  EXPECT_EQ(FrameRect().right - FrameRect().left, 350);
  // The document keeps the value as read.
  EXPECT_EQ(Doc()->FrameSizeNo, 9);
}

TEST_F(ProgramTest, StartUpRunsInTheFrameworkOrder) {
  WriteSetting("CircleEdgeFlg", 1);
  WriteSetting("FrameSizeNo", 5);
  app = nullptr;
  std::vector<std::string> trace;
  int documentStepAtViewCreation = -1;
  user::SetMessageSpy([&](const MSG& m) {
    CWnd* w = CWnd::FromHandlePermanent(m.hwnd);
    const bool isFrame = w && w->IsKindOf(RUNTIME_CLASS(CMainFrame));
    const bool isView = w && w->IsKindOf(RUNTIME_CLASS(CMyView));
    if (m.message == WM_CREATE && isFrame) backend->log.push_back("create frame");
    if (m.message == WM_CREATE && isView) {
      backend->log.push_back("create view");
      // Not yet read from the settings: the document has the table's defaults.
      const auto* cs = reinterpret_cast<const CREATESTRUCT*>(m.lParam);
      const auto* context = static_cast<const CCreateContext*>(cs->lpCreateParams);
      documentStepAtViewCreation = static_cast<CMyDoc*>(context->m_pCurrentDoc)->FrameSizeNo;
    }
    if (m.message == WM_ACTIVATE && isFrame && LOWORD(m.wParam) != WA_INACTIVE) {
      backend->log.push_back("activate frame");
    }
  });
  ASSERT_TRUE(Start());
  user::SetMessageSpy(nullptr);
  const std::string frame = Hex(FrameHwnd());
  trace = backend->log;
  auto at = [&](const std::string& what) {
    return std::find(trace.begin(), trace.end(), what) - trace.begin();
  };
  ASSERT_LT(at("create frame"), static_cast<long>(trace.size()));
  EXPECT_LT(at("create frame"), at("create view"));
  EXPECT_LT(at("create view"), at("activate frame"));
  EXPECT_LT(at("activate frame"), at("shape " + frame));
  EXPECT_LT(at("shape " + frame), at("shown " + frame));
  EXPECT_LT(at("shown " + frame), at("tray-add " + frame + " 130"));
  EXPECT_EQ(documentStepAtViewCreation, 3);
  EXPECT_EQ(Doc()->FrameSizeNo, 5);
}

TEST_F(ProgramTest, DocumentReadsTodaysDateAndTime) {
  backend->SetLocalTime(platform::LocalTime{2026, 8, 2, 0, 9, 7, 30});  // a Sunday
  ASSERT_TRUE(Start());
  EXPECT_EQ(Doc()->m_nYear, 2026);
  EXPECT_EQ(Doc()->m_nMonth, 8);
  EXPECT_EQ(Doc()->m_nDay, 2);
  EXPECT_EQ(Doc()->m_strWeekday, "(日)");
  EXPECT_EQ(Doc()->m_nHour, 9);
  EXPECT_EQ(Doc()->m_nMinute, 7);
}

TEST(WeekdayText, CoversTheWeekAndNothingElse) {
  EXPECT_EQ(CMyDoc::FormatWeekday(1), "(日)");
  EXPECT_EQ(CMyDoc::FormatWeekday(4), "(水)");
  EXPECT_EQ(CMyDoc::FormatWeekday(7), "(土)");
  EXPECT_EQ(CMyDoc::FormatWeekday(0), "()");
  EXPECT_EQ(CMyDoc::FormatWeekday(8), "()");
}

TEST_F(ProgramTest, SettingsAreTakenWithoutRangeChecks) {
  WriteSetting("ClockColor", -1);
  WriteSetting("EdgeKind", 7);
  WriteSetting("ShootingStarLevel", 42);
  ASSERT_TRUE(Start());
  EXPECT_EQ(Doc()->ClockColor, -1);
  EXPECT_EQ(Doc()->EdgeKind, 7);
  EXPECT_EQ(Doc()->ShootingStarLevel, 42);
}

TEST_F(ProgramTest, ExitWritesFiveValuesThenThePositionAndRemovesTheTrayIcon) {
  WriteSetting("SateltLevel", 7);
  ASSERT_TRUE(Start());
  const HWND frame = FrameHwnd();
  ASSERT_EQ(backend->tray.size(), 1u);
  Doc()->FrameSizeNo = 5;
  Doc()->ClockFlg = 0;  // not among the five: never written at exit
  Doc()->SateltLevel = 2;
  ::SetWindowPos(frame, nullptr, 33, 44, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ViewCommand(ID_EXIT);
  EXPECT_TRUE(platform::QuitPending());
  EXPECT_FALSE(::IsWindow(frame));
  EXPECT_EQ(app->m_pMainWnd, nullptr);
  EXPECT_TRUE(backend->tray.empty());

  const std::vector<std::string> keys = SettingKeysInFileOrder();
  const std::vector<std::string> expected = {"SateltLevel", "EdgeFlg",  "ShootingStarLevel", "FrameSizeNo",
                                             "BkMode",      "ClockColor", "BeforePositionPosX", "BeforePositionPosY"};
  EXPECT_EQ(keys, expected);
  EXPECT_EQ(ReadSetting("FrameSizeNo"), 5);
  EXPECT_EQ(ReadSetting("SateltLevel"), 7);  // changed in the document only
  EXPECT_EQ(ReadSetting("BeforePositionPosX"), 33);
  EXPECT_EQ(ReadSetting("BeforePositionPosY"), 44);
  EXPECT_FALSE(ReadSetting("ClockFlg").has_value());
}

TEST_F(ProgramTest, NextStartOpensAtTheSizeAndPlaceOfTheLastExit) {
  ASSERT_TRUE(Start());
  Doc()->FrameSizeNo = 5;
  ::SetWindowPos(FrameHwnd(), nullptr, 20, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ViewCommand(ID_EXIT);
  ASSERT_TRUE(platform::QuitPending());
  platform::Shutdown();
  app.reset();

  backend = new platform::HeadlessBackend();
  platform::Initialize(std::unique_ptr<platform::Backend>(backend));
  user::RegisterResources(&ProgramResources());
  WriteSetting("BeforePositionFlg", 1);
  ASSERT_TRUE(Start());
  EXPECT_EQ(FrameRect().left, 20);
  EXPECT_EQ(FrameRect().top, 30);
  EXPECT_EQ(FrameRect().right - FrameRect().left, 275);
}

TEST_F(ProgramTest, ClosingByTheWindowSystemTakesTheFrameworkPath) {
  ASSERT_TRUE(Start());
  // Alt+F4 or the window manager's close: no exit command, the document still writes its
  // values and the frame its position.
  user::NativeCloseRequested(FrameHwnd());
  platform::PumpPendingMessages();
  EXPECT_TRUE(platform::QuitPending());
  EXPECT_EQ(ReadSetting("EdgeFlg"), 1);
  EXPECT_EQ(ReadSetting("BeforePositionPosX"), 245);
}

TEST_F(ProgramTest, HidingTheFrameAsksTheViewToCaptureTheDesktop) {
  ASSERT_TRUE(Start());
  std::vector<UINT> commands;
  user::SetMessageSpy([&](const MSG& m) {
    if (m.hwnd == View()->m_hWnd && m.message == WM_COMMAND) commands.push_back(LOWORD(m.wParam));
  });
  Frame()->ShowWindow(SW_SHOW);
  EXPECT_TRUE(commands.empty());
  Frame()->ShowWindow(SW_HIDE);
  EXPECT_EQ(commands, std::vector<UINT>{ID_CAPTURE_DESKTOP});
}

TEST_F(ProgramTest, MovingTheFrameMarksTheView) {
  ASSERT_TRUE(Start());
  View()->m_bMoved = 0;
  user::NativeMoved(FrameHwnd(), POINT{10, 12});
  EXPECT_EQ(View()->m_bMoved, 1);
  EXPECT_EQ(FrameRect().left, 10);
}

// The saved place across screens that changed: a window that would lie on no monitor opens
// whole on the nearest one; one partly off the screen keeps the place the user gave it.
class SavedPlaceTest : public ProgramTest {
 protected:
  RECT OpenAt(int x, int y, std::vector<RECT> monitors = {}) {
    platform::Shutdown();
    platform::HeadlessBackend::Options options;
    options.screen = SIZE{640, 480};
    options.monitors = std::move(monitors);
    backend = new platform::HeadlessBackend(options);
    platform::Initialize(std::unique_ptr<platform::Backend>(backend));
    user::RegisterResources(&ProgramResources());
    WriteSetting("BeforePositionFlg", 1);
    WriteSetting("BeforePositionPosX", x);
    WriteSetting("BeforePositionPosY", y);
    app.reset();
    EXPECT_TRUE(Start());
    return FrameRect();
  }
};

TEST_F(SavedPlaceTest, APlaceOnNoMonitorOpensWholeOnTheNearestOne) {
  // Size step 3: 150 pixels.
  EXPECT_EQ(OpenAt(5000, 3000), (RECT{490, 330, 640, 480}));
  EXPECT_EQ(OpenAt(-400, 100), (RECT{0, 100, 150, 250}));
  // Partly off the screen: as the user left it.
  EXPECT_EQ(OpenAt(-20, 400), (RECT{-20, 400, 130, 550}));
  // Two monitors side by side: beyond the right one, it comes back onto that one.
  const std::vector<RECT> two = {RECT{0, 0, 640, 480}, RECT{640, 0, 1280, 480}};
  EXPECT_EQ(OpenAt(2000, 100, two), (RECT{1130, 100, 1280, 250}));
  // On the second monitor it stays where it was.
  EXPECT_EQ(OpenAt(900, 200, two), (RECT{900, 200, 1050, 350}));
}
