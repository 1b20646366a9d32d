// Dialogs: windows made from a template of controls laid out in dialog units, their default
// procedure, the dialog keyboard (Tab, arrows in radio groups, Enter, Escape, Ctrl+Tab) and
// the modal loop that runs them while the owner takes no input.
#include <algorithm>

#include "platform/core/commctrl.h"
#include "platform/gdi/gdi.h"
#include "platform/user/resources.h"
#include "platform/user/session.h"
#include "platform/user/state.h"
#include "platform/user/user.h"

using namespace user::detail;

namespace {

constexpr const char* kDialogClass = "#32770";
// The screen's resolution, for the template font's point size.
constexpr int kPixelsPerInch = 96;

const user::DialogTemplate* FindTemplate(const char* name) {
  const user::ResourceTable* t = user::Resources();
  if (!t || !name) return nullptr;
  UINT number = 0;
  if (IS_INTRESOURCE(name)) {
    number = static_cast<UINT>(reinterpret_cast<std::uintptr_t>(name));
  } else if (name[0] == '#') {
    number = static_cast<UINT>(std::strtoul(name + 1, nullptr, 10));
  } else {
    return nullptr;
  }
  auto it = t->dialogs.find(number);
  return it == t->dialogs.end() ? nullptr : &it->second;
}

// The dialog's base units: the average width of the letters and the height of a line of
// its font, as the classic dialog manager measures them.
SIZE BaseUnits(HFONT font) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = font ? SelectObject(dc, AsGdiObject(font)) : nullptr;
  static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  SIZE extent;
  GetTextExtentPoint32(dc, kLetters, 52, &extent);
  TEXTMETRIC tm;
  GetTextMetrics(dc, &tm);
  if (old) SelectObject(dc, old);
  DeleteDC(dc);
  // Rounded to the nearest pixel.
  return SIZE{std::max<LONG>(1, (extent.cx / 26 + 1) / 2), std::max<LONG>(1, tm.tmHeight)};
}

RECT ToPixels(SIZE units, int x, int y, int cx, int cy) {
  const int left = x * units.cx / 4;
  const int top = y * units.cy / 8;
  return RECT{left, top, left + cx * units.cx / 4, top + cy * units.cy / 8};
}

DWORD StyleOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLong(hwnd, GWL_STYLE)); }

bool IsTabStopCandidate(HWND hwnd) {
  const DWORD style = StyleOf(hwnd);
  return (style & WS_TABSTOP) && (style & WS_VISIBLE) && !(style & WS_DISABLED);
}

std::vector<HWND> ControlsOf(HWND dialog) {
  std::vector<HWND> out;
  for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) out.push_back(c);
  return out;
}

UINT DialogCode(HWND control, const MSG* msg) {
  return control ? static_cast<UINT>(SendMessage(control, WM_GETDLGCODE, msg ? msg->wParam : 0,
                                                 reinterpret_cast<LPARAM>(msg)))
                 : 0;
}

bool IsPushButton(HWND control) {
  return (DialogCode(control, nullptr) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0;
}

void SetButtonLook(HWND button, bool asDefault) {
  if (!button) return;
  const UINT code = DialogCode(button, nullptr);
  const DWORD type = StyleOf(button) & BS_TYPEMASK;
  if (type == BS_OWNERDRAW) return;
  if (asDefault && (code & DLGC_UNDEFPUSHBUTTON)) SendMessage(button, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
  if (!asDefault && (code & DLGC_DEFPUSHBUTTON)) SendMessage(button, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
}

// Presses a button of the dialog as Enter or Escape does: the dialog hears the command.
void PressButton(HWND dialog, int id) {
  HWND button = GetDlgItem(dialog, id);
  if (button && (StyleOf(button) & WS_DISABLED)) return;
  SendMessage(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

HWND FirstTabStop(HWND dialog) { return GetNextDlgTabItem(dialog, nullptr, FALSE); }

// Ctrl+Tab: the dialog's tab control moves on by one tab, round the ends, with its
// notifications, as if the user had clicked the tab.
bool SwitchTabs(HWND dialog, bool backwards) {
  for (HWND c : ControlsOf(dialog)) {
    const ControlData* data = FindControl(c);
    if (!data || data->kind != ControlData::Kind::TabControl || !(StyleOf(c) & WS_VISIBLE)) continue;
    const int count = static_cast<int>(data->items.size());
    if (count < 2) return true;
    const int next = ((data->selection < 0 ? 0 : data->selection) + (backwards ? count - 1 : 1)) % count;
    NMHDR header{c, static_cast<UINT>(GetDlgCtrlID(c)), TCN_SELCHANGING};
    if (SendMessage(dialog, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header))) return true;
    SendMessage(c, TCM_SETCURSEL, static_cast<WPARAM>(next), 0);
    header.code = TCN_SELCHANGE;
    SendMessage(dialog, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
    return true;
  }
  return false;
}

// Makes the dialog's window and its controls, sends the initialisation and sets the focus.
std::vector<DialogData>& PendingDialogs() {
  static std::vector<DialogData> pending;
  return pending;
}

HWND MakeDialog(const user::DialogTemplate& t, HWND owner, DLGPROC proc, LPARAM param, bool modal) {
  RegisterSystemClasses();
  HFONT font = nullptr;
  if (t.style & DS_SETFONT) {
    font = CreateFont(-(t.pointSize * kPixelsPerInch + 36) / 72, 0, 0, 0, FW_NORMAL, 0, 0, 0, SHIFTJIS_CHARSET, 0, 0,
                      0, 0, t.fontFace.c_str());
  }
  const SIZE units = BaseUnits(font);
  DWORD exStyle = t.exStyle;
  if (t.style & DS_MODALFRAME) exStyle |= WS_EX_DLGMODALFRAME;
  const DWORD style = t.style & ~WS_VISIBLE;
  RECT client = ToPixels(units, t.x, t.y, t.cx, t.cy);
  // The window is the client area with the frame round it; it is placed (centred by its
  // owner's framework) after initialisation.
  Window probe;
  probe.style = style;
  probe.exStyle = exStyle;
  const RECT in = Insets(probe);
  RECT ownerRect{};
  if (owner) GetWindowRect(owner, &ownerRect);
  const int width = (client.right - client.left) + in.left + in.right;
  const int height = (client.bottom - client.top) + in.top + in.bottom;

  DialogData data;
  data.proc = proc;
  data.param = param;
  data.font = font;
  data.baseUnits = units;
  data.modal = modal;
  // The dialog's data must be there for the first message its procedure sees.
  PendingDialogs().push_back(data);
  const HWND dialog = CreateWindowEx(exStyle, kDialogClass, t.caption.c_str(), style, ownerRect.left + client.left,
                                     ownerRect.top + client.top, width, height, owner, nullptr,
                                     user::ProgramInstance(), nullptr);
  PendingDialogs().pop_back();
  if (!dialog) {
    if (font) DeleteObject(font);
    return nullptr;
  }
  for (const user::DialogItem& item : t.items) {
    const RECT r = ToPixels(units, item.x, item.y, item.cx, item.cy);
    HWND control = CreateWindowEx(0, item.windowClass.c_str(), item.text.c_str(), item.style | WS_CHILD | WS_VISIBLE,
                                  r.left, r.top, r.right - r.left, r.bottom - r.top, dialog,
                                  reinterpret_cast<HMENU>(static_cast<std::uintptr_t>(item.id)),
                                  user::ProgramInstance(), nullptr);
    if (!control) continue;
    // The template's order is the tab order: each control goes below the ones before it.
    if (Window* d = Find(dialog)) {
      auto& kids = d->children;
      kids.erase(std::remove(kids.begin(), kids.end(), control), kids.end());
      kids.push_back(control);
    }
    if (font) SendMessage(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  const HWND first = FirstTabStop(dialog);
  if (SendMessage(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), param) && IsWindow(dialog)) {
    if (HWND focus = FirstTabStop(dialog)) DialogSetFocus(dialog, focus);
  }
  return IsWindow(dialog) ? dialog : nullptr;
}

LRESULT DialogClassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefDlgProc(hwnd, message, wParam, lParam);
}

void RegisterDialogClass() {
  WNDCLASS existing;
  if (GetClassInfo(nullptr, kDialogClass, &existing)) return;
  WNDCLASS wc;
  wc.lpfnWndProc = &DialogClassProc;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<std::uintptr_t>(COLOR_BTNFACE + 1));
  wc.lpszClassName = kDialogClass;
  RegisterClass(&wc);
}

}  // namespace

namespace user::detail {

DialogData* FindDialog(HWND hwnd) {
  auto it = S().dialogs.find(hwnd);
  return it == S().dialogs.end() ? nullptr : &it->second;
}

void DialogSetFocus(HWND dialog, HWND control) {
  DialogData* d = FindDialog(dialog);
  if (!control || !IsWindow(control)) return;
  const HWND old = GetFocus();
  if (d) {
    // The default button follows the focus: a focused push button is the one Enter
    // presses and looks it; elsewhere the dialog's default button is.
    const HWND defaultButton = GetDlgItem(dialog, static_cast<int>(d->defaultId));
    if (IsPushButton(control)) {
      if (old && old != control && IsPushButton(old)) SetButtonLook(old, false);
      if (defaultButton && defaultButton != control) SetButtonLook(defaultButton, false);
      SetButtonLook(control, true);
    } else {
      if (old && IsPushButton(old) && old != defaultButton) SetButtonLook(old, false);
      SetButtonLook(defaultButton, true);
    }
  }
  SetFocus(control);
}

}  // namespace user::detail

using namespace user::detail;

BOOL EnableWindow(HWND hwnd, BOOL enable) {
  Window* w = Find(hwnd);
  if (!w) return FALSE;
  const bool wasDisabled = (w->style & WS_DISABLED) != 0;
  if (wasDisabled == !enable) return wasDisabled ? TRUE : FALSE;
  if (enable) {
    w->style &= ~WS_DISABLED;
  } else {
    w->style |= WS_DISABLED;
    // A disabled window holds neither the focus nor the mouse.
    DropFocusInside(hwnd);
  }
  SendMessage(hwnd, WM_ENABLE, enable ? TRUE : FALSE, 0);
  SyncControlsInside(hwnd);
  return wasDisabled ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND hwnd) {
  const Window* w = Find(hwnd);
  return w && !(w->style & WS_DISABLED) ? TRUE : FALSE;
}

LRESULT DefDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  State& s = S();
  if (message == WM_NCCREATE) {
    // The data the dialog was made with comes first.
    std::vector<DialogData>& pending = PendingDialogs();
    s.dialogs[dialog] = pending.empty() ? DialogData{} : pending.back();
  }
  DialogData* d = FindDialog(dialog);
  if (d && d->proc && message != WM_NCCREATE && message != WM_NCDESTROY) {
    d->messageResult = 0;
    const LRESULT handled = d->proc(dialog, message, wParam, lParam);
    // The initialisation's answer says whether the focus is to be set; other messages are
    // done when the procedure says it handled them, with the answer it set for them.
    if (message == WM_INITDIALOG) return handled;
    d = FindDialog(dialog);
    if (handled) return d ? d->messageResult : 0;
  }
  switch (message) {
    case WM_INITDIALOG: return TRUE;
    case WM_GETFONT: return d ? reinterpret_cast<LRESULT>(d->font) : 0;
    case DM_GETDEFID: return d ? MAKELPARAM(static_cast<int>(d->defaultId), DC_HASDEFID) : 0;
    case DM_SETDEFID:
      if (d) {
        SetButtonLook(GetDlgItem(dialog, static_cast<int>(d->defaultId)), false);
        d->defaultId = static_cast<UINT>(wParam);
        SetButtonLook(GetDlgItem(dialog, static_cast<int>(wParam)), true);
      }
      return TRUE;
    case WM_NEXTDLGCTL: {
      HWND target = lParam ? reinterpret_cast<HWND>(wParam) : GetNextDlgTabItem(dialog, GetFocus(), wParam != 0);
      if (target) DialogSetFocus(dialog, target);
      return 0;
    }
    case WM_ACTIVATE:
      if (!d) return 0;
      if (LOWORD(wParam) == WA_INACTIVE) {
        const HWND focus = GetFocus();
        if (focus && IsChild(dialog, focus)) d->savedFocus = focus;
      } else {
        HWND target = d->savedFocus && IsWindow(d->savedFocus) ? d->savedFocus : FirstTabStop(dialog);
        // A dialog without a control to take the keyboard takes it itself.
        if (target) {
          DialogSetFocus(dialog, target);
        } else if (GetFocus() != dialog) {
          SetFocus(dialog);
        }
      }
      return 0;
    case WM_SETFOCUS: {
      // The dialog itself passes the focus on to its control.
      HWND target = d && d->savedFocus && IsWindow(d->savedFocus) ? d->savedFocus : FirstTabStop(dialog);
      if (target) DialogSetFocus(dialog, target);
      return 0;
    }
    case WM_CLOSE: {
      // The close box is Cancel, while Cancel can be pressed.
      HWND cancel = GetDlgItem(dialog, IDCANCEL);
      if (!cancel || !(StyleOf(cancel) & WS_DISABLED)) {
        PostMessage(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
      }
      return 0;
    }
    case WM_NCDESTROY: {
      if (d && d->font) DeleteObject(d->font);
      s.dialogs.erase(dialog);
      return DefWindowProc(dialog, message, wParam, lParam);
    }
    default: return DefWindowProc(dialog, message, wParam, lParam);
  }
}

HWND CreateDialogParam(HINSTANCE, const char* templateName, HWND owner, DLGPROC proc, LPARAM param) {
  const user::DialogTemplate* t = FindTemplate(templateName);
  if (!t) return nullptr;
  RegisterDialogClass();
  Window* ownerWindow = owner ? TopLevelOf(Find(owner)) : nullptr;
  const HWND dialog = MakeDialog(*t, ownerWindow ? ownerWindow->handle : nullptr, proc, param, false);
  if (dialog && (t->style & WS_VISIBLE)) ShowWindow(dialog, SW_SHOW);
  return dialog;
}

LRESULT DialogBoxParam(HINSTANCE, const char* templateName, HWND owner, DLGPROC proc, LPARAM param) {
  const user::DialogTemplate* t = FindTemplate(templateName);
  if (!t) return -1;
  RegisterDialogClass();
  // The owner is a top-level window; it takes no input while the dialog is up.
  Window* ownerWindow = owner ? TopLevelOf(Find(owner)) : nullptr;
  const HWND top = ownerWindow ? ownerWindow->handle : nullptr;
  const bool disabledOwner = top && IsWindowEnabled(top);
  if (disabledOwner) EnableWindow(top, FALSE);
  const HWND dialog = MakeDialog(*t, top, proc, param, true);
  LRESULT result = -1;
  if (dialog) {
    if (DialogData* d = FindDialog(dialog); d && !d->ended) {
      // Its keyboard and close box belong to the loop one level in from here.
      d->loopDepth = platform::ModalLoopDepth() + 1;
      ShowWindow(dialog, SW_SHOWNORMAL);
      platform::RunModalLoop([dialog] {
        const DialogData* dd = FindDialog(dialog);
        return dd && !dd->ended;
      });
    }
    // Ended early (a quit, an end requested from outside): the dialog is cancelled.
    const DialogData* d = FindDialog(dialog);
    result = d && d->ended ? d->result : IDCANCEL;
  }
  // The owner takes input again and is active before the dialog goes, so that the focus
  // never falls to another program.
  if (disabledOwner && IsWindow(top)) EnableWindow(top, TRUE);
  if (top && IsWindow(top) && IsWindowVisible(top)) SetActiveWindow(top);
  if (dialog && IsWindow(dialog)) DestroyWindow(dialog);
  return result;
}

BOOL EndDialog(HWND dialog, LRESULT result) {
  DialogData* d = FindDialog(dialog);
  if (!d) return FALSE;
  // The modal loop sees this and ends; the dialog is destroyed after it.
  d->ended = true;
  d->result = result;
  return TRUE;
}

HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous) {
  const std::vector<HWND> controls = ControlsOf(dialog);
  if (controls.empty()) return nullptr;
  const int n = static_cast<int>(controls.size());
  int at = -1;
  if (control) {
    auto it = std::find(controls.begin(), controls.end(), control);
    if (it != controls.end()) at = static_cast<int>(it - controls.begin());
  }
  if (at < 0) {
    // From nowhere: the first tab stop, or the last one going backwards.
    at = previous ? 0 : n - 1;
  }
  for (int step = 1; step <= n; ++step) {
    const int i = ((at + (previous ? -step : step)) % n + n) % n;
    if (IsTabStopCandidate(controls[static_cast<size_t>(i)])) return controls[static_cast<size_t>(i)];
  }
  return control;
}

HWND GetNextDlgGroupItem(HWND dialog, HWND control, BOOL previous) {
  const std::vector<HWND> controls = ControlsOf(dialog);
  auto it = std::find(controls.begin(), controls.end(), control);
  if (it == controls.end()) return nullptr;
  // The group: from the control that starts it (WS_GROUP) to the one before the next start.
  auto start = it;
  while (start != controls.begin() && !(StyleOf(*start) & WS_GROUP)) --start;
  auto end = std::next(it);
  while (end != controls.end() && !(StyleOf(*end) & WS_GROUP)) ++end;
  std::vector<HWND> group(start, end);
  const int n = static_cast<int>(group.size());
  const int at = static_cast<int>(std::find(group.begin(), group.end(), control) - group.begin());
  for (int step = 1; step < n; ++step) {
    const HWND h = group[static_cast<size_t>(((at + (previous ? -step : step)) % n + n) % n)];
    const DWORD style = StyleOf(h);
    if ((style & WS_VISIBLE) && !(style & WS_DISABLED)) return h;
  }
  return control;
}

BOOL IsDialogMessage(HWND dialog, MSG* msg) {
  if (!msg || !IsWindow(dialog)) return FALSE;
  if (msg->hwnd != dialog && !IsChild(dialog, msg->hwnd)) return FALSE;
  const bool keyDown = msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN;
  if (keyDown) {
    const int vk = static_cast<int>(msg->wParam);
    const HWND focus = GetFocus();
    const UINT code = DialogCode(focus && IsChild(dialog, focus) ? focus : nullptr, msg);
    const bool control = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
    const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    if (msg->message == WM_KEYDOWN && !(code & DLGC_WANTALLKEYS)) {
      switch (vk) {
        case VK_TAB:
          if (control) {
            if (SwitchTabs(dialog, shift)) return TRUE;
            break;
          }
          if (code & DLGC_WANTTAB) break;
          if (HWND next = GetNextDlgTabItem(dialog, focus, shift ? TRUE : FALSE)) DialogSetFocus(dialog, next);
          return TRUE;
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN: {
          if (code & DLGC_WANTARROWS) break;
          if (!focus) return TRUE;
          // Texts in the group are passed over.
          HWND next = GetNextDlgGroupItem(dialog, focus, vk == VK_LEFT || vk == VK_UP);
          while (next && next != focus && (DialogCode(next, nullptr) & DLGC_STATIC)) {
            next = GetNextDlgGroupItem(dialog, next, vk == VK_LEFT || vk == VK_UP);
          }
          if (next && next != focus) {
            DialogSetFocus(dialog, next);
            // Arriving at an automatic radio button chooses it.
            if ((DialogCode(next, nullptr) & DLGC_RADIOBUTTON) && (StyleOf(next) & BS_TYPEMASK) == BS_AUTORADIOBUTTON) {
              SendMessage(next, BM_CLICK, 0, 0);
            }
          }
          return TRUE;
        }
        case VK_RETURN: {
          // A focused push button is pressed; anywhere else the default button is.
          if (focus && IsPushButton(focus) && IsChild(dialog, focus)) {
            PressButton(dialog, GetDlgCtrlID(focus));
          } else {
            const LRESULT def = SendMessage(dialog, DM_GETDEFID, 0, 0);
            const int id = HIWORD(static_cast<std::uintptr_t>(def)) == DC_HASDEFID ? LOWORD(static_cast<std::uintptr_t>(def)) : IDOK;
            PressButton(dialog, id);
          }
          return TRUE;
        }
        case VK_ESCAPE: PressButton(dialog, IDCANCEL); return TRUE;
        default: break;
      }
    }
  }
  TranslateMessage(msg);
  DispatchMessage(msg);
  return TRUE;
}

LRESULT SendDlgItemMessage(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND control = GetDlgItem(dialog, id);
  return control ? SendMessage(control, message, wParam, lParam) : 0;
}

UINT IsDlgButtonChecked(HWND dialog, int id) {
  return static_cast<UINT>(SendDlgItemMessage(dialog, id, BM_GETCHECK, 0, 0));
}

BOOL CheckDlgButton(HWND dialog, int id, UINT check) {
  HWND control = GetDlgItem(dialog, id);
  if (!control) return FALSE;
  SendMessage(control, BM_SETCHECK, check, 0);
  return TRUE;
}

BOOL CheckRadioButton(HWND dialog, int first, int last, int check) {
  for (int id = first; id <= last; ++id) {
    if (HWND control = GetDlgItem(dialog, id)) SendMessage(control, BM_SETCHECK, id == check ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  return TRUE;
}

BOOL MapDialogRect(HWND dialog, RECT* rect) {
  const DialogData* d = FindDialog(dialog);
  if (!d || !rect) return FALSE;
  *rect = ToPixels(d->baseUnits, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top);
  return TRUE;
}
