// The window layer's dialogs on the headless backend, with a template of their own: layout in
// dialog units, the modal loop and its result, centring, each control's classic messages
// and notifications, owner drawing, and what the desktop is handed to show.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

#include "platform/backend/headless/headless_backend.h"
#include "platform/core/commctrl.h"
#include "platform/framework/afxdlgs.h"
#include "platform/gdi/gdi.h"
#include "platform/user/native.h"
#include "platform/user/resources.h"
#include "platform/user/session.h"
#include "platform/user/state.h"
#include "platform/user/user.h"

namespace {

constexpr UINT kTemplate = 700;
enum : UINT {
  kCheck = 10,
  kRadioA = 11,
  kRadioB = 12,
  kRadioC = 13,
  kLabel = 14,
  kSlider = 15,
  kList = 16,
  kTabs = 17,
  kDrawn = 18,
  kOther = 19,
};

user::DialogItem Item(UINT id, const char* cls, const char* text, DWORD style, short x, short y, short cx, short cy) {
  user::DialogItem i;
  i.id = id;
  i.windowClass = cls;
  i.text = text;
  i.style = style;
  i.x = x;
  i.y = y;
  i.cx = cx;
  i.cy = cy;
  return i;
}

user::ResourceTable MakeResources() {
  user::ResourceTable t;
  user::DialogTemplate d;
  d.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
  d.cx = 200;
  d.cy = 120;
  d.caption = "試験";
  d.fontFace = "ＭＳ Ｐゴシック";
  d.pointSize = 9;
  d.items = {
      Item(IDOK, "Button", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 10, 100, 40, 14),
      Item(IDCANCEL, "Button", "取消", BS_PUSHBUTTON | WS_TABSTOP, 60, 100, 40, 14),
      Item(kCheck, "Button", "確認", BS_AUTOCHECKBOX | WS_TABSTOP, 10, 10, 60, 12),
      Item(kRadioA, "Button", "甲", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 10, 25, 30, 12),
      Item(kRadioB, "Button", "乙", BS_AUTORADIOBUTTON, 10, 40, 30, 12),
      Item(kRadioC, "Button", "丙", BS_AUTORADIOBUTTON, 10, 55, 30, 12),
      Item(kLabel, "Static", "見出し", SS_CENTER | WS_GROUP, 80, 10, 40, 10),
      Item(kSlider, TRACKBAR_CLASS, "", TBS_AUTOTICKS | WS_TABSTOP, 80, 25, 60, 20),
      Item(kList, "ComboBox", "", CBS_DROPDOWNLIST | WS_TABSTOP, 80, 50, 50, 60),
      Item(kTabs, WC_TABCONTROL, "", 0, 150, 5, 45, 30),
      Item(kDrawn, "Button", "絵", BS_OWNERDRAW | WS_TABSTOP, 150, 60, 30, 14),
      Item(kOther, "Button", "他", BS_PUSHBUTTON | WS_TABSTOP | WS_DISABLED, 110, 100, 40, 14),
  };
  t.dialogs[kTemplate] = d;
  return t;
}

const user::ResourceTable& Resources() {
  static const user::ResourceTable table = MakeResources();
  return table;
}

// What the dialog's procedure saw.
struct Seen {
  std::vector<std::pair<int, UINT>> commands;  // id, code
  std::vector<std::pair<int, UINT>> notes;     // id, notification code
  std::vector<std::pair<int, int>> scrolls;    // scroll code, position
  std::vector<UINT> drawStates;
  bool refuseTabChange = false;
  HWND initFocusArgument = nullptr;
};
Seen* g_seen = nullptr;

LRESULT TestProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      g_seen->initFocusArgument = reinterpret_cast<HWND>(wParam);
      for (const char* text : {"一", "二", "三"}) {
        ::SendDlgItemMessage(dialog, kList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
      }
      for (const char* text : {"表", "裏"}) {
        TCITEM item;
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(text);
        ::SendDlgItemMessage(dialog, kTabs, TCM_INSERTITEM, 9, reinterpret_cast<LPARAM>(&item));
      }
      return TRUE;
    case WM_COMMAND:
      g_seen->commands.emplace_back(LOWORD(wParam), HIWORD(wParam));
      if (LOWORD(wParam) == IDOK) ::EndDialog(dialog, 77);
      if (LOWORD(wParam) == IDCANCEL) ::EndDialog(dialog, IDCANCEL);
      return TRUE;
    case WM_NOTIFY: {
      const auto* h = reinterpret_cast<const NMHDR*>(lParam);
      g_seen->notes.emplace_back(static_cast<int>(h->idFrom), h->code);
      // Refusing a change is answering TRUE to its "changing" notification.
      if (h->code == TCN_SELCHANGING && g_seen->refuseTabChange) SetWindowLong(dialog, DWLP_MSGRESULT, TRUE);
      return TRUE;
    }
    case WM_HSCROLL:
      g_seen->scrolls.emplace_back(LOWORD(wParam), static_cast<short>(HIWORD(wParam)));
      return TRUE;
    case WM_DRAWITEM:
      g_seen->drawStates.push_back(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->itemState);
      return TRUE;
    default: return FALSE;
  }
}

class DialogServiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::HeadlessBackend::Options options;
    options.screen = SIZE{800, 600};
    options.panelHeight = 40;
    Start(options, POINT{100, 100});
  }

  // A session on the given screen, with the 200-pixel owner window at `ownerAt`.
  void Start(const platform::HeadlessBackend::Options& options, POINT ownerAt) {
    backend = new platform::HeadlessBackend(options);
    platform::Initialize(std::unique_ptr<platform::Backend>(backend));
    user::RegisterResources(&Resources());
    g_seen = &seen;
    WNDCLASS wc;
    wc.lpfnWndProc = &DefWindowProc;
    wc.lpszClassName = "DialogServiceOwner";
    RegisterClass(&wc);
    owner = CreateWindowEx(0, "DialogServiceOwner", "owner", WS_POPUP | WS_VISIBLE, ownerAt.x, ownerAt.y, 200, 200,
                           nullptr, nullptr, nullptr, nullptr);
    SetTimer(owner, 5, 1000, nullptr);
  }
  void TearDown() override {
    g_seen = nullptr;
    platform::Shutdown();
  }

  // Runs the dialog modally; each time it waits for the user the next step runs.
  LRESULT Run(std::vector<std::function<void(HWND)>> steps) {
    size_t next = 0;
    backend->idle = [&] {
      HWND dialog = nullptr;
      for (HWND h : user::TopLevelWindows()) {
        if (user::detail::FindDialog(h) && IsWindowVisible(h)) dialog = h;
      }
      if (!dialog || next >= steps.size()) throw std::runtime_error("the dialog waits with nothing left to do");
      steps[next++](dialog);
    };
    const LRESULT result = DialogBoxParam(user::ProgramInstance(), MAKEINTRESOURCE(kTemplate), owner, &TestProc, 0);
    backend->idle = nullptr;
    return result;
  }

  void Press(int vk) {
    backend->Key(vk, true);
    backend->Key(vk, false);
  }
  void Click(HWND control, int dx = -1, int dy = -1) {
    RECT r;
    GetWindowRect(control, &r);
    const POINT at{dx < 0 ? (r.left + r.right) / 2 : r.left + dx, dy < 0 ? (r.top + r.bottom) / 2 : r.top + dy};
    backend->MouseDown(at);
    backend->MouseUp(at);
  }

  platform::HeadlessBackend* backend = nullptr;
  HWND owner = nullptr;
  Seen seen;
};

TEST_F(DialogServiceTest, LaysOutInDialogUnitsAndFocusesTheFirstTabStop) {
  const LRESULT result = Run({[&](HWND d) {
    EXPECT_EQ(GetWindowTextString(d), "試験");
    EXPECT_EQ(seen.initFocusArgument, GetDlgItem(d, IDOK));
    EXPECT_EQ(GetFocus(), GetDlgItem(d, IDOK));
    RECT units{0, 0, 4, 8};
    ASSERT_TRUE(MapDialogRect(d, &units));
    // The base units come from the font: the line height of a 12-pixel font, the average
    // width of its Latin letters.
    EXPECT_EQ(units.bottom, 12);
    EXPECT_GE(units.right, 5);
    EXPECT_LE(units.right, 8);
    RECT client;
    GetClientRect(d, &client);
    EXPECT_EQ(client.right, 200 * units.right / 4);
    EXPECT_EQ(client.bottom, 120 * units.bottom / 8);
    RECT slider;
    GetWindowRect(GetDlgItem(d, kSlider), &slider);
    POINT origin{0, 0};
    ClientToScreen(d, &origin);
    EXPECT_EQ(slider.left - origin.x, 80 * units.right / 4);
    EXPECT_EQ(slider.top - origin.y, 25 * units.bottom / 8);
    EXPECT_EQ(slider.right - slider.left, 60 * units.right / 4);
    // A drop-down list is one line tall; the template's height is its open list's.
    RECT list;
    GetWindowRect(GetDlgItem(d, kList), &list);
    EXPECT_LT(list.bottom - list.top, 30);
    // The tab order is the template's, passing over what is disabled or not a tab stop.
    std::vector<int> order;
    for (HWND h = GetNextDlgTabItem(d, GetDlgItem(d, IDOK), FALSE); h != GetDlgItem(d, IDOK);
         h = GetNextDlgTabItem(d, h, FALSE)) {
      order.push_back(GetDlgCtrlID(h));
    }
    EXPECT_EQ(order, (std::vector<int>{IDCANCEL, kCheck, kRadioA, kSlider, kList, kDrawn}));
    EXPECT_EQ(GetDlgCtrlID(GetNextDlgTabItem(d, GetDlgItem(d, IDOK), TRUE)), kDrawn);
    Press(VK_RETURN);
  }});
  EXPECT_EQ(result, 77);
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_EQ(GetActiveWindow(), owner);
}

TEST_F(DialogServiceTest, ButtonsAndRadioGroupsAnswerTheClassicMessages) {
  Run({[&](HWND d) {
         EXPECT_EQ(IsDlgButtonChecked(d, kCheck), BST_UNCHECKED);
         CheckDlgButton(d, kCheck, BST_CHECKED);
         EXPECT_EQ(IsDlgButtonChecked(d, kCheck), BST_CHECKED);
         EXPECT_TRUE(seen.commands.empty()) << "setting a check is not a click";
         CheckRadioButton(d, kRadioA, kRadioC, kRadioB);
         EXPECT_EQ(IsDlgButtonChecked(d, kRadioB), BST_CHECKED);
         EXPECT_EQ(IsDlgButtonChecked(d, kRadioA), BST_UNCHECKED);
         // A click on an automatic radio button checks it and unchecks its group.
         SendDlgItemMessage(d, kRadioC, BM_CLICK, 0, 0);
         EXPECT_EQ(IsDlgButtonChecked(d, kRadioC), BST_CHECKED);
         EXPECT_EQ(IsDlgButtonChecked(d, kRadioB), BST_UNCHECKED);
         ASSERT_EQ(seen.commands.size(), 1u);
         EXPECT_EQ(seen.commands[0], std::make_pair(static_cast<int>(kRadioC), BN_CLICKED));
         // The mouse: a press and a release outside is no click.
         HWND check = GetDlgItem(d, kCheck);
         RECT r;
         GetWindowRect(check, &r);
         backend->MouseDown(POINT{r.left + 2, r.top + 2});
         backend->MouseMove(POINT{r.right + 30, r.top + 2});
         backend->MouseUp(POINT{r.right + 30, r.top + 2});
       },
       [&](HWND d) {
         EXPECT_EQ(IsDlgButtonChecked(d, kCheck), BST_CHECKED);
         EXPECT_EQ(seen.commands.size(), 1u);
         EXPECT_EQ(GetFocus(), GetDlgItem(d, kCheck)) << "a press takes the focus";
         Press(VK_SPACE);
       },
       [&](HWND d) {
         EXPECT_EQ(IsDlgButtonChecked(d, kCheck), BST_UNCHECKED);
         // A disabled button does nothing.
         Click(GetDlgItem(d, kOther));
       },
       [&](HWND d) {
         for (const auto& c : seen.commands) EXPECT_NE(c.first, static_cast<int>(kOther));
         Press(VK_ESCAPE);
       }});
}

TEST_F(DialogServiceTest, SliderListAndTabControlKeepTheirRangesAndNotify) {
  Run({[&](HWND d) {
         HWND slider = GetDlgItem(d, kSlider);
         SendMessage(slider, TBM_SETRANGE, FALSE, MAKELPARAM(0, 10));
         SendMessage(slider, TBM_SETPOS, TRUE, 42);
         EXPECT_EQ(SendMessage(slider, TBM_GETPOS, 0, 0), 10);
         SendMessage(slider, TBM_SETPOS, TRUE, -3);
         EXPECT_EQ(SendMessage(slider, TBM_GETPOS, 0, 0), 0);
         EXPECT_TRUE(seen.scrolls.empty()) << "setting the position is no scroll";
         SetFocus(slider);
         Press(VK_RIGHT);
         Press(VK_END);
       },
       [&](HWND d) {
         EXPECT_EQ(SendDlgItemMessage(d, kSlider, TBM_GETPOS, 0, 0), 10);
         EXPECT_EQ(seen.scrolls, (std::vector<std::pair<int, int>>{
                                     {TB_LINEDOWN, 0}, {TB_ENDTRACK, 0}, {TB_BOTTOM, 0}, {TB_ENDTRACK, 0}}));
         // The list: nothing chosen is -1; out of range clears and reports the error.
         HWND list = GetDlgItem(d, kList);
         EXPECT_EQ(SendMessage(list, CB_GETCOUNT, 0, 0), 3);
         EXPECT_EQ(SendMessage(list, CB_GETCURSEL, 0, 0), -1);
         EXPECT_EQ(SendMessage(list, CB_SETCURSEL, 2, 0), 2);
         EXPECT_EQ(SendMessage(list, CB_SETCURSEL, 5, 0), CB_ERR);
         EXPECT_EQ(SendMessage(list, CB_GETCURSEL, 0, 0), -1);
         SetFocus(list);
         Press(VK_DOWN);
       },
       [&](HWND d) {
         EXPECT_EQ(SendDlgItemMessage(d, kList, CB_GETCURSEL, 0, 0), 0);
         EXPECT_EQ(seen.commands.back(), std::make_pair(static_cast<int>(kList), CBN_SELCHANGE));
         // Tabs: the first inserted is chosen; a click asks first, and may be refused.
         HWND tabs = GetDlgItem(d, kTabs);
         EXPECT_EQ(SendMessage(tabs, TCM_GETITEMCOUNT, 0, 0), 2);
         EXPECT_EQ(SendMessage(tabs, TCM_GETCURSEL, 0, 0), 0);
         seen.refuseTabChange = true;
         RECT second;
         SendMessage(tabs, TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&second));
         Click(tabs, (second.left + second.right) / 2, (second.top + second.bottom) / 2);
       },
       [&](HWND d) {
         HWND tabs = GetDlgItem(d, kTabs);
         EXPECT_EQ(SendMessage(tabs, TCM_GETCURSEL, 0, 0), 0);
         EXPECT_EQ(seen.notes.back(), std::make_pair(static_cast<int>(kTabs), TCN_SELCHANGING));
         seen.refuseTabChange = false;
         seen.notes.clear();
         RECT second;
         SendMessage(tabs, TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&second));
         Click(tabs, (second.left + second.right) / 2, (second.top + second.bottom) / 2);
       },
       [&](HWND d) {
         EXPECT_EQ(SendDlgItemMessage(d, kTabs, TCM_GETCURSEL, 0, 0), 1);
         EXPECT_EQ(seen.notes, (std::vector<std::pair<int, UINT>>{{kTabs, TCN_SELCHANGING}, {kTabs, TCN_SELCHANGE}}));
         Press(VK_ESCAPE);
       }});
}

TEST_F(DialogServiceTest, OwnerDrawnButtonsAreDrawnByTheParentWithTheirState) {
  Run({[&](HWND d) {
         HWND drawn = GetDlgItem(d, kDrawn);
         seen.drawStates.clear();
         RECT r;
         GetWindowRect(drawn, &r);
         backend->MouseDown(POINT{r.left + 3, r.top + 3});
       },
       [&](HWND d) {
         ASSERT_FALSE(seen.drawStates.empty());
         EXPECT_EQ(seen.drawStates.back() & (ODS_SELECTED | ODS_FOCUS), ODS_SELECTED | ODS_FOCUS);
         RECT r;
         GetWindowRect(GetDlgItem(d, kDrawn), &r);
         backend->MouseUp(POINT{r.left + 3, r.top + 3});
       },
       [&](HWND d) {
         EXPECT_EQ(seen.drawStates.back() & ODS_SELECTED, 0u);
         EXPECT_EQ(seen.commands.back(), std::make_pair(static_cast<int>(kDrawn), BN_CLICKED));
         EnableWindow(GetDlgItem(d, kDrawn), FALSE);
       },
       [&](HWND d) {
         EXPECT_NE(seen.drawStates.back() & ODS_DISABLED, 0u);
         // Enter on an owner-drawn button presses it, as on any push button.
         EnableWindow(GetDlgItem(d, kDrawn), TRUE);
         SetFocus(GetDlgItem(d, kDrawn));
         Press(VK_RETURN);
       },
       [&](HWND d) {
         EXPECT_EQ(seen.commands.back(), std::make_pair(static_cast<int>(kDrawn), BN_CLICKED));
         PostMessage(d, WM_CLOSE, 0, 0);  // the close box is Cancel
       }});
  EXPECT_EQ(seen.commands.back(), std::make_pair(static_cast<int>(IDCANCEL), BN_CLICKED));
}

TEST_F(DialogServiceTest, TheOwnerIsDisabledItsTimersRunAndAQuitCancels) {
  int ownerTicks = 0;
  user::SetMessageSpy([&](const MSG& m) {
    if (m.message == WM_TIMER && m.hwnd == owner) ++ownerTicks;
  });
  const LRESULT result = Run({[&](HWND d) {
    EXPECT_FALSE(IsWindowEnabled(owner));
    backend->Advance(3500);
    PostQuitMessage(3);
  }});
  user::SetMessageSpy(nullptr);
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_GE(ownerTicks, 3);
  EXPECT_TRUE(IsWindowEnabled(owner));
  MSG m;
  EXPECT_TRUE(PeekMessage(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit is left for the main loop";
}

TEST_F(DialogServiceTest, TheDesktopIsToldWhatEachNativeControlShows) {
  Run({[&](HWND d) {
    const auto& shown = backend->controls;
    HWND check = GetDlgItem(d, kCheck);
    ASSERT_TRUE(shown.count(check));
    EXPECT_EQ(shown.at(check).kind, platform::NativeControlState::Kind::CheckBox);
    EXPECT_EQ(shown.at(check).text, "確認");
    EXPECT_TRUE(shown.at(check).visible);
    EXPECT_FALSE(shown.at(check).fontFamily.empty());
    EXPECT_EQ(shown.at(check).fontPixels, 12);
    CheckDlgButton(d, kCheck, BST_CHECKED);
    EXPECT_TRUE(shown.at(check).checked);
    ShowWindow(check, SW_HIDE);
    EXPECT_FALSE(shown.at(check).visible);
    EXPECT_EQ(shown.at(GetDlgItem(d, kLabel)).alignment, 1);
    EXPECT_TRUE(shown.at(GetDlgItem(d, IDOK)).defaultButton);
    EXPECT_TRUE(shown.at(GetDlgItem(d, IDOK)).focused);
    EXPECT_FALSE(shown.at(GetDlgItem(d, kOther)).enabled);
    EXPECT_EQ(shown.at(GetDlgItem(d, kTabs)).items, (std::vector<std::string>{"表", "裏"}));
    // Drawn by the program itself: never a native widget.
    EXPECT_FALSE(shown.count(GetDlgItem(d, kDrawn)));
    // What the user does to a native widget comes back as the control's own action.
    user::NativeControlSelected(GetDlgItem(d, kList), 1);
    user::NativeSliderMoved(GetDlgItem(d, kSlider), 7, true);
    user::NativeControlClicked(GetDlgItem(d, kRadioB));
  },
       [&](HWND d) {
         EXPECT_EQ(SendDlgItemMessage(d, kList, CB_GETCURSEL, 0, 0), 1);
         EXPECT_EQ(SendDlgItemMessage(d, kSlider, TBM_GETPOS, 0, 0), 7);
         EXPECT_EQ(IsDlgButtonChecked(d, kRadioB), BST_CHECKED);
         EXPECT_EQ(seen.scrolls.back(), std::make_pair(TB_ENDTRACK, 0));
         Press(VK_ESCAPE);
       }});
  EXPECT_TRUE(backend->controls.empty()) << "the widgets go with the dialog";
}

// The framework's dialog: centred over its owner, or over the work area when the owner is
// hidden, and inside the work area.
class CenteredDialog : public CDialog {
 public:
  CenteredDialog() : CDialog(kTemplate) {}
};

// Where the framework puts a dialog of the application's main window `owner`: opens one
// and looks at it once it waits for the user.
RECT WhereTheDialogOpens(platform::HeadlessBackend& backend, HWND owner) {
  CWinApp app;
  CWnd ownerWnd;
  ownerWnd.Attach(owner);
  app.m_pMainWnd = &ownerWnd;
  RECT placed{};
  backend.idle = [&] {
    for (HWND h : user::TopLevelWindows()) {
      if (user::detail::FindDialog(h) && IsWindowVisible(h)) {
        GetWindowRect(h, &placed);
        backend.Key(VK_ESCAPE, true);
        backend.Key(VK_ESCAPE, false);
        return;
      }
    }
    throw std::runtime_error("no dialog");
  };
  CenteredDialog dialog;
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  backend.idle = nullptr;
  app.m_pMainWnd = nullptr;
  ownerWnd.Detach();
  return placed;
}

TEST_F(DialogServiceTest, TheFrameworkCentresOverTheOwnerOrTheWorkAreaAndKeepsItInside) {
  RECT placed = WhereTheDialogOpens(*backend, owner);
  EXPECT_NEAR((placed.left + placed.right) / 2, 200, 1);
  EXPECT_NEAR((placed.top + placed.bottom) / 2, 200, 1);
  // Hidden owner: the middle of the work area (the screen above its 40-pixel panel).
  ShowWindow(owner, SW_HIDE);
  placed = WhereTheDialogOpens(*backend, owner);
  EXPECT_NEAR((placed.left + placed.right) / 2, 400, 1);
  EXPECT_NEAR((placed.top + placed.bottom) / 2, 280, 1);
  // An owner at the corner: the dialog stays whole inside the work area.
  SetWindowPos(owner, nullptr, 700, 520, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
  placed = WhereTheDialogOpens(*backend, owner);
  EXPECT_LE(placed.right, 800);
  EXPECT_LE(placed.bottom, 560);
}

// Two monitors side by side: a dialog of a window on the second one comes up over it and
// stays within that monitor, instead of being pushed onto the first.
TEST_F(DialogServiceTest, OnTheSecondMonitorTheDialogStaysWithItsOwner) {
  platform::Shutdown();
  platform::HeadlessBackend::Options options;
  options.screen = SIZE{1600, 600};
  options.monitors = {RECT{0, 0, 800, 600}, RECT{800, 0, 1600, 600}};
  Start(options, POINT{900, 200});
  RECT placed = WhereTheDialogOpens(*backend, owner);
  EXPECT_NEAR((placed.left + placed.right) / 2, 1000, 1);
  EXPECT_NEAR((placed.top + placed.bottom) / 2, 300, 1);
  // At the far edge of the second monitor: inside that monitor's right edge.
  SetWindowPos(owner, nullptr, 1500, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  EXPECT_EQ(WhereTheDialogOpens(*backend, owner).right, 1600);
  // Over the seam, mostly on the first monitor: kept whole on the first.
  SetWindowPos(owner, nullptr, 650, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  placed = WhereTheDialogOpens(*backend, owner);
  EXPECT_LE(placed.right, 800);
  EXPECT_GE(placed.left, 0);
}

}  // namespace
