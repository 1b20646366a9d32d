#include "res/resource.h"

#include <iterator>

#include "dialogs/config_dlg.h"
#include "dialogs/version_dlg.h"
#include "platform/core/commctrl.h"
#include "platform/framework/afxwin.h"
#include "platform/user/resources.h"

// Pictures: XPM arrays, drawn as pixel art (tools/art regenerates them).
#include "res/art/bitmap181.xpm"
#include "res/art/cursor132.xpm"
#include "res/art/cursor133.xpm"
#include "res/art/cursor134.xpm"
#include "res/art/cursor135.xpm"
#include "res/art/cursor136.xpm"
#include "res/art/cursor137.xpm"
#include "res/art/cursor138.xpm"
#include "res/art/cursor139.xpm"
#include "res/art/cursor140.xpm"
#include "res/art/cursor141.xpm"
#include "res/art/cursor144.xpm"
#include "res/art/cursor145.xpm"
#include "res/art/cursor146.xpm"
#include "res/art/cursor147.xpm"
#include "res/art/cursor148.xpm"
#include "res/art/cursor149.xpm"
#include "res/art/cursor150.xpm"
#include "res/art/cursor151.xpm"
#include "res/art/cursor152.xpm"
#include "res/art/cursor153.xpm"
#include "res/art/cursor154.xpm"
#include "res/art/cursor155.xpm"
#include "res/art/cursor156.xpm"
#include "res/art/cursor157.xpm"
#include "res/art/cursor158.xpm"
#include "res/art/cursor159.xpm"
#include "res/art/cursor160.xpm"
#include "res/art/cursor161.xpm"
#include "res/art/cursor162.xpm"
#include "res/art/cursor163.xpm"
#include "res/art/cursor164.xpm"
#include "res/art/cursor165.xpm"
#include "res/art/cursor166.xpm"
#include "res/art/cursor167.xpm"
#include "res/art/shootingstar135.xpm"
#include "res/art/shootingstar137.xpm"
#include "res/art/shootingstar138.xpm"
#include "res/art/shootingstar139.xpm"
#include "res/art/shootingstar140.xpm"
#include "res/art/shootingstar141.xpm"
#include "res/art/shootingstar142.xpm"
#include "res/art/shootingstar143.xpm"
#include "res/art/shootingstar144.xpm"
#include "res/art/shootingstar145.xpm"
#include "res/art/shootingstar157.xpm"
#include "res/art/shootingstar158.xpm"
#include "res/art/icon128_16.xpm"
#include "res/art/icon128_32.xpm"
#include "res/art/icon128_32hi.xpm"
#include "res/art/icon130_16.xpm"
#include "res/art/icon130_32.xpm"
#include "res/art/icon130_32hi.xpm"

namespace {

using platform::MenuEntry;
using user::Accelerator;
using user::FCONTROL;
using user::FSHIFT;
using user::FALT;
using user::FVIRTKEY;

template <size_t N>
user::XpmLines Xpm(const char* (&lines)[N]) {
  return user::XpmLines(lines, N);
}

MenuEntry Command(UINT id, const char* text) {
  MenuEntry e;
  e.id = id;
  e.text = text;
  return e;
}

MenuEntry Separator() {
  MenuEntry e;
  e.kind = MenuEntry::Kind::Separator;
  return e;
}

MenuEntry Popup(const char* text, std::vector<MenuEntry> children) {
  MenuEntry e;
  e.kind = MenuEntry::Kind::Submenu;
  e.text = text;
  e.children = std::move(children);
  return e;
}

// The context menu and the tray menu share their entries.
std::vector<MenuEntry> CommandMenu() {
  return {Popup("メニュー", {Command(ID_CAPTURE_BACKGROUND, "背景を取り込む(R)"),
                             Command(ID_SETTINGS, "設定（&C）"),
                             Separator(),
                             Command(ID_HELP_TOPICS, "ヘルプ（&H）"),
                             Command(ID_ABOUT, "バージョン情報（&A）"),
                             Separator(),
                             Command(ID_NEBULORIUM_HELP, "Nebulorium(&?)"),
                             Command(ID_NEBULORIUM_WEB, "Nebulorium for Web(&W)"),
                             Separator(),
                             Command(ID_MAKER_HOME, "Orvantworks[WWW](&G)"),
                             Separator(),
                             Command(ID_EXIT, "終了（&X）")})};
}

user::DialogItem Control(UINT id, const char* windowClass, const char* text, DWORD style, short x, short y, short cx,
                         short cy) {
  user::DialogItem item;
  item.id = id;
  item.windowClass = windowClass;
  item.text = text;
  item.style = style;
  item.x = x;
  item.y = y;
  item.cx = cx;
  item.cy = cy;
  return item;
}

// A modal dialog's frame: caption, system menu, the 9-point dialog font.
user::DialogTemplate ModalDialog(short cx, short cy, const char* caption) {
  user::DialogTemplate t;
  t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
  t.cx = cx;
  t.cy = cy;
  t.caption = caption;
  t.fontFace = "ＭＳ Ｐゴシック";
  t.pointSize = 9;
  return t;
}

// The settings dialog: every page's controls laid over one another inside the tab control,
// in tab order. Labels and "暗闇" start the groups that make the four radio pairs.
user::DialogTemplate SettingsDialog() {
  using D = CConfigDlg;
  constexpr DWORD kPush = BS_PUSHBUTTON | WS_TABSTOP;
  constexpr DWORD kCheck = BS_AUTOCHECKBOX | WS_TABSTOP;
  constexpr DWORD kRadio = BS_AUTORADIOBUTTON;
  constexpr DWORD kLabel = SS_LEFT | WS_GROUP;
  constexpr DWORD kSlider = TBS_AUTOTICKS | WS_TABSTOP;
  user::DialogTemplate t = ModalDialog(155, 111, "ﾀﾞｲｱﾛｸﾞ");
  t.items = {
      Control(IDOK, "Button", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 12, 90, 38, 14),
      Control(IDCANCEL, "Button", "ｷｬﾝｾﾙ", kPush, 58, 90, 38, 14),
      Control(D::IDC_HELP_BUTTON, "Button", "ヘルプ", kPush, 104, 90, 38, 14),
      Control(D::IDC_TABS, WC_TABCONTROL, "", 0, 7, 7, 141, 76),
      Control(D::IDC_TOPMOST, "Button", "常に手前に表示", kCheck, 17, 29, 63, 12),
      Control(D::IDC_SAVE_POSITION, "Button", "終了時の位置を保存", kCheck, 17, 45, 74, 12),
      Control(D::IDC_SHOW_FRAME, "Button", "窓枠を表示する", kCheck, 22, 30, 60, 11),
      Control(D::IDC_SHAPE_LABEL, "Static", "形", kLabel, 26, 45, 11, 10),
      Control(D::IDC_SQUARE, "Button", "四角", kRadio, 26, 55, 25, 11),
      Control(D::IDC_ROUND, "Button", "丸", kRadio, 26, 68, 25, 10),
      Control(D::IDC_MATERIAL_LABEL, "Static", "素材", kLabel, 58, 45, 18, 9),
      Control(D::IDC_LOG, "Button", "丸太風", kRadio, 58, 55, 40, 12),
      Control(D::IDC_ALUMINIUM, "Button", "アルミ風", kRadio, 58, 68, 40, 12),
      Control(D::IDC_BARS_LABEL, "Static", "枠の仕切り", kLabel, 97, 45, 35, 9),
      Control(D::IDC_WITH_BARS, "Button", "有り", kRadio, 97, 55, 28, 12),
      Control(D::IDC_WITHOUT_BARS, "Button", "無し", kRadio, 97, 68, 26, 12),
      Control(D::IDC_SATELLITE_SLIDER, TRACKBAR_CLASS, "", kSlider, 81, 45, 54, 20),
      Control(D::IDC_CLOCK_COLOR, "ComboBox", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 17, 64, 38, 77),
      Control(D::IDC_DARKNESS, "Button", "暗闇", kRadio | WS_GROUP, 19, 44, 27, 10),
      Control(D::IDC_DESKTOP, "Button", "ﾃﾞｽｸﾄｯﾌﾟ", kRadio, 56, 44, 41, 10),
      Control(D::IDC_BACKGROUND_LABEL, "Static", "背景の種類", kLabel, 18, 28, 38, 9),
      Control(D::IDC_COLOR_LABEL, "Static", "文字色", kLabel, 16, 52, 22, 10),
      Control(D::IDC_SHOW_CLOCK, "Button", "時計を表示する", kCheck, 16, 28, 59, 12),
      Control(D::IDC_SHOOTING_STAR_SLIDER, TRACKBAR_CLASS, "", kSlider, 18, 45, 54, 20),
      Control(D::IDC_STAR_LOW, "Static", "低い", kLabel, 18, 67, 16, 10),
      Control(D::IDC_STAR_HIGH, "Static", "高い", SS_CENTER | WS_GROUP, 57, 67, 16, 10),
      Control(D::IDC_STAR_LABEL, "Static", "流れ星", SS_CENTER | WS_GROUP, 33, 33, 23, 8),
      Control(D::IDC_SATELLITE_LOW, "Static", "低い", kLabel, 81, 67, 16, 10),
      Control(D::IDC_SATELLITE_HIGH, "Static", "高い", SS_RIGHT | WS_GROUP, 118, 67, 16, 10),
      Control(D::IDC_SATELLITE_LABEL, "Static", "人工衛星", kLabel, 93, 33, 31, 10),
  };
  // The colour list's items come with the template; the item index is the colour number.
  for (user::DialogItem& item : t.items) {
    if (item.id == D::IDC_CLOCK_COLOR) item.initData = {"ﾌﾞﾗｯｸ", "ﾎﾜｲﾄ", "ﾀﾞｰｸｲｴﾛｰ", "ﾀﾞｰｸｸﾞﾚｰ", "ﾀﾞｰｸﾌﾞﾙｰ", "ﾀﾞｰｸﾚｯﾄﾞ"};
  }
  return t;
}

// The about box: the square-window icon or the round-window picture, whichever its shape
// shows; its OK button is made when it opens.
user::DialogTemplate AboutBox() {
  user::DialogTemplate t = ModalDialog(121, 75, "ﾊﾞｰｼﾞｮﾝ情報");
  t.items = {
      Control(CVersionDlg::IDC_SQUARE_ICON, "Static", "#128", SS_ICON, 11, 24, 18, 20),
      Control(CVersionDlg::IDC_ROUND_BITMAP, "Static", "#181", SS_BITMAP, 46, 8, 18, 21),
  };
  return t;
}

user::ResourceTable Build() {
  user::ResourceTable t;
  t.strings = {
      {IDR_MAINFRAME, "Lumivane\n\nMy\n\n\nMy.Document\nMy Document"},
      {AFX_IDS_APP_TITLE, "Lumivane"},
      {AFX_IDS_UNTITLED, "無題"},
      {AFX_IDS_OPENFILE, "開く"},
      {AFX_IDS_SAVEFILE, "名前を付けて保存"},
      {AFX_IDS_ALLFILTER, "すべてのﾌｧｲﾙ (*.*)"},
      {AFX_IDP_FAILED_TO_OPEN_DOC, "ﾄﾞｷｭﾒﾝﾄを開くことができません。"},
      {AFX_IDP_FAILED_TO_SAVE_DOC, "ﾄﾞｷｭﾒﾝﾄを保存できませんでした。"},
      {AFX_IDP_FAILED_TO_LAUNCH_HELP, "ﾍﾙﾌﾟの起動に失敗しました。"},
      {WM_TRAY_NOTIFY, "タスクトレイ"},
  };
  // The frame's own menu, loaded with the frame and taken away again at once.
  t.menus[IDR_MAINFRAME] = {
      Popup("ファイル(&F)", {Command(ID_FILE_NEW, "新規作成(&N)\tCtrl+N"),
                             Command(ID_FILE_OPEN, "開く(&O)...\tCtrl+O"),
                             Command(ID_FILE_SAVE, "上書き保存(&S)\tCtrl+S"),
                             Separator(),
                             Command(ID_EXIT, "アプリケーションの終了(&X)")}),
      Popup("ヘルプ(&H)", {Command(ID_ABOUT, "バージョン情報(&A)...")}),
  };
  t.menus[IDR_CONTEXT_MENU] = CommandMenu();
  t.menus[IDR_TRAY_MENU] = CommandMenu();
  t.accelerators[IDR_MAINFRAME] = {
      Accelerator{FVIRTKEY | FCONTROL, 'N', 57600},     Accelerator{FVIRTKEY | FCONTROL, 'O', 57601},
      Accelerator{FVIRTKEY | FCONTROL, 'S', 57603},     Accelerator{FVIRTKEY | FCONTROL, 'Z', 57643},
      Accelerator{FVIRTKEY | FALT, VK_BACK, 57643},     Accelerator{FVIRTKEY | FCONTROL, 'X', 57635},
      Accelerator{FVIRTKEY | FSHIFT, VK_DELETE, 57635}, Accelerator{FVIRTKEY | FCONTROL, 'C', 57634},
      Accelerator{FVIRTKEY | FCONTROL, VK_INSERT, 57634}, Accelerator{FVIRTKEY | FCONTROL, 'V', 57637},
      Accelerator{FVIRTKEY | FSHIFT, VK_INSERT, 57637}, Accelerator{FVIRTKEY, VK_F6, 57680},
      Accelerator{FVIRTKEY | FSHIFT, VK_F6, 57681},
  };
  t.icons[IDR_MAINFRAME] = {Xpm(icon128_32hi), Xpm(icon128_32), Xpm(icon128_16)};
  t.icons[IDI_ROUND_WINDOW] = {Xpm(icon130_32hi), Xpm(icon130_32), Xpm(icon130_16)};
  const user::XpmLines cursors[kStarCursorCount] = {
      Xpm(cursor144), Xpm(cursor145), Xpm(cursor146), Xpm(cursor147), Xpm(cursor148), Xpm(cursor149),
      Xpm(cursor150), Xpm(cursor151), Xpm(cursor152), Xpm(cursor153), Xpm(cursor154), Xpm(cursor155),
      Xpm(cursor156), Xpm(cursor157), Xpm(cursor158), Xpm(cursor159), Xpm(cursor160), Xpm(cursor161),
      Xpm(cursor162), Xpm(cursor163), Xpm(cursor164), Xpm(cursor165), Xpm(cursor166), Xpm(cursor167)};
  for (int i = 0; i < kStarCursorCount; ++i) t.cursors[IDC_STAR_CURSOR_FIRST + static_cast<UINT>(i)] = cursors[i];
  // The six shooting stars: picture and mask of each, 48 x 48 in 16 colours.
  const user::XpmLines streaks[6] = {Xpm(shootingstar135), Xpm(shootingstar138), Xpm(shootingstar140),
                                     Xpm(shootingstar142), Xpm(shootingstar144), Xpm(shootingstar157)};
  const user::XpmLines masks[6] = {Xpm(shootingstar137), Xpm(shootingstar139), Xpm(shootingstar141),
                                   Xpm(shootingstar143), Xpm(shootingstar145), Xpm(shootingstar158)};
  for (int k = 0; k < 6; ++k) {
    t.bitmaps[IDB_STREAK_PICTURES[k]] = streaks[k];
    t.bitmaps[IDB_STREAK_MASKS[k]] = masks[k];
  }
  const user::XpmLines twinkles[kTwinkleCursorCount] = {Xpm(cursor132), Xpm(cursor133), Xpm(cursor134), Xpm(cursor135),
                                                        Xpm(cursor136), Xpm(cursor137), Xpm(cursor138), Xpm(cursor139),
                                                        Xpm(cursor140), Xpm(cursor141)};
  for (int i = 0; i < kTwinkleCursorCount; ++i) t.cursors[IDC_TWINKLE_CURSOR_FIRST + static_cast<UINT>(i)] = twinkles[i];
  t.bitmaps[IDB_ROUND_WINDOW] = Xpm(bitmap181);
  t.dialogs[CConfigDlg::IDD] = SettingsDialog();
  t.dialogs[CVersionDlg::IDD] = AboutBox();

  return t;
}

}  // namespace

const user::ResourceTable& ProgramResources() {
  static const user::ResourceTable table = Build();
  return table;
}
