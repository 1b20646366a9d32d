// The window-system calls the program and the framework make, with their classic names and
// meanings: windows and their messages, timers, painting, window regions, cursors, icons,
// menus, accelerators, string resources, message boxes, the tray and sounds.
#pragma once

#include <cstdint>
#include <string>

#include "platform/core/windef.h"

// ---- Window classes and windows ----
BOOL RegisterClass(const WNDCLASS* wc);
BOOL GetClassInfo(HINSTANCE instance, const char* className, WNDCLASS* out);
HWND CreateWindowEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, int x,
                    int y, int width, int height, HWND parent, HMENU menuOrId, HINSTANCE instance,
                    void* param);
BOOL DestroyWindow(HWND hwnd);
BOOL IsWindow(HWND hwnd);
BOOL IsWindowVisible(HWND hwnd);
BOOL IsChild(HWND parent, HWND hwnd);
HWND GetParent(HWND hwnd);
HWND GetDesktopWindow();
HWND GetTopWindow(HWND parent);
constexpr UINT GW_HWNDNEXT = 2;
constexpr UINT GW_OWNER = 4;
constexpr UINT GW_CHILD = 5;
HWND GetWindow(HWND hwnd, UINT command);
HWND GetDlgItem(HWND parent, int id);
int GetDlgCtrlID(HWND hwnd);
LONG GetWindowLong(HWND hwnd, int index);
LONG SetWindowLong(HWND hwnd, int index, LONG value);
std::intptr_t GetWindowUserData(HWND hwnd);
void SetWindowUserData(HWND hwnd, std::intptr_t data);
WNDPROC GetWindowProc(HWND hwnd);
WNDPROC SetWindowProc(HWND hwnd, WNDPROC proc);
BOOL SetWindowText(HWND hwnd, const char* text);
int GetWindowText(HWND hwnd, char* buffer, int size);
std::string GetWindowTextString(HWND hwnd);

BOOL ShowWindow(HWND hwnd, int command);
BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint);
BOOL GetWindowRect(HWND hwnd, RECT* rect);
BOOL GetClientRect(HWND hwnd, RECT* rect);
BOOL ClientToScreen(HWND hwnd, POINT* point);
BOOL ScreenToClient(HWND hwnd, POINT* point);
int GetSystemMetrics(int index);
// The monitor a rectangle or point lies on (the one it covers most), or, when it lies on
// none, the nearest or the primary one, or none, as the flags say.
HMONITOR MonitorFromRect(const RECT* rect, DWORD flags);
HMONITOR MonitorFromPoint(POINT point, DWORD flags);
HMONITOR MonitorFromWindow(HWND hwnd, DWORD flags);
BOOL GetMonitorInfo(HMONITOR monitor, MONITORINFO* info);
constexpr UINT SPI_GETWORKAREA = 0x0030;
// SPI_GETWORKAREA: the screen's part not taken by panels, into the RECT `param` points to.
BOOL SystemParametersInfo(UINT action, UINT uiParam, void* param, UINT winIni);

HWND GetActiveWindow();
HWND SetActiveWindow(HWND hwnd);
HWND GetForegroundWindow();
BOOL SetForegroundWindow(HWND hwnd);
HWND GetFocus();
HWND SetFocus(HWND hwnd);
HWND GetCapture();
HWND SetCapture(HWND hwnd);
BOOL ReleaseCapture();
short GetKeyState(int virtualKey);

// The window takes the region over: the handle is no longer the caller's.
int SetWindowRgn(HWND hwnd, HRGN region, BOOL redraw);
// Copies the window's region into an existing region; ERROR when the window has none.
int GetWindowRgn(HWND hwnd, HRGN region);

BOOL EnableWindow(HWND hwnd, BOOL enable);
BOOL IsWindowEnabled(HWND hwnd);

// ---- Dialogs ----
// Makes the dialog of a template resource, owned by `owner`'s top-level window, runs it
// modally (the owner takes no input meanwhile; timers and paints go on) and returns what
// EndDialog was given, or -1 when the dialog could not be made.
LRESULT DialogBoxParam(HINSTANCE instance, const char* templateName, HWND owner, DLGPROC proc,
                       LPARAM param);
// A modeless dialog of a template: made, initialised and (with WS_VISIBLE) shown.
HWND CreateDialogParam(HINSTANCE instance, const char* templateName, HWND owner, DLGPROC proc,
                       LPARAM param);
BOOL EndDialog(HWND dialog, LRESULT result);
// The dialog's keyboard: Tab, arrows in radio groups, Enter, Escape, Ctrl+Tab. True when
// the message was the dialog's (it has then been handled).
BOOL IsDialogMessage(HWND dialog, MSG* msg);
LRESULT DefDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous);
HWND GetNextDlgGroupItem(HWND dialog, HWND control, BOOL previous);
LRESULT SendDlgItemMessage(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam);
UINT IsDlgButtonChecked(HWND dialog, int id);
BOOL CheckDlgButton(HWND dialog, int id, UINT check);
BOOL CheckRadioButton(HWND dialog, int first, int last, int check);
// Dialog units to pixels with the dialog's font.
BOOL MapDialogRect(HWND dialog, RECT* rect);

// ---- Messages ----
LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
BOOL PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
BOOL GetMessage(MSG* msg, HWND hwnd, UINT first, UINT last);
constexpr UINT PM_NOREMOVE = 0;
constexpr UINT PM_REMOVE = 1;
BOOL PeekMessage(MSG* msg, HWND hwnd, UINT first, UINT last, UINT remove);
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessage(const MSG* msg);
LRESULT CallWindowProc(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT DefWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
DWORD GetMessageTime();
// Message currently being handled by a window procedure, for the framework's Default().
const MSG* GetCurrentMessage();

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc);
BOOL KillTimer(HWND hwnd, UINT_PTR id);

// ---- Painting ----
BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase);
BOOL InvalidateRgn(HWND hwnd, HRGN region, BOOL erase);
BOOL ValidateRect(HWND hwnd, const RECT* rect);
BOOL GetUpdateRect(HWND hwnd, RECT* rect, BOOL erase);
BOOL UpdateWindow(HWND hwnd);
HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps);
BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps);
HDC GetDC(HWND hwnd);
HDC GetWindowDC(HWND hwnd);
int ReleaseDC(HWND hwnd, HDC hdc);
HWND WindowFromDC(HDC hdc);

// ---- Cursors and icons ----
HCURSOR LoadCursor(HINSTANCE instance, const char* name);
BOOL DestroyCursor(HCURSOR cursor);
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();
BOOL GetCursorPos(POINT* point);
HICON LoadIcon(HINSTANCE instance, const char* name);
// A bitmap from the program's resources, compatible with the display. Each call makes a
// new bitmap the caller deletes.
HBITMAP LoadBitmap(HINSTANCE instance, const char* name);
BOOL DestroyIcon(HICON icon);
// Draws the icon's standard (32 x 32) picture with its top-left corner at (x, y); its
// transparent pixels leave the DC's pixels as they were.
BOOL DrawIcon(HDC hdc, int x, int y, HICON icon);

// ---- Menus and accelerators ----
HMENU LoadMenu(HINSTANCE instance, const char* name);
HMENU GetSubMenu(HMENU menu, int position);
int GetMenuItemCount(HMENU menu);
UINT GetMenuItemID(HMENU menu, int position);
UINT GetMenuState(HMENU menu, UINT item, UINT flags);
int GetMenuString(HMENU menu, UINT item, char* buffer, int size, UINT flags);
UINT EnableMenuItem(HMENU menu, UINT item, UINT enable);
BOOL DestroyMenu(HMENU menu);
BOOL IsMenu(HMENU menu);
BOOL SetMenu(HWND hwnd, HMENU menu);
HMENU GetMenu(HWND hwnd);
BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner,
                    const RECT* ignored);

HACCEL LoadAccelerators(HINSTANCE instance, const char* name);
BOOL DestroyAcceleratorTable(HACCEL accel);
int TranslateAccelerator(HWND hwnd, HACCEL accel, MSG* msg);

// ---- Help and shell ----
// Commands (windef.h): HELP_CONTEXT the topic numbered `data`, HELP_CONTENTS and HELP_FINDER
// the contents topic, HELP_QUIT closes the file's viewer.
// Opens (or closes) the help viewer of `helpFile`; one viewer a file, reused. FALSE when no
// help service could be started.
BOOL WinHelp(HWND hwnd, const char* helpFile, UINT command, std::uintptr_t data);
// With the verb "open" (or none), hands a web address, or a file, to the desktop's opener.
// Returns a value above 32 when it was handed over, as the classic call does.
HINSTANCE ShellExecute(HWND hwnd, const char* verb, const char* file, const char* parameters,
                       const char* directory, int show);

// ---- Sound ----
// Stops whatever sound plays, then plays the named sound file in the background: over and
// over with SND_LOOP, until the next call. A null `sound` only stops. A bare file name is
// looked for in the program folder (platform::ProgramFolder), then in the sounds folders of
// the user's and the system's data folders ($XDG_DATA_HOME/sounds, then each of
// $XDG_DATA_DIRS + /sounds); a name with '/' is a path. The call never waits for the sound,
// SND_ASYNC or not: the program's one thread must not stall on it. There is no default sound,
// so SND_NODEFAULT changes nothing. FALSE when nothing could be played (no such file, or one
// that cannot be read or decoded); TRUE when the sound started, and for a stop.
BOOL sndPlaySound(const char* sound, UINT flags);

// ---- Strings, message boxes, shell ----
int LoadString(HINSTANCE instance, UINT id, char* buffer, int size);
int MessageBox(HWND owner, const char* text, const char* caption, UINT type);
BOOL Shell_NotifyIcon(DWORD message, const NOTIFYICONDATAA* data);

HINSTANCE GetModuleHandle(const char* name);
