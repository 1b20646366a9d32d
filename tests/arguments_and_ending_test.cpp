// Starting with arguments, and ending from outside the program (a termination signal, a
// logout) whatever menu, file dialog or message box is open at the time.
#include <sys/stat.h>

#include <functional>

#include "program_fixture.h"

namespace {

std::string FileText(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void PressCtrl(platform::HeadlessBackend* backend, int key) {
  backend->Key(VK_CONTROL, true);
  backend->Key(key, true);
  backend->Key(key, false);
  backend->Key(VK_CONTROL, false);
}

}  // namespace

TEST_F(ProgramTest, ArgumentsAreRefusedBeforeAWindowOrASettingIsTouched) {
  WriteSetting("FrameSizeNo", 6);
  WriteSetting("ClockColor", 3);
  const std::string settingsBefore = FileText(SettingsFile());
  const std::string config = std::getenv("XDG_CONFIG_HOME");
  std::ofstream(config + "/empty.doc").close();
  const size_t windowsBefore = user::TopLevelWindows().size();

  // An existing file, a missing one, a switch, an empty argument.
  for (const std::string& argument : {config + "/empty.doc", std::string("/nonexistent/x.doc"),
                                      std::string("--help"), std::string()}) {
    testing::internal::CaptureStderr();
    EXPECT_FALSE(Start({argument})) << argument;
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said, "Lumivane: unexpected argument \"" + argument +
                        "\" (it opens no files and takes no options)\n");
    EXPECT_EQ(app->ExitInstance(), 2);
    EXPECT_EQ(app->m_pMainWnd, nullptr);
    EXPECT_EQ(user::TopLevelWindows().size(), windowsBefore);
    EXPECT_TRUE(backend->tray.empty());
    EXPECT_TRUE(backend->messageBoxes.empty());
    EXPECT_EQ(FileText(SettingsFile()), settingsBefore);
  }

  // Without arguments the same settings are read and kept.
  ASSERT_TRUE(Start());
  EXPECT_EQ(app->ExitInstance(), 0);
  EXPECT_EQ(Doc()->FrameSizeNo, 6);
  EXPECT_EQ(Doc()->ClockColor, 3);
  EXPECT_EQ(FrameRect().right - FrameRect().left, 350);
  ViewCommand(ID_EXIT);
  EXPECT_EQ(ReadSetting("FrameSizeNo"), 6);
  EXPECT_EQ(ReadSetting("ClockColor"), 3);
}

TEST_F(ProgramTest, AnEndAskedForWithNothingOpenClosesTheOrdinaryWay) {
  ASSERT_TRUE(Start());
  const HWND frame = FrameHwnd();
  Doc()->FrameSizeNo = 5;
  ::SetWindowPos(frame, nullptr, 33, 44, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  platform::RequestTermination();
  EXPECT_TRUE(::IsWindow(frame));  // nothing happens until the main loop runs
  platform::PumpPendingMessages();
  EXPECT_FALSE(::IsWindow(frame));
  EXPECT_TRUE(platform::QuitPending());
  EXPECT_TRUE(backend->tray.empty());
  EXPECT_EQ(ReadSetting("FrameSizeNo"), 5);
  EXPECT_EQ(ReadSetting("BeforePositionPosX"), 33);
  EXPECT_EQ(ReadSetting("BeforePositionPosY"), 44);
}

// Each way the program shows something modal, and how a test opens it.
struct ModalCase {
  const char* name;
  std::function<void(ProgramTest&, platform::HeadlessBackend*)> open;
  // Which of the modal loops is the one to interrupt (a message box follows a file dialog).
  std::function<bool(platform::HeadlessBackend*)> isTheOne;
};

void PrintTo(const ModalCase& c, std::ostream* os) { *os << c.name; }

class EndingWhileModalTest : public ProgramTest, public ::testing::WithParamInterface<ModalCase> {};

TEST_P(EndingWhileModalTest, TheModalLoopEndsFirstThenTheWindowClosesAndSavesEverything) {
  ASSERT_TRUE(Start());
  const HWND frame = FrameHwnd();
  Doc()->ClockColor = 4;
  const int stepBefore = Frame()->m_nCursorFrame;
  int steps = 0;
  bool frameAliveThroughout = true;
  backend->whileModalUp = [&] {
    if (!GetParam().isTheOne(backend)) return false;
    frameAliveThroughout = frameAliveThroughout && ::IsWindow(frame);
    if (++steps == 5) platform::RequestTermination();
    return steps < 10000;
  };
  UINT menuAnswers = 0;
  backend->menuChooser = [&](const std::vector<platform::MenuEntry>&, POINT, HWND) {
    ++menuAnswers;
    return static_cast<UINT>(ID_EXIT);
  };
  GetParam().open(*this, backend);
  platform::PumpPendingMessages();

  // The loop saw the request at once and gave up without an answer.
  EXPECT_EQ(steps, 5);
  EXPECT_TRUE(frameAliveThroughout);
  EXPECT_EQ(menuAnswers, 0u);
  // The program's timers ran while it was open.
  EXPECT_NE(Frame() ? Frame()->m_nCursorFrame : -1, stepBefore);
  // Then the ordinary close: values, position, tray icon.
  EXPECT_FALSE(::IsWindow(frame));
  EXPECT_TRUE(platform::QuitPending());
  EXPECT_TRUE(backend->tray.empty());
  EXPECT_EQ(ReadSetting("ClockColor"), 4);
  EXPECT_EQ(ReadSetting("BeforePositionPosX"), 245);
}

INSTANTIATE_TEST_SUITE_P(
    MenusDialogsAndBoxes, EndingWhileModalTest,
    ::testing::Values(
        ModalCase{"TrayMenu",
                  [](ProgramTest&, platform::HeadlessBackend* b) {
                    b->ClickTray(AfxGetMainWnd()->m_hWnd, IDR_MAINFRAME, WM_RBUTTONDOWN);
                  },
                  [](platform::HeadlessBackend* b) { return !b->menus.empty(); }},
        ModalCase{"FileDialog", [](ProgramTest&, platform::HeadlessBackend* b) { PressCtrl(b, 'O'); },
                  [](platform::HeadlessBackend* b) { return !b->fileDialogs.empty(); }},
        ModalCase{"MessageBox",
                  [](ProgramTest&, platform::HeadlessBackend* b) {
                    b->fileDialogAnswer = [](const platform::FileDialogRequest&) -> std::optional<std::string> {
                      return std::string("/nonexistent/file.doc");
                    };
                    PressCtrl(b, 'O');
                  },
                  [](platform::HeadlessBackend* b) { return !b->messageBoxes.empty(); }}),
    [](const ::testing::TestParamInfo<ModalCase>& info) { return std::string(info.param.name); });

TEST_F(ProgramTest, AQuitEndsEveryModalLoopAndWaitsForTheMainLoop) {
  ASSERT_TRUE(Start());
  int steps = 0;
  backend->whileModalUp = [&] {
    if (++steps == 3) ::PostQuitMessage(7);
    return steps < 10000;
  };
  backend->ClickTray(FrameHwnd(), IDR_MAINFRAME, WM_RBUTTONDOWN);
  platform::PumpPendingMessages();
  EXPECT_EQ(steps, 3);
  // A menu opened while the quit is pending does not even start its loop.
  steps = 0;
  EXPECT_FALSE(platform::RunModalLoop([&] { return ++steps < 10000; }));
  EXPECT_EQ(steps, 0);
  MSG msg;
  EXPECT_FALSE(::GetMessage(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.wParam, 7u);
}

TEST_F(ProgramTest, AnEndAskedForDuringStartUpClosesOnceTheMainLoopRuns) {
  platform::RequestTermination();
  ASSERT_TRUE(Start());  // Start runs the queue once: the request is delivered there
  EXPECT_EQ(app->m_pMainWnd, nullptr);
  EXPECT_TRUE(platform::QuitPending());
  EXPECT_TRUE(backend->tray.empty());
  EXPECT_EQ(ReadSetting("EdgeFlg"), 1);
}

TEST_F(ProgramTest, TheWindowManagersCloseIsIgnoredWhileAMenuIsOpen) {
  ASSERT_TRUE(Start());
  const HWND frame = FrameHwnd();
  int steps = 0;
  backend->whileModalUp = [&] {
    if (++steps == 2) user::NativeCloseRequested(frame);
    EXPECT_TRUE(::IsWindow(frame));
    return steps < 6;
  };
  backend->ClickTray(frame, IDR_MAINFRAME, WM_RBUTTONDOWN);
  platform::PumpPendingMessages();
  EXPECT_EQ(steps, 6);
  // The owner of an open menu takes no input: the request is gone, not kept for later.
  EXPECT_TRUE(::IsWindow(frame));
  EXPECT_FALSE(platform::QuitPending());
  // Asked again with nothing open, it closes.
  user::NativeCloseRequested(frame);
  platform::PumpPendingMessages();
  EXPECT_FALSE(::IsWindow(frame));
}
