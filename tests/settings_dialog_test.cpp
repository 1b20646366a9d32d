// The settings dialog as the user meets it: opened by the settings command over the real
// program objects on the headless backend, worked with keys, clicks and the classic
// messages, and what its OK and Cancel leave in the settings file, the document, the
// window and the tray.
#include <fstream>
#include <functional>
#include <sstream>
#include <stdexcept>

#include "dialogs/config_dlg.h"
#include "program_fixture.h"

namespace {

using Step = std::function<void(HWND dialog)>;

std::string FileText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class SettingsDialogTest : public ProgramTest {
 protected:
  // Opens the dialog with the settings command and runs one step each time the dialog
  // waits for the user; the last step must close it.
  void RunDialog(std::vector<Step> steps) {
    size_t next = 0;
    backend->idle = [&] {
      const HWND dialog = OpenDialog();
      if (!dialog) throw std::runtime_error("the dialog waits for the user but is not shown");
      if (next >= steps.size()) throw std::runtime_error("the dialog is still open after the last step");
      steps[next++](dialog);
    };
    ViewCommand(ID_SETTINGS);
    backend->idle = nullptr;
    EXPECT_EQ(next, steps.size()) << "the dialog closed before every step ran";
  }

  static HWND OpenDialog() {
    for (HWND h : user::TopLevelWindows()) {
      if (user::detail::FindDialog(h) && IsWindowVisible(h)) return h;
    }
    return nullptr;
  }

  void Press(int vk) {
    backend->Key(vk, true);
    backend->Key(vk, false);
  }
  void PressWith(int modifier, int vk) {
    backend->Key(modifier, true);
    Press(vk);
    backend->Key(modifier, false);
  }
  // A click at the centre of a control, as the mouse makes it.
  void ClickControl(HWND dialog, int id) {
    RECT r;
    ::GetWindowRect(::GetDlgItem(dialog, id), &r);
    const POINT at{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    backend->MouseMove(at);
    backend->MouseDown(at);
    backend->MouseUp(at);
  }
  // A click on a tab of the tab control.
  void ClickTab(HWND dialog, int index) {
    HWND tabs = ::GetDlgItem(dialog, CConfigDlg::IDC_TABS);
    RECT item;
    ASSERT_TRUE(::SendMessage(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
    POINT at{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    ::ClientToScreen(tabs, &at);
    backend->MouseDown(at);
    backend->MouseUp(at);
  }

  static bool Shown(HWND dialog, int id) { return ::IsWindowVisible(::GetDlgItem(dialog, id)) != 0; }
  static UINT Checked(HWND dialog, int id) { return ::IsDlgButtonChecked(dialog, id); }
  static int Item(HWND dialog, int id, UINT message) {
    return static_cast<int>(::SendDlgItemMessage(dialog, id, message, 0, 0));
  }
};

constexpr int kAllPageControls[] = {1015, 1016, 1014, 1013, 1032, 1012, 1008, 1009, 1010, 1011, 1033, 1034, 1017,
                                    1018, 1019, 1026, 1021, 1022, 1003, 1029, 1027, 1028, 1004, 1024, 1025, 1023};

TEST_F(SettingsDialogTest, OpensOnTheFirstTabWithTheStoredValuesAndShowsEachPageAlone) {
  WriteSetting("TopMostFlg", 1);
  WriteSetting("EdgeKind", 2);
  WriteSetting("EdgeClossFlg", 2);
  WriteSetting("BkMode", 2);
  WriteSetting("CircleEdgeFlg", 1);
  WriteSetting("ShootingStarLevel", 7);
  WriteSetting("ClockColor", 4);
  ASSERT_TRUE(Start());
  std::vector<std::vector<int>> shownPerPage;
  RunDialog({[&](HWND d) {
               EXPECT_EQ(GetWindowTextString(d), "ﾀﾞｲｱﾛｸﾞ");
               EXPECT_EQ(Item(d, CConfigDlg::IDC_TABS, TCM_GETITEMCOUNT), 5);
               EXPECT_EQ(Item(d, CConfigDlg::IDC_TABS, TCM_GETCURSEL), 0);
               EXPECT_EQ(Checked(d, 1015), BST_CHECKED);
               EXPECT_EQ(Checked(d, 1016), BST_UNCHECKED);
               EXPECT_EQ(Checked(d, 1009), BST_CHECKED);  // "アルミ風"
               EXPECT_EQ(Checked(d, 1008), BST_UNCHECKED);
               EXPECT_EQ(Checked(d, 1011), BST_CHECKED);  // "無し"
               EXPECT_EQ(Checked(d, 1019), BST_CHECKED);  // "ﾃﾞｽｸﾄｯﾌﾟ"
               EXPECT_EQ(Checked(d, 1018), BST_UNCHECKED);
               EXPECT_EQ(Checked(d, 1034), BST_CHECKED);  // "丸"
               EXPECT_EQ(Item(d, 1003, TBM_GETPOS), 7);
               EXPECT_EQ(Item(d, 1003, TBM_GETRANGEMIN), 0);
               EXPECT_EQ(Item(d, 1003, TBM_GETRANGEMAX), 10);
               EXPECT_EQ(Item(d, 1025, CB_GETCOUNT), 6);
               EXPECT_EQ(Item(d, 1025, CB_GETCURSEL), 4);
               // The focus starts on the first tab stop, OK.
               EXPECT_EQ(::GetFocus(), ::GetDlgItem(d, IDOK));
               for (int tab = 0; tab < 5; ++tab) {
                 if (tab > 0) ClickTab(d, tab);
                 platform::PumpPendingMessages();
                 EXPECT_EQ(Item(d, CConfigDlg::IDC_TABS, TCM_GETCURSEL), tab);
                 std::vector<int> shown;
                 for (int id : kAllPageControls) {
                   if (Shown(d, id)) shown.push_back(id);
                 }
                 shownPerPage.push_back(shown);
               }
               Press(VK_ESCAPE);
             }});
  ASSERT_EQ(shownPerPage.size(), 5u);
  EXPECT_EQ(shownPerPage[0], (std::vector<int>{1015, 1016}));
  EXPECT_EQ(shownPerPage[1], (std::vector<int>{1014, 1013, 1032, 1012, 1008, 1009, 1010, 1011, 1033, 1034}));
  EXPECT_EQ(shownPerPage[2], (std::vector<int>{1017, 1018, 1019}));
  EXPECT_EQ(shownPerPage[3], (std::vector<int>{1026, 1021, 1022, 1003, 1029, 1027, 1028, 1004}));
  EXPECT_EQ(shownPerPage[4], (std::vector<int>{1024, 1025, 1023}));
}

TEST_F(SettingsDialogTest, OkWithoutChangesStoresTheSameValuesAndKeepsOneTrayIcon) {
  WriteSetting("EdgeKind", 2);
  WriteSetting("EdgeClossFlg", 2);
  WriteSetting("BkMode", 2);
  WriteSetting("CircleEdgeFlg", 1);
  WriteSetting("ShootingStarLevel", 3);
  WriteSetting("SateltLevel", 9);
  ASSERT_TRUE(Start());
  backend->log.clear();
  RunDialog({[&](HWND) { Press(VK_RETURN); }});
  EXPECT_EQ(ReadSetting("EdgeKind"), 2);
  EXPECT_EQ(ReadSetting("EdgeClossFlg"), 2);
  EXPECT_EQ(ReadSetting("BkMode"), 2);
  EXPECT_EQ(ReadSetting("CircleEdgeFlg"), 1);
  EXPECT_EQ(ReadSetting("ShootingStarLevel"), 3);
  EXPECT_EQ(ReadSetting("SateltLevel"), 9);
  EXPECT_EQ(ReadSetting("TopMostFlg"), 0);
  EXPECT_EQ(Doc()->EdgeKind, 2);
  EXPECT_EQ(Doc()->CircleEdgeFlg, 1);
  // The window was hidden once, given its outline (the same ellipse) and shown again.
  const std::string id = std::to_string(reinterpret_cast<std::uintptr_t>(FrameHwnd()));
  std::vector<std::string> frameLog;
  for (const std::string& line : backend->log) {
    if (line.size() > id.size() && line.compare(line.size() - id.size(), id.size(), id) == 0) frameLog.push_back(line);
  }
  EXPECT_EQ(frameLog, (std::vector<std::string>{"hidden " + id, "shape " + id, "shown " + id}));
  ASSERT_EQ(backend->tray.size(), 1u);
  EXPECT_EQ(backend->tray[0].id, IDI_ROUND_WINDOW);
  const gdi::Region* shape = user::WindowShape(FrameHwnd());
  ASSERT_NE(shape, nullptr);
  EXPECT_FALSE(shape->Contains(0, 0));
}

TEST_F(SettingsDialogTest, OkWritesEveryValueInItsOrderAndTheDocumentFollows) {
  WriteSetting("ClockColor", 9);  // outside the list: no selection, OK stores -1
  WriteSetting("TopMostFlg", 0);
  ASSERT_TRUE(Start());
  // Fresh file, so that the order of the keys is the order of the writes.
  std::filesystem::remove(SettingsFile());
  RunDialog({[&](HWND d) {
    EXPECT_EQ(Item(d, 1025, CB_GETCURSEL), -1);
    ClickControl(d, IDOK);
  }});
  EXPECT_EQ(SettingKeysInFileOrder(),
            (std::vector<std::string>{"TopMostFlg", "BeforePositionFlg", "EdgeFlg", "CircleEdgeFlg", "ClockFlg",
                                      "EdgeKind", "EdgeClossFlg", "ShootingStarLevel", "SateltLevel", "BkMode",
                                      "ClockColor"}));
  EXPECT_EQ(ReadSetting("ClockColor"), -1);
  EXPECT_EQ(Doc()->ClockColor, -1);
  EXPECT_FALSE(ReadSetting("FrameSizeNo").has_value());
}

TEST_F(SettingsDialogTest, OutOfRangeValuesShowAsTheirNearestChoiceAndOkNormalisesThem) {
  WriteSetting("CircleEdgeFlg", 5);
  WriteSetting("EdgeKind", 7);
  WriteSetting("EdgeFlg", 4);
  WriteSetting("ClockFlg", -3);
  WriteSetting("ShootingStarLevel", 42);
  WriteSetting("SateltLevel", -5);
  ASSERT_TRUE(Start());
  RunDialog({[&](HWND d) {
    EXPECT_EQ(Checked(d, 1034), BST_CHECKED);
    EXPECT_EQ(Checked(d, 1009), BST_CHECKED);
    EXPECT_EQ(Item(d, 1003, TBM_GETPOS), 10);
    EXPECT_EQ(Item(d, 1004, TBM_GETPOS), 0);
    Press(VK_RETURN);
  }});
  EXPECT_EQ(ReadSetting("CircleEdgeFlg"), 1);
  EXPECT_EQ(ReadSetting("EdgeKind"), 2);
  EXPECT_EQ(ReadSetting("EdgeFlg"), 1);
  EXPECT_EQ(ReadSetting("ClockFlg"), 1);
  EXPECT_EQ(ReadSetting("ShootingStarLevel"), 10);
  EXPECT_EQ(ReadSetting("SateltLevel"), 0);
}

TEST_F(SettingsDialogTest, CancelAfterChangingEveryControlLeavesEverythingAsItWas) {
  ASSERT_TRUE(Start());
  // The document writes its values back when the program ends; Cancel writes nothing.
  const std::string before = FileText(SettingsFile());
  const size_t traysBefore = backend->tray.size();
  const int shapesBefore = static_cast<int>(std::count_if(backend->log.begin(), backend->log.end(),
                                                          [](const std::string& l) { return l.rfind("shape", 0) == 0; }));
  RunDialog({[&](HWND d) {
               ClickControl(d, 1015);
               ClickControl(d, 1016);
               ClickTab(d, 1);
             },
             [&](HWND d) {
               ClickControl(d, 1012);
               ClickControl(d, 1034);
               ClickControl(d, 1009);
               ClickControl(d, 1011);
               ClickTab(d, 2);
             },
             [&](HWND d) {
               ClickControl(d, 1019);
               ClickTab(d, 3);
             },
             [&](HWND d) {
               ::SetFocus(::GetDlgItem(d, 1003));
               Press(VK_END);
             },
             [&](HWND d) {
               ::SetFocus(::GetDlgItem(d, 1004));
               Press(VK_NEXT);  // a page is a fifth of the range
             },
             [&](HWND d) { ClickTab(d, 4); },
             [&](HWND d) {
               ClickControl(d, 1023);
             },
             [&](HWND d) {
               ::SetFocus(::GetDlgItem(d, 1025));
               Press(VK_DOWN);
             },
             [&](HWND d) {
               EXPECT_EQ(Checked(d, 1015), BST_CHECKED);
               EXPECT_EQ(Checked(d, 1034), BST_CHECKED);
               EXPECT_EQ(Checked(d, 1033), BST_UNCHECKED);
               EXPECT_EQ(Checked(d, 1019), BST_CHECKED);
               EXPECT_EQ(Checked(d, 1018), BST_UNCHECKED);
               EXPECT_EQ(Item(d, 1003, TBM_GETPOS), 10);
               EXPECT_EQ(Item(d, 1004, TBM_GETPOS), 3);  // from 1 by a page of 2
               EXPECT_EQ(Item(d, 1025, CB_GETCURSEL), 1);
               ClickControl(d, IDCANCEL);
             }});
  EXPECT_EQ(FileText(SettingsFile()), before);
  EXPECT_EQ(Doc()->CircleEdgeFlg, 0);
  EXPECT_EQ(Doc()->BkMode, 1);
  EXPECT_EQ(backend->tray.size(), traysBefore);
  const int shapesAfter = static_cast<int>(std::count_if(backend->log.begin(), backend->log.end(),
                                                         [](const std::string& l) { return l.rfind("shape", 0) == 0; }));
  EXPECT_EQ(shapesAfter, shapesBefore);
}

TEST_F(SettingsDialogTest, KeyboardTabSpaceEnterMakesTheWindowTopmostAtOnce) {
  ASSERT_TRUE(Start());
  RunDialog({[&](HWND d) {
               // From OK: Cancel, Help, then the first page's check box.
               Press(VK_TAB);
               Press(VK_TAB);
               Press(VK_TAB);
             },
             [&](HWND d) {
               EXPECT_EQ(::GetFocus(), ::GetDlgItem(d, 1015));
               // The focus left the push buttons: OK is the default button again.
               EXPECT_EQ(::GetWindowLong(::GetDlgItem(d, IDOK), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
               Press(VK_SPACE);
             },
             [&](HWND d) {
               EXPECT_EQ(Checked(d, 1015), BST_CHECKED);
               Press(VK_RETURN);
             }});
  EXPECT_EQ(ReadSetting("TopMostFlg"), 1);
  EXPECT_TRUE(::GetWindowLong(FrameHwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(SettingsDialogTest, EnterOnAnotherPushButtonPressesThatButtonNotOk) {
  ASSERT_TRUE(Start());
  const std::string before = FileText(SettingsFile());
  RunDialog({[&](HWND) {
               Press(VK_TAB);  // to "ｷｬﾝｾﾙ"
             },
             [&](HWND d) {
               EXPECT_EQ(::GetWindowLong(::GetDlgItem(d, IDCANCEL), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
               EXPECT_EQ(::GetWindowLong(::GetDlgItem(d, IDOK), GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);
               Press(VK_RETURN);
             }});
  EXPECT_EQ(FileText(SettingsFile()), before);
}

TEST_F(SettingsDialogTest, ShapeToRoundWithTheMouseMakesAnEllipseAndSwapsTheTrayIcon) {
  ASSERT_TRUE(Start());
  ASSERT_EQ(backend->tray.size(), 1u);
  EXPECT_EQ(backend->tray[0].id, IDR_MAINFRAME);
  RunDialog({[&](HWND d) { ClickTab(d, 1); },
             [&](HWND d) {
               ClickControl(d, 1034);
             },
             [&](HWND d) {
               EXPECT_EQ(Checked(d, 1034), BST_CHECKED);
               EXPECT_EQ(Checked(d, 1033), BST_UNCHECKED);
               ClickControl(d, IDOK);
             }});
  EXPECT_EQ(ReadSetting("CircleEdgeFlg"), 1);
  ASSERT_EQ(backend->tray.size(), 1u);
  EXPECT_EQ(backend->tray[0].id, IDI_ROUND_WINDOW);
  const gdi::Region* shape = user::WindowShape(FrameHwnd());
  ASSERT_NE(shape, nullptr);
  const RECT r = FrameRect();
  const int w = r.right - r.left;
  EXPECT_FALSE(shape->Contains(0, 0));
  EXPECT_TRUE(shape->Contains(w / 2, w / 2));
  EXPECT_TRUE(shape->Contains(w / 2, 0));
  EXPECT_TRUE(::IsWindowVisible(FrameHwnd()));
}

TEST_F(SettingsDialogTest, ArrowsMoveWithinARadioGroupAndChooseAndCtrlTabSwitchesTabs) {
  ASSERT_TRUE(Start());
  RunDialog({[&](HWND) { PressWith(VK_CONTROL, VK_TAB); },
             [&](HWND d) {
               EXPECT_EQ(Item(d, CConfigDlg::IDC_TABS, TCM_GETCURSEL), 1);
               EXPECT_TRUE(Shown(d, 1033));
               EXPECT_FALSE(Shown(d, 1015));
               ::SendMessage(d, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(::GetDlgItem(d, 1008)), TRUE);
               Press(VK_DOWN);
             },
             [&](HWND d) {
               EXPECT_EQ(::GetFocus(), ::GetDlgItem(d, 1009));
               EXPECT_EQ(Checked(d, 1009), BST_CHECKED);
               EXPECT_EQ(Checked(d, 1008), BST_UNCHECKED);
               // The group ends at the next label: down again comes round to "丸太風".
               Press(VK_DOWN);
             },
             [&](HWND d) {
               EXPECT_EQ(::GetFocus(), ::GetDlgItem(d, 1008));
               EXPECT_EQ(Checked(d, 1008), BST_CHECKED);
               PressWith(VK_SHIFT, VK_TAB);  // Shift held: Ctrl+Shift+Tab goes back
             },
             [&](HWND d) {
               backend->Key(VK_CONTROL, true);
               backend->Key(VK_SHIFT, true);
               Press(VK_TAB);
               backend->Key(VK_SHIFT, false);
               backend->Key(VK_CONTROL, false);
             },
             [&](HWND d) {
               EXPECT_EQ(Item(d, CConfigDlg::IDC_TABS, TCM_GETCURSEL), 0);
               EXPECT_TRUE(Shown(d, 1015));
               Press(VK_ESCAPE);
             }});
}

TEST_F(SettingsDialogTest, AskedAgainWhileUpTheOpenDialogComesForwardInsteadOfASecond) {
  ASSERT_TRUE(Start());
  int dialogs = 0;
  RunDialog({[&](HWND d) {
               // The tray's menu, chosen while the dialog is up.
               ::SetActiveWindow(FrameHwnd());
               ::PostMessage(FrameHwnd(), WM_COMMAND, ID_SETTINGS, 0);
             },
             [&](HWND d) {
               for (HWND h : user::TopLevelWindows()) dialogs += user::detail::FindDialog(h) ? 1 : 0;
               EXPECT_EQ(::GetActiveWindow(), d);
               Press(VK_ESCAPE);
             }});
  EXPECT_EQ(dialogs, 1);
}

TEST_F(SettingsDialogTest, HelpOpensTheTopicOfTheTabAndTheDialogStaysOpen) {
  ASSERT_TRUE(Start());
  std::vector<std::uintptr_t> contexts;
  RunDialog({[&](HWND d) { ClickTab(d, 2); },
             [&](HWND d) { ClickControl(d, CConfigDlg::IDC_HELP_BUTTON); },
             [&](HWND d) {
               ASSERT_FALSE(backend->helpRequests.empty());
               contexts.push_back(backend->helpRequests.back().data);
               EXPECT_EQ(backend->helpRequests.back().command, HELP_CONTEXT);
               EXPECT_EQ(backend->helpRequests.back().owner, d);
               EXPECT_EQ(std::filesystem::path(backend->helpRequests.back().file).filename(), "Lumivane.HLP");
               ClickTab(d, 4);
             },
             [&](HWND d) { ClickControl(d, CConfigDlg::IDC_HELP_BUTTON); },
             [&](HWND d) {
               contexts.push_back(backend->helpRequests.back().data);
               Press(VK_ESCAPE);
             }});
  EXPECT_EQ(contexts, (std::vector<std::uintptr_t>{104, 106}));
}

TEST_F(SettingsDialogTest, TheOwnerTakesNoInputAndItsTimersRunWhileTheDialogIsUp) {
  ASSERT_TRUE(Start());
  int skyTicks = 0;
  user::SetMessageSpy([&](const MSG& m) {
    if (m.message == WM_TIMER && m.hwnd == View()->m_hWnd && m.wParam == 1) ++skyTicks;
  });
  const RECT frame = FrameRect();
  RunDialog({[&](HWND d) {
               EXPECT_FALSE(::IsWindowEnabled(FrameHwnd()));
               EXPECT_EQ(::GetWindow(d, GW_OWNER), FrameHwnd());
               // Centred over the owner.
               RECT dr;
               ::GetWindowRect(d, &dr);
               EXPECT_NEAR((dr.left + dr.right) / 2, (frame.left + frame.right) / 2, 1);
               EXPECT_NEAR((dr.top + dr.bottom) / 2, (frame.top + frame.bottom) / 2, 1);
               backend->systemMoves.clear();
               const POINT inside{frame.left + 5, frame.top + 5};
               backend->MouseDown(inside);
               backend->MouseUp(inside);
               backend->Advance(3000);
             },
             [&](HWND d) {
               EXPECT_TRUE(backend->systemMoves.empty());
               EXPECT_GE(skyTicks, 2);
               EXPECT_EQ(::GetActiveWindow(), d);
               // A close request to the owner is refused; the dialog's own is Cancel.
               user::NativeCloseRequested(FrameHwnd());
               user::NativeCloseRequested(d);
             }});
  EXPECT_TRUE(::IsWindow(FrameHwnd()));
  EXPECT_TRUE(::IsWindowEnabled(FrameHwnd()));
  EXPECT_EQ(::GetActiveWindow(), FrameHwnd());
}

TEST_F(SettingsDialogTest, DialogUnitsComeFromTheFontAndTheLabelsFitTheirControls) {
  ASSERT_TRUE(Start());
  RunDialog({[&](HWND d) {
    RECT unit{0, 0, 4, 8};
    ASSERT_TRUE(::MapDialogRect(d, &unit));
    // The dialog font, 9 points at 96 dpi, is 12 pixels high.
    EXPECT_EQ(unit.bottom, 12 + 0 * unit.right) << "base height";
    RECT client;
    ::GetClientRect(d, &client);
    RECT templ{0, 0, 155, 111};
    ::MapDialogRect(d, &templ);
    EXPECT_EQ(client.right, templ.right);
    EXPECT_EQ(client.bottom, templ.bottom);
    RECT ok;
    ::GetWindowRect(::GetDlgItem(d, IDOK), &ok);
    POINT origin{0, 0};
    ::ClientToScreen(d, &origin);
    RECT okUnits{12, 90, 12 + 38, 90 + 14};
    ::MapDialogRect(d, &okUnits);
    EXPECT_EQ(ok.left - origin.x, okUnits.left);
    EXPECT_EQ(ok.top - origin.y, okUnits.top);
    // Every check box, radio button and label shows its whole text in its rectangle.
    HDC dc = ::GetDC(d);
    ::SelectObject(dc, AsGdiObject(reinterpret_cast<HFONT>(::SendMessage(d, WM_GETFONT, 0, 0))));
    for (HWND c = ::GetWindow(d, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
      const std::string text = GetWindowTextString(c);
      if (text.empty()) continue;
      SIZE extent;
      ::GetTextExtentPoint32(dc, text.c_str(), static_cast<int>(text.size()), &extent);
      RECT r;
      ::GetClientRect(c, &r);
      const DWORD type = ::GetWindowLong(c, GWL_STYLE) & BS_TYPEMASK;
      const bool box = user::detail::FindControl(c)->kind == user::detail::ControlData::Kind::Button &&
                       (type == BS_AUTOCHECKBOX || type == BS_AUTORADIOBUTTON);
      EXPECT_LE(extent.cx + (box ? 17 : 0), r.right) << text;
      EXPECT_LE(extent.cy, r.bottom + 2) << text;
    }
    ::ReleaseDC(d, dc);
    Press(VK_ESCAPE);
  }});
}

}  // namespace
