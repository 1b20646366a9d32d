#include "res/resource.h"

#include <iterator>

#include "platform/framework/afxwin.h"
#include "platform/user/resources.h"

// Pictures: XPM arrays, drawn as pixel art (tools/art regenerates them).
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

  return t;
}

}  // namespace

const user::ResourceTable& ProgramResources() {
  static const user::ResourceTable table = Build();
  return table;
}
