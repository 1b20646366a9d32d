// The system's control classes that dialogs are made of: buttons (push, default, check box,
// radio button, owner-drawn), static texts and pictures, the tab control, the slider and the
// drop-down list. Each keeps its state here, answers its classic messages, tells its parent
// what the user did, and hands the backend what its native widget is to show. Without a
// native widget (the headless backend, owner-drawn buttons, pictures) it draws itself.
#include <algorithm>
#include <cstring>

#include "platform/core/commctrl.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/objects.h"
#include "platform/user/native.h"
#include "platform/user/session.h"
#include "platform/user/state.h"
#include "platform/user/user.h"

using namespace user::detail;

namespace {

// What the backend reports of a native widget, queued to the control.
constexpr UINT kNativeClick = 0x7FF0;
constexpr UINT kNativeSelect = 0x7FF1;
constexpr UINT kNativeSlide = 0x7FF2;  // wParam position, lParam: 1 when the drag ends
constexpr UINT kNativeFocus = 0x7FF3;

constexpr int kSliderThumbHalf = 5;
constexpr int kSliderMargin = 8;  // from the control's ends to the ends of the channel

DWORD StyleOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLong(hwnd, GWL_STYLE)); }
DWORD ButtonType(HWND hwnd) { return StyleOf(hwnd) & BS_TYPEMASK; }
bool IsPushType(DWORD type) { return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON; }
bool IsRadioType(DWORD type) { return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON; }
bool IsCheckType(DWORD type) { return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX; }
bool Enabled(HWND hwnd) { return !(StyleOf(hwnd) & WS_DISABLED); }

RECT ClientOf(HWND hwnd) {
  RECT r;
  GetClientRect(hwnd, &r);
  return r;
}

void Notify(HWND control, UINT code) {
  const HWND parent = GetParent(control);
  if (parent) {
    SendMessage(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), static_cast<int>(code)),
                reinterpret_cast<LPARAM>(control));
  }
}

LRESULT NotifyHeader(HWND control, UINT code) {
  const HWND parent = GetParent(control);
  if (!parent) return 0;
  NMHDR header{control, static_cast<UINT>(GetDlgCtrlID(control)), code};
  return SendMessage(parent, WM_NOTIFY, static_cast<WPARAM>(GetDlgCtrlID(control)), reinterpret_cast<LPARAM>(&header));
}

// The height of a line of text in the control's font.
int LineHeight(HWND hwnd) {
  const ControlData* c = FindControl(hwnd);
  HDC dc = GetDC(hwnd);
  if (c && c->font) SelectObject(dc, AsGdiObject(c->font));
  TEXTMETRIC tm;
  GetTextMetrics(dc, &tm);
  ReleaseDC(hwnd, dc);
  return tm.tmHeight;
}

void Changed(HWND control) {
  SyncControl(control);
  InvalidateRect(control, nullptr, TRUE);
}

// ---- Drawing without a native widget ----

class ControlPainter {
 public:
  explicit ControlPainter(HWND hwnd) : hwnd_(hwnd) {
    dc_ = BeginPaint(hwnd, &ps_);
    if (const ControlData* c = FindControl(hwnd); c && c->font) oldFont_ = SelectObject(dc_, AsGdiObject(c->font));
    SetBkMode(dc_, 1 /* TRANSPARENT */);
    SetTextColor(dc_, GetSysColor(Enabled(hwnd) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
  }
  ~ControlPainter() {
    if (oldFont_) SelectObject(dc_, oldFont_);
    EndPaint(hwnd_, &ps_);
  }
  HDC dc() const { return dc_; }

  void Fill(const RECT& r, int sysColor) { FillRect(dc_, &r, GetSysColorBrush(sysColor)); }
  void Line(int x0, int y0, int x1, int y1, int sysColor) {
    HPEN pen = CreatePen(0, 1, GetSysColor(sysColor));
    HGDIOBJ old = SelectObject(dc_, AsGdiObject(pen));
    MoveToEx(dc_, x0, y0, nullptr);
    LineTo(dc_, x1, y1);
    SelectObject(dc_, old);
    DeleteObject(pen);
  }
  // A raised (or, pressed, sunken) classic edge round the rectangle.
  void Edge(const RECT& r, bool sunken) {
    const int light = sunken ? COLOR_3DDKSHADOW : COLOR_BTNHIGHLIGHT;
    const int dark = sunken ? COLOR_BTNHIGHLIGHT : COLOR_3DDKSHADOW;
    Line(r.left, r.bottom - 1, r.left, r.top, light);
    Line(r.left, r.top, r.right - 1, r.top, light);
    Line(r.right - 1, r.top, r.right - 1, r.bottom - 1, dark);
    Line(r.right - 1, r.bottom - 1, r.left - 1, r.bottom - 1, dark);
    const int mid = sunken ? COLOR_BTNFACE : COLOR_BTNSHADOW;
    Line(r.right - 2, r.top + 1, r.right - 2, r.bottom - 2, mid);
    Line(r.right - 2, r.bottom - 2, r.left, r.bottom - 2, mid);
  }
  void Text(RECT r, const std::string& text, UINT format) {
    std::string shown;
    // '&' marks the mnemonic; "&&" is a literal ampersand.
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '&' && i + 1 < text.size()) ++i;
      shown += text[i];
    }
    DrawText(dc_, shown.c_str(), static_cast<int>(shown.size()), &r, format | DT_SINGLELINE);
  }

 private:
  HWND hwnd_;
  PAINTSTRUCT ps_;
  HDC dc_ = nullptr;
  HGDIOBJ oldFont_ = nullptr;
};

// ---- Buttons ----

void SetCheck(HWND hwnd, UINT check) {
  ControlData* c = FindControl(hwnd);
  if (!c || c->check == check) return;
  c->check = check;
  Changed(hwnd);
}

// The radio buttons of the group the button belongs to: from the group's first control (it
// has WS_GROUP) up to the next control that starts a group.
std::vector<HWND> RadioGroupOf(HWND button) {
  std::vector<HWND> group;
  const HWND dialog = GetParent(button);
  if (!dialog) return group;
  // Walk the siblings in order and cut at WS_GROUP.
  std::vector<HWND> siblings;
  for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) siblings.push_back(c);
  auto at = std::find(siblings.begin(), siblings.end(), button);
  if (at == siblings.end()) return group;
  auto start = at;
  while (start != siblings.begin() && !(StyleOf(*start) & WS_GROUP)) --start;
  for (auto it = start; it != siblings.end(); ++it) {
    if (it != start && (StyleOf(*it) & WS_GROUP)) break;
    if (FindControl(*it) && FindControl(*it)->kind == ControlData::Kind::Button && IsRadioType(ButtonType(*it))) {
      group.push_back(*it);
    }
  }
  return group;
}

// What a click does: automatic check boxes turn over, an automatic radio button is checked
// and the others of its group unchecked; then the parent hears of it.
void Click(HWND hwnd) {
  const DWORD type = ButtonType(hwnd);
  if (type == BS_AUTOCHECKBOX) {
    if (ControlData* c = FindControl(hwnd)) SetCheck(hwnd, c->check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
  } else if (type == BS_AUTORADIOBUTTON) {
    for (HWND other : RadioGroupOf(hwnd)) {
      if (other != hwnd) SetCheck(other, BST_UNCHECKED);
    }
    SetCheck(hwnd, BST_CHECKED);
  }
  if (IsWindow(hwnd)) Notify(hwnd, BN_CLICKED);
}

void SetPushed(HWND hwnd, bool pushed) {
  ControlData* c = FindControl(hwnd);
  if (!c || c->pushed == pushed) return;
  c->pushed = pushed;
  Changed(hwnd);
}

void DrawOwnerDrawn(HWND hwnd) {
  ControlData* c = FindControl(hwnd);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  DRAWITEMSTRUCT item;
  item.CtlType = ODT_BUTTON;
  item.CtlID = static_cast<UINT>(GetDlgCtrlID(hwnd));
  item.itemAction = ODA_DRAWENTIRE;
  if (c && c->pushed) item.itemState |= ODS_SELECTED;
  if (!Enabled(hwnd)) item.itemState |= ODS_DISABLED;
  if (GetFocus() == hwnd) item.itemState |= ODS_FOCUS;
  item.hwndItem = hwnd;
  item.hDC = dc;
  item.rcItem = ClientOf(hwnd);
  if (HWND parent = GetParent(hwnd)) SendMessage(parent, WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
  EndPaint(hwnd, &ps);
}

void PaintButton(HWND hwnd) {
  const DWORD type = ButtonType(hwnd);
  if (type == BS_OWNERDRAW) return DrawOwnerDrawn(hwnd);
  const ControlData* c = FindControl(hwnd);
  const std::string text = GetWindowTextString(hwnd);
  ControlPainter p(hwnd);
  const RECT r = ClientOf(hwnd);
  if (IsPushType(type)) {
    p.Fill(r, COLOR_BTNFACE);
    RECT inner = r;
    if (type == BS_DEFPUSHBUTTON) {
      p.Line(r.left, r.top, r.right - 1, r.top, COLOR_3DDKSHADOW);
      p.Line(r.right - 1, r.top, r.right - 1, r.bottom - 1, COLOR_3DDKSHADOW);
      p.Line(r.right - 1, r.bottom - 1, r.left, r.bottom - 1, COLOR_3DDKSHADOW);
      p.Line(r.left, r.bottom - 1, r.left, r.top, COLOR_3DDKSHADOW);
      inner = RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
    }
    p.Edge(inner, c && c->pushed);
    RECT label = inner;
    if (c && c->pushed) OffsetRect(&label, 1, 1);
    p.Text(label, text, DT_CENTER | DT_VCENTER);
    return;
  }
  p.Fill(r, COLOR_BTNFACE);
  const int box = 13;
  const int top = r.top + (r.bottom - r.top - box) / 2;
  RECT mark{r.left, top, r.left + box, top + box};
  p.Fill(RECT{mark.left + 2, mark.top + 2, mark.right - 2, mark.bottom - 2}, (c && c->pushed) ? COLOR_BTNFACE : COLOR_WINDOW);
  p.Edge(mark, true);
  if (c && c->check == BST_CHECKED) {
    if (IsRadioType(type)) {
      p.Fill(RECT{mark.left + 4, mark.top + 4, mark.right - 4, mark.bottom - 4}, COLOR_WINDOWTEXT);
    } else {
      for (int i = 0; i < 3; ++i) {
        p.Line(mark.left + 3, mark.top + 5 + i, mark.left + 5, mark.top + 7 + i, COLOR_WINDOWTEXT);
        p.Line(mark.left + 5, mark.top + 7 + i, mark.left + 10, mark.top + 2 + i, COLOR_WINDOWTEXT);
      }
    }
  }
  p.Text(RECT{r.left + box + 4, r.top, r.right, r.bottom}, text, DT_LEFT | DT_VCENTER);
}

LRESULT ButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  ControlData* c = FindControl(hwnd);
  switch (message) {
    case WM_GETDLGCODE: {
      const DWORD type = ButtonType(hwnd);
      if (type == BS_DEFPUSHBUTTON) return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
      if (type == BS_PUSHBUTTON || type == BS_OWNERDRAW) return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
      if (IsRadioType(type)) return DLGC_BUTTON | DLGC_RADIOBUTTON;
      if (type == BS_GROUPBOX) return DLGC_STATIC;
      return DLGC_BUTTON;
    }
    case BM_GETCHECK: return c ? c->check : 0;
    case BM_SETCHECK:
      if (IsCheckType(ButtonType(hwnd)) || IsRadioType(ButtonType(hwnd))) SetCheck(hwnd, static_cast<UINT>(wParam));
      return 0;
    case BM_GETSTATE:
      return c ? (c->check | (c->pushed ? BST_PUSHED : 0) | (GetFocus() == hwnd ? BST_FOCUS : 0)) : 0;
    case BM_SETSTATE: SetPushed(hwnd, wParam != 0); return 0;
    case BM_SETSTYLE: {
      const DWORD style = (StyleOf(hwnd) & ~BS_TYPEMASK) | (static_cast<DWORD>(wParam) & BS_TYPEMASK);
      SetWindowLong(hwnd, GWL_STYLE, static_cast<LONG>(style));
      Changed(hwnd);
      return 0;
    }
    case BM_CLICK:
    case kNativeClick:
      if (Enabled(hwnd)) Click(hwnd);
      return 0;
    case WM_LBUTTONDOWN:
      if (!c) return 0;
      if (HWND dialog = GetParent(hwnd); dialog && GetFocus() != hwnd) DialogSetFocus(dialog, hwnd);
      SetCapture(hwnd);
      c->mouseTracking = true;
      SetPushed(hwnd, true);
      return 0;
    case WM_MOUSEMOVE:
      if (c && c->mouseTracking) {
        const RECT r = ClientOf(hwnd);
        SetPushed(hwnd, PtInRect(&r, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}) != 0);
      }
      return 0;
    case WM_LBUTTONUP:
      if (c && c->mouseTracking) {
        c->mouseTracking = false;
        ReleaseCapture();
        const RECT r = ClientOf(hwnd);
        const bool inside = PtInRect(&r, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}) != 0;
        SetPushed(hwnd, false);
        if (inside) Click(hwnd);
      }
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_SPACE && !(lParam & 0x40000000)) SetPushed(hwnd, true);
      return 0;
    case WM_KEYUP:
      if (wParam == VK_SPACE && c && c->pushed && !c->mouseTracking) {
        SetPushed(hwnd, false);
        Click(hwnd);
      }
      return 0;
    case WM_KILLFOCUS:
      if (c && c->pushed && !c->mouseTracking) c->pushed = false;
      Changed(hwnd);
      return 0;
    case WM_SETFOCUS:
    case WM_ENABLE: Changed(hwnd); return 0;
    case WM_PAINT: PaintButton(hwnd); return 0;
    case WM_ERASEBKGND: return 1;
    default: return DefWindowProc(hwnd, message, wParam, lParam);
  }
}

// ---- Static texts, icons and pictures ----

void PaintStatic(HWND hwnd) {
  const ControlData* c = FindControl(hwnd);
  const DWORD type = StyleOf(hwnd) & SS_TYPEMASK;
  ControlPainter p(hwnd);
  const RECT r = ClientOf(hwnd);
  if (type == SS_ICON) {
    if (c && c->icon) DrawIcon(p.dc(), 0, 0, c->icon);
    return;
  }
  if (type == SS_BITMAP) {
    if (c && c->bitmap) {
      HDC memory = CreateCompatibleDC(p.dc());
      HGDIOBJ old = SelectObject(memory, AsGdiObject(c->bitmap));
      BitBlt(p.dc(), 0, 0, r.right, r.bottom, memory, 0, 0, SRCCOPY);
      SelectObject(memory, old);
      DeleteDC(memory);
    }
    return;
  }
  p.Fill(r, COLOR_BTNFACE);
  const UINT align = type == SS_CENTER ? DT_CENTER : type == SS_RIGHT ? DT_RIGHT : DT_LEFT;
  p.Text(r, GetWindowTextString(hwnd), align);
}

LRESULT StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  ControlData* c = FindControl(hwnd);
  const DWORD type = StyleOf(hwnd) & SS_TYPEMASK;
  switch (message) {
    case WM_CREATE: {
      // A picture's text names its resource.
      const auto* cs = reinterpret_cast<const CREATESTRUCT*>(lParam);
      if (!c || !cs || !cs->lpszName) return 0;
      if (type == SS_ICON) {
        c->icon = LoadIcon(user::ProgramInstance(), cs->lpszName);
        c->ownsImage = c->icon != nullptr;
        if (c->icon) SetWindowPos(hwnd, nullptr, 0, 0, 32, 32, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      } else if (type == SS_BITMAP) {
        c->bitmap = LoadBitmap(user::ProgramInstance(), cs->lpszName);
        c->ownsImage = c->bitmap != nullptr;
        if (const gdi::BitmapObject* b = c->bitmap ? gdi::Find<gdi::BitmapObject>(c->bitmap) : nullptr) {
          SetWindowPos(hwnd, nullptr, 0, 0, b->surface->width, b->surface->height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
      }
      return 0;
    }
    case WM_GETDLGCODE: return DLGC_STATIC;
    case WM_NCHITTEST:
      // A static lets the mouse through to what lies beneath, unless it asks to be told.
      if (!(StyleOf(hwnd) & SS_NOTIFY)) return HTTRANSPARENT;
      return DefWindowProc(hwnd, message, wParam, lParam);
    case STM_GETICON: return c ? reinterpret_cast<LRESULT>(c->icon) : 0;
    case STM_GETIMAGE:
      if (!c) return 0;
      return wParam == IMAGE_ICON ? reinterpret_cast<LRESULT>(c->icon) : reinterpret_cast<LRESULT>(c->bitmap);
    case STM_SETICON:
    case STM_SETIMAGE: {
      if (!c) return 0;
      // The caller owns what it sets; the loaded picture it replaces was ours.
      LRESULT old = 0;
      if (message == STM_SETICON || wParam == IMAGE_ICON) {
        old = reinterpret_cast<LRESULT>(c->icon);
        if (c->ownsImage && c->icon) DestroyIcon(c->icon), old = 0;
        c->icon = reinterpret_cast<HICON>(message == STM_SETICON ? wParam : static_cast<WPARAM>(lParam));
      } else {
        old = reinterpret_cast<LRESULT>(c->bitmap);
        if (c->ownsImage && c->bitmap) DeleteObject(c->bitmap), old = 0;
        c->bitmap = reinterpret_cast<HBITMAP>(lParam);
      }
      c->ownsImage = false;
      Changed(hwnd);
      return old;
    }
    case WM_SETTEXT: {
      const LRESULT r = DefWindowProc(hwnd, message, wParam, lParam);
      Changed(hwnd);
      return r;
    }
    case WM_ENABLE: Changed(hwnd); return 0;
    case WM_PAINT: PaintStatic(hwnd); return 0;
    case WM_ERASEBKGND: return 1;
    default: return DefWindowProc(hwnd, message, wParam, lParam);
  }
}

// ---- Tab control ----

int TabHeaderHeight(HWND hwnd) { return LineHeight(hwnd) + 8; }

std::vector<RECT> TabRects(HWND hwnd) {
  std::vector<RECT> rects;
  const ControlData* c = FindControl(hwnd);
  if (!c) return rects;
  HDC dc = GetDC(hwnd);
  if (c->font) SelectObject(dc, AsGdiObject(c->font));
  const int height = TabHeaderHeight(hwnd);
  int x = 2;
  for (const std::string& text : c->items) {
    SIZE size;
    GetTextExtentPoint32(dc, text.c_str(), static_cast<int>(text.size()), &size);
    const int width = size.cx + 12;
    rects.push_back(RECT{x, 2, x + width, height});
    x += width;
  }
  ReleaseDC(hwnd, dc);
  return rects;
}

void InvalidateTabControl(HWND hwnd) {
  Changed(hwnd);
  // Page controls lie over the tab control's body: they are drawn again over it.
  const HWND parent = GetParent(hwnd);
  RECT mine;
  GetWindowRect(hwnd, &mine);
  for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    RECT theirs;
    GetWindowRect(c, &theirs);
    RECT overlap;
    if (c != hwnd && IntersectRect(&overlap, &mine, &theirs)) InvalidateRect(c, nullptr, TRUE);
  }
}

// The user chooses a tab: the parent may refuse the change, then hears that it happened.
void ChooseTab(HWND hwnd, int index) {
  ControlData* c = FindControl(hwnd);
  if (!c || index < 0 || index >= static_cast<int>(c->items.size()) || index == c->selection) return;
  if (NotifyHeader(hwnd, TCN_SELCHANGING)) return;
  c = FindControl(hwnd);
  if (!c) return;
  c->selection = index;
  InvalidateTabControl(hwnd);
  NotifyHeader(hwnd, TCN_SELCHANGE);
}

void PaintTabControl(HWND hwnd) {
  const ControlData* c = FindControl(hwnd);
  const std::vector<RECT> tabs = TabRects(hwnd);
  const int header = TabHeaderHeight(hwnd);
  ControlPainter p(hwnd);
  const RECT r = ClientOf(hwnd);
  p.Fill(r, COLOR_BTNFACE);
  p.Edge(RECT{r.left, r.top + header, r.right, r.bottom}, false);
  for (size_t i = 0; i < tabs.size(); ++i) {
    RECT t = tabs[i];
    const bool chosen = c && static_cast<int>(i) == c->selection;
    if (chosen) t = RECT{t.left - 2, t.top - 2, t.right + 2, t.bottom + 1};
    p.Fill(t, COLOR_BTNFACE);
    p.Line(t.left, t.bottom - 1, t.left, t.top, COLOR_BTNHIGHLIGHT);
    p.Line(t.left, t.top, t.right - 1, t.top, COLOR_BTNHIGHLIGHT);
    p.Line(t.right - 1, t.top, t.right - 1, t.bottom, COLOR_3DDKSHADOW);
    p.Text(t, c->items[i], DT_CENTER | DT_VCENTER);
  }
}

LRESULT TabProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  ControlData* c = FindControl(hwnd);
  if (!c) return DefWindowProc(hwnd, message, wParam, lParam);
  switch (message) {
    case TCM_INSERTITEM: {
      const auto* item = reinterpret_cast<const TCITEM*>(lParam);
      if (!item) return -1;
      const int at = std::clamp(static_cast<int>(wParam), 0, static_cast<int>(c->items.size()));
      c->items.insert(c->items.begin() + at, (item->mask & TCIF_TEXT) && item->pszText ? item->pszText : "");
      // The first tab is the chosen one; a tab put before the chosen one moves it along.
      if (c->selection < 0) {
        c->selection = 0;
      } else if (at <= c->selection) {
        ++c->selection;
      }
      InvalidateTabControl(hwnd);
      return at;
    }
    case TCM_GETITEMCOUNT: return static_cast<LRESULT>(c->items.size());
    case TCM_GETCURSEL: return c->selection;
    case TCM_SETCURSEL: {
      const int index = static_cast<int>(wParam);
      if (index < 0 || index >= static_cast<int>(c->items.size())) return -1;
      const int old = c->selection;
      c->selection = index;
      InvalidateTabControl(hwnd);
      return old;
    }
    case TCM_GETITEMRECT: {
      const std::vector<RECT> tabs = TabRects(hwnd);
      const auto index = static_cast<size_t>(wParam);
      auto* out = reinterpret_cast<RECT*>(lParam);
      if (index >= tabs.size() || !out) return FALSE;
      *out = tabs[index];
      return TRUE;
    }
    case TCM_GETITEM: {
      auto* item = reinterpret_cast<TCITEM*>(lParam);
      const auto index = static_cast<size_t>(wParam);
      if (!item || index >= c->items.size()) return FALSE;
      if ((item->mask & TCIF_TEXT) && item->pszText && item->cchTextMax > 0) {
        const size_t n = std::min(c->items[index].size(), static_cast<size_t>(item->cchTextMax - 1));
        std::memcpy(item->pszText, c->items[index].data(), n);
        item->pszText[n] = '\0';
      }
      return TRUE;
    }
    case kNativeSelect: ChooseTab(hwnd, static_cast<int>(wParam)); return 0;
    case WM_GETDLGCODE: return DLGC_WANTARROWS;
    case WM_NCHITTEST: {
      // Only the tabs take the mouse; the body lets it through to the page's controls.
      POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      ScreenToClient(hwnd, &pt);
      for (const RECT& t : TabRects(hwnd)) {
        if (PtInRect(&t, pt)) return HTCLIENT;
      }
      return HTTRANSPARENT;
    }
    case WM_LBUTTONDOWN: {
      const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      const std::vector<RECT> tabs = TabRects(hwnd);
      for (size_t i = 0; i < tabs.size(); ++i) {
        if (PtInRect(&tabs[i], pt)) {
          if (HWND dialog = GetParent(hwnd); dialog && GetFocus() != hwnd) DialogSetFocus(dialog, hwnd);
          ChooseTab(hwnd, static_cast<int>(i));
          break;
        }
      }
      return 0;
    }
    case WM_KEYDOWN:
      if (wParam == VK_LEFT) ChooseTab(hwnd, c->selection - 1);
      if (wParam == VK_RIGHT) ChooseTab(hwnd, c->selection + 1);
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE: Changed(hwnd); return 0;
    case WM_PAINT: PaintTabControl(hwnd); return 0;
    case WM_ERASEBKGND: return 1;
    default: return DefWindowProc(hwnd, message, wParam, lParam);
  }
}

// ---- Slider ----

struct SliderGeometry {
  int left = 0;   // the channel's ends, where the thumb's centre stands at min and max
  int right = 0;
  int channelY = 0;
};

SliderGeometry SliderLayout(HWND hwnd) {
  const RECT r = ClientOf(hwnd);
  return SliderGeometry{r.left + kSliderMargin, std::max(r.left + kSliderMargin, r.right - kSliderMargin), r.top + 8};
}

int SliderX(const SliderGeometry& g, const ControlData& c, int value) {
  const int span = c.rangeMax - c.rangeMin;
  if (span <= 0) return g.left;
  return g.left + static_cast<int>(static_cast<long long>(value - c.rangeMin) * (g.right - g.left) / span);
}

int SliderValueAt(const SliderGeometry& g, const ControlData& c, int x) {
  const int span = c.rangeMax - c.rangeMin;
  if (g.right <= g.left || span <= 0) return c.rangeMin;
  const long long offset = static_cast<long long>(x - g.left) * span;
  const int width = g.right - g.left;
  // To the nearest step.
  const int value = c.rangeMin + static_cast<int>((offset + (offset >= 0 ? width / 2 : -width / 2)) / width);
  return std::clamp(value, c.rangeMin, c.rangeMax);
}

void SetSliderPosition(HWND hwnd, int position) {
  ControlData* c = FindControl(hwnd);
  if (!c) return;
  const int clamped = std::clamp(position, c->rangeMin, std::max(c->rangeMin, c->rangeMax));
  if (clamped == c->position) return;
  c->position = clamped;
  Changed(hwnd);
}

void Scrolled(HWND hwnd, int code, int position = 0) {
  if (HWND parent = GetParent(hwnd)) {
    SendMessage(parent, WM_HSCROLL, MAKEWPARAM(code, position), reinterpret_cast<LPARAM>(hwnd));
  }
}

void PaintSlider(HWND hwnd) {
  const ControlData* c = FindControl(hwnd);
  const SliderGeometry g = SliderLayout(hwnd);
  ControlPainter p(hwnd);
  const RECT r = ClientOf(hwnd);
  p.Fill(r, COLOR_BTNFACE);
  if (!c) return;
  p.Edge(RECT{g.left - 2, g.channelY - 2, g.right + 2, g.channelY + 2}, true);
  if (StyleOf(hwnd) & TBS_AUTOTICKS) {
    for (int v = c->rangeMin; v <= c->rangeMax; ++v) {
      const int x = SliderX(g, *c, v);
      p.Line(x, g.channelY + 10, x, g.channelY + 13, COLOR_WINDOWTEXT);
    }
  }
  const int x = SliderX(g, *c, c->position);
  const RECT thumb{x - kSliderThumbHalf, g.channelY - 7, x + kSliderThumbHalf + 1, g.channelY + 8};
  p.Fill(thumb, COLOR_BTNFACE);
  p.Edge(thumb, false);
}

LRESULT SliderProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  ControlData* c = FindControl(hwnd);
  if (!c) return DefWindowProc(hwnd, message, wParam, lParam);
  switch (message) {
    case TBM_GETPOS: return c->position;
    case TBM_GETRANGEMIN: return c->rangeMin;
    case TBM_GETRANGEMAX: return c->rangeMax;
    case TBM_SETRANGE:
    case TBM_SETRANGEMIN:
    case TBM_SETRANGEMAX: {
      if (message == TBM_SETRANGE) {
        c->rangeMin = static_cast<short>(LOWORD(static_cast<std::uintptr_t>(lParam)));
        c->rangeMax = static_cast<short>(HIWORD(static_cast<std::uintptr_t>(lParam)));
      } else if (message == TBM_SETRANGEMIN) {
        c->rangeMin = static_cast<int>(lParam);
      } else {
        c->rangeMax = static_cast<int>(lParam);
      }
      // A page is a fifth of the range, as long as nobody chose another.
      c->pageSize = std::max(1, (c->rangeMax - c->rangeMin) / 5);
      c->position = std::clamp(c->position, c->rangeMin, std::max(c->rangeMin, c->rangeMax));
      SyncControl(hwnd);
      if (wParam) InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    }
    case TBM_SETPOS: {
      const int clamped = std::clamp(static_cast<int>(lParam), c->rangeMin, std::max(c->rangeMin, c->rangeMax));
      c->position = clamped;
      SyncControl(hwnd);
      if (wParam) InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    }
    case TBM_SETPAGESIZE: {
      const int old = c->pageSize;
      c->pageSize = static_cast<int>(lParam);
      return old;
    }
    case TBM_GETPAGESIZE: return c->pageSize;
    case kNativeSlide:
      SetSliderPosition(hwnd, static_cast<int>(static_cast<std::intptr_t>(wParam)));
      if (lParam) {
        Scrolled(hwnd, TB_THUMBPOSITION, FindControl(hwnd) ? FindControl(hwnd)->position : 0);
        Scrolled(hwnd, TB_ENDTRACK);
      } else {
        Scrolled(hwnd, TB_THUMBTRACK, FindControl(hwnd) ? FindControl(hwnd)->position : 0);
      }
      return 0;
    case WM_GETDLGCODE: return DLGC_WANTARROWS;
    case WM_KEYDOWN: {
      int code = -1;
      int target = c->position;
      switch (wParam) {
        case VK_LEFT:
        case VK_UP: code = TB_LINEUP, target = c->position - 1; break;
        case VK_RIGHT:
        case VK_DOWN: code = TB_LINEDOWN, target = c->position + 1; break;
        case VK_PRIOR: code = TB_PAGEUP, target = c->position - c->pageSize; break;
        case VK_NEXT: code = TB_PAGEDOWN, target = c->position + c->pageSize; break;
        case VK_HOME: code = TB_TOP, target = c->rangeMin; break;
        case VK_END: code = TB_BOTTOM, target = c->rangeMax; break;
        default: return 0;
      }
      SetSliderPosition(hwnd, target);
      Scrolled(hwnd, code);
      return 0;
    }
    case WM_KEYUP:
      switch (wParam) {
        case VK_LEFT: case VK_UP: case VK_RIGHT: case VK_DOWN:
        case VK_PRIOR: case VK_NEXT: case VK_HOME: case VK_END: Scrolled(hwnd, TB_ENDTRACK); break;
        default: break;
      }
      return 0;
    case WM_LBUTTONDOWN: {
      if (HWND dialog = GetParent(hwnd); dialog && GetFocus() != hwnd) DialogSetFocus(dialog, hwnd);
      const SliderGeometry g = SliderLayout(hwnd);
      const int x = GET_X_LPARAM(lParam);
      const int thumb = SliderX(g, *c, c->position);
      if (std::abs(x - thumb) <= kSliderThumbHalf) {
        c->dragging = true;
        c->dragOffset = x - thumb;
        SetCapture(hwnd);
      } else {
        // A click beside the thumb moves it by a page towards the click.
        const bool before = x < thumb;
        SetSliderPosition(hwnd, c->position + (before ? -c->pageSize : c->pageSize));
        Scrolled(hwnd, before ? TB_PAGEUP : TB_PAGEDOWN);
        Scrolled(hwnd, TB_ENDTRACK);
      }
      return 0;
    }
    case WM_MOUSEMOVE:
      if (c->dragging) {
        SetSliderPosition(hwnd, SliderValueAt(SliderLayout(hwnd), *c, GET_X_LPARAM(lParam) - c->dragOffset));
        if (ControlData* again = FindControl(hwnd)) Scrolled(hwnd, TB_THUMBTRACK, again->position);
      }
      return 0;
    case WM_LBUTTONUP:
      if (c->dragging) {
        c->dragging = false;
        ReleaseCapture();
        Scrolled(hwnd, TB_THUMBPOSITION, c->position);
        Scrolled(hwnd, TB_ENDTRACK);
      }
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE: Changed(hwnd); return 0;
    case WM_PAINT: PaintSlider(hwnd); return 0;
    case WM_ERASEBKGND: return 1;
    default: return DefWindowProc(hwnd, message, wParam, lParam);
  }
}

// ---- Drop-down list ----

int ItemHeight(HWND hwnd) { return LineHeight(hwnd) + 2; }

void SelectItem(HWND hwnd, int index, bool notify) {
  ControlData* c = FindControl(hwnd);
  if (!c || index < 0 || index >= static_cast<int>(c->items.size()) || index == c->selection) return;
  c->selection = index;
  Changed(hwnd);
  if (notify) Notify(hwnd, CBN_SELCHANGE);
}

void SetDropped(HWND hwnd, bool dropped) {
  ControlData* c = FindControl(hwnd);
  if (!c || c->dropped == dropped) return;
  if (dropped) Notify(hwnd, CBN_DROPDOWN);
  c = FindControl(hwnd);
  if (!c) return;
  c->dropped = dropped;
  if (dropped) {
    SetCapture(hwnd);
  } else if (GetCapture() == hwnd) {
    ReleaseCapture();
  }
  Changed(hwnd);
  if (!dropped) Notify(hwnd, CBN_CLOSEUP);
}

void PaintComboBox(HWND hwnd) {
  const ControlData* c = FindControl(hwnd);
  ControlPainter p(hwnd);
  const RECT r = ClientOf(hwnd);
  p.Fill(r, COLOR_WINDOW);
  p.Edge(r, true);
  const int button = r.bottom - r.top - 4;
  const RECT arrow{r.right - 2 - button, r.top + 2, r.right - 2, r.bottom - 2};
  p.Fill(arrow, COLOR_BTNFACE);
  p.Edge(arrow, false);
  const int cx = (arrow.left + arrow.right) / 2;
  const int cy = (arrow.top + arrow.bottom) / 2 - 1;
  for (int i = 0; i < 4; ++i) p.Line(cx - 3 + i, cy + i, cx + 4 - i, cy + i, COLOR_BTNTEXT);
  if (!c || c->selection < 0) return;
  RECT field{r.left + 3, r.top + 3, arrow.left - 1, r.bottom - 3};
  const bool focused = GetFocus() == hwnd && !c->dropped;
  if (focused) {
    p.Fill(field, COLOR_HIGHLIGHT);
    SetTextColor(p.dc(), GetSysColor(COLOR_HIGHLIGHTTEXT));
  }
  field.left += 2;
  p.Text(field, c->items[static_cast<size_t>(c->selection)], DT_LEFT | DT_VCENTER);
}

LRESULT ComboProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  ControlData* c = FindControl(hwnd);
  if (!c) return DefWindowProc(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_CREATE: {
      // The template's height is the open list's; the box itself is one line tall.
      const auto* cs = reinterpret_cast<const CREATESTRUCT*>(lParam);
      const int closed = ItemHeight(hwnd) + 6;
      c->droppedHeight = std::max(0, (cs ? cs->cy : closed) - closed);
      SetWindowPos(hwnd, nullptr, 0, 0, cs ? cs->cx : 0, closed, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case WM_SETFONT: {
      c->font = reinterpret_cast<HFONT>(wParam);
      RECT r;
      GetClientRect(hwnd, &r);
      SetWindowPos(hwnd, nullptr, 0, 0, r.right, ItemHeight(hwnd) + 6, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      Changed(hwnd);
      return 0;
    }
    case CB_ADDSTRING: {
      const char* text = reinterpret_cast<const char*>(lParam);
      c->items.push_back(text ? text : "");
      SyncControl(hwnd);
      return static_cast<LRESULT>(c->items.size() - 1);
    }
    case CB_GETCOUNT: return static_cast<LRESULT>(c->items.size());
    case CB_GETCURSEL: return c->selection;
    case CB_SETCURSEL: {
      const int index = static_cast<int>(static_cast<std::intptr_t>(wParam));
      // An index outside the list clears the selection and reports it.
      const bool valid = index >= 0 && index < static_cast<int>(c->items.size());
      c->selection = valid ? index : -1;
      Changed(hwnd);
      return valid ? index : CB_ERR;
    }
    case CB_GETLBTEXTLEN: {
      const auto index = static_cast<size_t>(wParam);
      return index < c->items.size() ? static_cast<LRESULT>(c->items[index].size()) : CB_ERR;
    }
    case CB_GETLBTEXT: {
      const auto index = static_cast<size_t>(wParam);
      auto* out = reinterpret_cast<char*>(lParam);
      if (index >= c->items.size() || !out) return CB_ERR;
      std::memcpy(out, c->items[index].c_str(), c->items[index].size() + 1);
      return static_cast<LRESULT>(c->items[index].size());
    }
    case CB_RESETCONTENT:
      c->items.clear();
      c->selection = -1;
      Changed(hwnd);
      return 0;
    case CB_SHOWDROPDOWN: SetDropped(hwnd, wParam != 0); return TRUE;
    case CB_GETDROPPEDSTATE: return c->dropped ? TRUE : FALSE;
    case kNativeSelect:
      SelectItem(hwnd, static_cast<int>(wParam), true);
      SetDropped(hwnd, false);
      return 0;
    case WM_GETDLGCODE: {
      UINT code = DLGC_WANTARROWS | DLGC_WANTCHARS;
      // An open list takes Enter and Escape for itself.
      const auto* msg = reinterpret_cast<const MSG*>(lParam);
      if (c->dropped && msg && (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE)) code |= DLGC_WANTALLKEYS;
      return code;
    }
    case WM_KEYDOWN: case WM_SYSKEYDOWN: {
      const bool alt = message == WM_SYSKEYDOWN;
      if (wParam == VK_F4 || (alt && (wParam == VK_DOWN || wParam == VK_UP))) {
        SetDropped(hwnd, !c->dropped);
        return 0;
      }
      if (alt) return DefWindowProc(hwnd, message, wParam, lParam);
      const int last = static_cast<int>(c->items.size()) - 1;
      switch (wParam) {
        case VK_UP: case VK_LEFT: SelectItem(hwnd, c->selection < 0 ? 0 : c->selection - 1, true); break;
        case VK_DOWN: case VK_RIGHT: SelectItem(hwnd, c->selection < 0 ? 0 : c->selection + 1, true); break;
        case VK_HOME: SelectItem(hwnd, 0, true); break;
        case VK_END: SelectItem(hwnd, last, true); break;
        case VK_RETURN: case VK_ESCAPE: SetDropped(hwnd, false); break;
        default: break;
      }
      return 0;
    }
    case WM_LBUTTONDOWN: {
      if (HWND dialog = GetParent(hwnd); dialog && GetFocus() != hwnd) DialogSetFocus(dialog, hwnd);
      if (!c->dropped) {
        SetDropped(hwnd, true);
        return 0;
      }
      // The open list lies under the box: a click on an item chooses it, any click closes.
      const RECT r = ClientOf(hwnd);
      const int y = GET_Y_LPARAM(lParam) - r.bottom;
      const int x = GET_X_LPARAM(lParam);
      if (y >= 0 && y < c->droppedHeight && x >= 0 && x < r.right) SelectItem(hwnd, y / ItemHeight(hwnd), true);
      SetDropped(hwnd, false);
      return 0;
    }
    case WM_KILLFOCUS: SetDropped(hwnd, false); Changed(hwnd); return 0;
    case WM_SETFOCUS:
    case WM_ENABLE: Changed(hwnd); return 0;
    case WM_PAINT: PaintComboBox(hwnd); return 0;
    case WM_ERASEBKGND: return 1;
    default: return DefWindowProc(hwnd, message, wParam, lParam);
  }
}

bool IsMirrored(HWND hwnd);

// Every control class shares the bookkeeping of its state and font and the backend's
// widget; the class's own procedure does the rest.
template <ControlData::Kind kind, WNDPROC own>
LRESULT ControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  State& s = S();
  switch (message) {
    case WM_NCCREATE: s.controls[hwnd].kind = kind; break;
    case WM_SETFONT:
      if (kind != ControlData::Kind::ComboBox) {
        if (ControlData* c = FindControl(hwnd)) c->font = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(static_cast<std::uintptr_t>(lParam))) InvalidateRect(hwnd, nullptr, TRUE);
        SyncControl(hwnd);
        return 0;
      }
      break;
    case WM_GETFONT: {
      const ControlData* c = FindControl(hwnd);
      return c ? reinterpret_cast<LRESULT>(c->font) : 0;
    }
    case kNativeFocus:
      if (HWND dialog = GetParent(hwnd)) DialogSetFocus(dialog, hwnd);
      return 0;
    case WM_PAINT:
      if (platform::GetBackend().ShowsNativeControls() && IsMirrored(hwnd)) {
        // Its native widget shows it over the dialog's background.
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
        return 0;
      }
      break;
    case WM_NCDESTROY: {
      const LRESULT r = own(hwnd, message, wParam, lParam);
      if (ControlData* c = FindControl(hwnd); c && c->ownsImage) {
        if (c->icon) DestroyIcon(c->icon);
        if (c->bitmap) DeleteObject(c->bitmap);
      }
      s.controls.erase(hwnd);
      platform::GetBackend().DestroyControl(hwnd);
      return r;
    }
    default: break;
  }
  const LRESULT r = own(hwnd, message, wParam, lParam);
  if (message == WM_CREATE && IsWindow(hwnd)) SyncControl(hwnd);
  return r;
}

void Register(const char* name, WNDPROC proc) {
  WNDCLASS wc;
  wc.lpfnWndProc = proc;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.lpszClassName = name;
  RegisterClass(&wc);
}

platform::NativeControlState::Kind NativeKind(HWND hwnd, const ControlData& c, bool* mirrored) {
  using Kind = platform::NativeControlState::Kind;
  *mirrored = true;
  switch (c.kind) {
    case ControlData::Kind::TabControl: return Kind::TabControl;
    case ControlData::Kind::Slider: return Kind::Slider;
    case ControlData::Kind::ComboBox: return Kind::DropDownList;
    case ControlData::Kind::Static: {
      const DWORD type = StyleOf(hwnd) & SS_TYPEMASK;
      *mirrored = type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT;
      return Kind::Label;
    }
    case ControlData::Kind::Button: {
      const DWORD type = ButtonType(hwnd);
      if (IsCheckType(type)) return Kind::CheckBox;
      if (IsRadioType(type)) return Kind::RadioButton;
      *mirrored = IsPushType(type);
      return Kind::PushButton;
    }
  }
  *mirrored = false;
  return Kind::Label;
}

bool IsMirrored(HWND hwnd) {
  const ControlData* c = FindControl(hwnd);
  bool mirrored = false;
  if (c) NativeKind(hwnd, *c, &mirrored);
  return mirrored;
}

}  // namespace

namespace user::detail {

ControlData* FindControl(HWND hwnd) {
  auto it = S().controls.find(hwnd);
  return it == S().controls.end() ? nullptr : &it->second;
}

void RegisterSystemClasses() {
  Register("Button", &ControlProc<ControlData::Kind::Button, &ButtonProc>);
  Register("Static", &ControlProc<ControlData::Kind::Static, &StaticProc>);
  Register(WC_TABCONTROL, &ControlProc<ControlData::Kind::TabControl, &TabProc>);
  Register(TRACKBAR_CLASS, &ControlProc<ControlData::Kind::Slider, &SliderProc>);
  Register("ComboBox", &ControlProc<ControlData::Kind::ComboBox, &ComboProc>);
}

void SyncControl(HWND hwnd) {
  const ControlData* c = FindControl(hwnd);
  const Window* w = Find(hwnd);
  if (!c || !w || w->destroying) return;
  bool mirrored = false;
  platform::NativeControlState state;
  state.kind = NativeKind(hwnd, *c, &mirrored);
  if (!mirrored) return;
  const Window* top = TopLevelOf(const_cast<Window*>(w));
  if (!top) return;
  const POINT origin = WindowOriginInTop(*w);
  state.rect = RECT{origin.x, origin.y, origin.x + (w->rect.right - w->rect.left), origin.y + (w->rect.bottom - w->rect.top)};
  state.visible = IsReallyVisible(*w);
  state.enabled = true;
  for (const Window* p = w; p; p = IsTopLevel(*p) ? nullptr : Find(p->parent)) {
    if (p->style & WS_DISABLED) state.enabled = false;
  }
  state.focused = S().focus == hwnd;
  state.text = w->text;
  state.defaultButton = c->kind == ControlData::Kind::Button && ButtonType(hwnd) == BS_DEFPUSHBUTTON;
  const DWORD staticType = w->style & SS_TYPEMASK;
  state.alignment = c->kind == ControlData::Kind::Static ? (staticType == SS_CENTER ? 1 : staticType == SS_RIGHT ? 2 : 0) : 0;
  state.checked = c->check == BST_CHECKED;
  state.items = c->items;
  state.selection = c->selection;
  state.rangeMin = c->rangeMin;
  state.rangeMax = c->rangeMax;
  state.position = c->position;
  state.pageSize = c->pageSize;
  state.dropped = c->dropped;
  state.ticks = c->kind == ControlData::Kind::Slider && (w->style & TBS_AUTOTICKS);
  if (c->font) {
    const gdi::InstalledFont font = gdi::InstalledFontOf(c->font);
    state.fontFamily = font.family;
    state.fontPixels = font.pixels;
  }
  platform::GetBackend().SyncControl(top->handle, hwnd, state);
}

void SyncControlsInside(HWND hwnd) {
  const Window* w = Find(hwnd);
  if (!w) return;
  const std::vector<HWND> children = w->children;
  for (HWND c : children) {
    SyncControl(c);
    SyncControlsInside(c);
  }
}

}  // namespace user::detail

namespace user {

void NativeControlClicked(HWND control) { PostMessage(control, kNativeClick, 0, 0); }
void NativeControlSelected(HWND control, int index) { PostMessage(control, kNativeSelect, static_cast<WPARAM>(index), 0); }
void NativeSliderMoved(HWND control, int position, bool final) {
  PostMessage(control, kNativeSlide, static_cast<WPARAM>(static_cast<std::intptr_t>(position)), final ? 1 : 0);
}
void NativeControlFocused(HWND control) { PostMessage(control, kNativeFocus, 0, 0); }

}  // namespace user
