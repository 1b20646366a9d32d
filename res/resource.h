// Resource and command numbers of the program. The numbers are fixed: menus, the tray and
// stored settings refer to them.
#pragma once

#include "platform/core/windef.h"

// The version the program reports (--version) and its about box shows.
constexpr const char* kProductVersion = "1.31";

// Document template, frame menu, accelerators and square-window icon.
constexpr UINT IDR_MAINFRAME = 128;
constexpr UINT IDI_ROUND_WINDOW = 130;
constexpr UINT IDR_CONTEXT_MENU = 102;
constexpr UINT IDR_TRAY_MENU = 183;
// The 24 frames of the animated pointer: the star at twelve places round the arrow, then at
// the twelve places between them.
constexpr UINT IDC_STAR_CURSOR_FIRST = 144;
constexpr UINT IDC_STAR_CURSOR_BETWEEN_FIRST = 156;
constexpr int kStarCursorCount = 24;
// The about box's twinkling star, ten frames, and its round-window picture.
constexpr UINT IDC_TWINKLE_CURSOR_FIRST = 132;
constexpr int kTwinkleCursorCount = 10;
constexpr UINT IDB_ROUND_WINDOW = 181;
// The six shooting-star streaks, each a picture and its mask.
constexpr UINT IDB_STREAK_PICTURES[6] = {135, 138, 140, 142, 144, 157};
constexpr UINT IDB_STREAK_MASKS[6] = {137, 139, 141, 143, 145, 158};

// Commands of the program's own.
constexpr UINT ID_SETTINGS = 32771;
constexpr UINT ID_CAPTURE_BACKGROUND = 32772;
constexpr UINT ID_NEBULORIUM_HELP = 32773;
constexpr UINT ID_NEBULORIUM_WEB = 32774;
constexpr UINT ID_MAKER_HOME = 32775;
// Framework command numbers reused for the program's purposes.
constexpr UINT ID_CAPTURE_DESKTOP = 57638;
constexpr UINT ID_SHOW_MAIN_WINDOW = 57645;
constexpr UINT ID_ABOUT = 57664;
constexpr UINT ID_EXIT = 57665;
constexpr UINT ID_HELP_TOPICS = 57666;

// The tray icon's callback message (also the number of the string "タスクトレイ").
constexpr UINT WM_TRAY_NOTIFY = 61204;

namespace user {
struct ResourceTable;
}

// The program's compiled-in resources.
const user::ResourceTable& ProgramResources();
