// The default window procedure: what happens to a message nobody handled.
#include <cstring>

#include "platform/gdi/gdi.h"
#include "platform/user/session.h"
#include "platform/user/state.h"
#include "platform/user/user.h"

using namespace user::detail;

namespace {

constexpr UINT WM_NCLBUTTONDOWN = 0x00A1;
constexpr int MA_ACTIVATE = 1;

HBRUSH ClassBrush(const Window& w) {
  if (!w.cls) return nullptr;
  const auto value = reinterpret_cast<std::uintptr_t>(w.cls->wc.hbrBackground);
  // Classes may name a system colour as its index plus one instead of a brush.
  if (value > 0 && value <= 31) return GetSysColorBrush(static_cast<int>(value) - 1);
  return w.cls->wc.hbrBackground;
}

LRESULT HitTest(HWND hwnd, POINT screen) {
  const Window* w = Find(hwnd);
  if (!w) return HTNOWHERE;
  RECT wr;
  GetWindowRect(hwnd, &wr);
  if (!PtInRect(&wr, screen)) return HTNOWHERE;
  Window* top = TopLevelOf(const_cast<Window*>(w));
  if (top && top->windowRegion && top == w &&
      !top->windowRegion->Contains(screen.x - wr.left, screen.y - wr.top)) {
    return HTNOWHERE;
  }
  POINT client = screen;
  ScreenToClient(hwnd, &client);
  RECT cr;
  GetClientRect(hwnd, &cr);
  if (PtInRect(&cr, client)) return HTCLIENT;
  if ((w->style & WS_CAPTION) == WS_CAPTION && client.y < 0 && client.y >= -GetSystemMetrics(SM_CYCAPTION)) {
    return HTCAPTION;
  }
  return HTBORDER;
}

}  // namespace

LRESULT DefWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* w = Find(hwnd);
  if (!w) return 0;
  switch (message) {
    case WM_NCCREATE: {
      const auto* cs = reinterpret_cast<const CREATESTRUCT*>(lParam);
      if (cs && cs->lpszName && !IS_INTRESOURCE(cs->lpszName)) w->text = cs->lpszName;
      return TRUE;
    }
    case WM_SETTEXT: {
      const char* text = lParam ? reinterpret_cast<const char*>(lParam) : "";
      // The same title again changes nothing, on the desktop either.
      if (w->text == text) return TRUE;
      w->text = text;
      if (IsTopLevel(*w)) SyncNative(*w);
      return TRUE;
    }
    case WM_GETTEXT: {
      auto* buffer = reinterpret_cast<char*>(lParam);
      const int size = static_cast<int>(wParam);
      if (!buffer || size <= 0) return 0;
      const size_t n = std::min(w->text.size(), static_cast<size_t>(size - 1));
      std::memcpy(buffer, w->text.data(), n);
      buffer[n] = '\0';
      return static_cast<LRESULT>(n);
    }
    case WM_NCHITTEST:
      return HitTest(hwnd, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    case WM_SETCURSOR: {
      if (!IsTopLevel(*w) && w->parent) {
        if (SendMessage(w->parent, WM_SETCURSOR, wParam, lParam)) return TRUE;
      }
      const int hit = static_cast<short>(LOWORD(static_cast<std::uintptr_t>(lParam)));
      if (hit == HTCLIENT) {
        const Window* again = Find(hwnd);
        HCURSOR cursor = again && again->cls ? again->cls->wc.hCursor : nullptr;
        if (cursor) {
          SetCursor(cursor);
          return TRUE;
        }
        return FALSE;
      }
      SetCursor(LoadCursor(nullptr, IDC_ARROW));
      return hit == HTNOWHERE || hit == HTERROR ? FALSE : TRUE;
    }
    case WM_MOUSEACTIVATE:
      if (!IsTopLevel(*w) && w->parent) {
        const LRESULT r = SendMessage(w->parent, WM_MOUSEACTIVATE, wParam, lParam);
        if (r) return r;
      }
      return MA_ACTIVATE;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) SetFocus(hwnd);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(hwnd, &ps);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND: {
      HBRUSH brush = ClassBrush(*w);
      if (!brush) return 0;
      RECT r;
      GetClientRect(hwnd, &r);
      FillRect(reinterpret_cast<HDC>(wParam), &r, brush);
      return 1;
    }
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_SYSCOMMAND:
      switch (wParam & 0xFFF0) {
        case SC_MOVE: {
          Window* top = TopLevelOf(w);
          if (top) platform::GetBackend().StartSystemMove(top->handle);
          return 0;
        }
        case SC_CLOSE: SendMessage(hwnd, WM_CLOSE, 0, 0); return 0;
        default: return 0;
      }
    case WM_NCLBUTTONDOWN:
      if (wParam == HTCAPTION) SendMessage(hwnd, WM_SYSCOMMAND, SC_MOVE | HTCAPTION, lParam);
      return 0;
    case WM_SYSKEYDOWN:
      if (wParam == VK_F4 && (GetKeyState(VK_MENU) & 0x8000)) {
        Window* top = TopLevelOf(w);
        if (top) PostMessage(top->handle, WM_SYSCOMMAND, SC_CLOSE, 0);
      }
      return 0;
    case WM_RBUTTONUP: {
      POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      ClientToScreen(hwnd, &p);
      SendMessage(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(p.x, p.y));
      return 0;
    }
    case WM_CONTEXTMENU:
      if (!IsTopLevel(*w) && w->parent) SendMessage(w->parent, WM_CONTEXTMENU, wParam, lParam);
      return 0;
    case WM_KEYUP:
      // The menu key asks for the context menu through the queue, with no point: the
      // window puts the menu where the keyboard user expects it.
      if (wParam == VK_APPS) PostMessage(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(-1, -1));
      return 0;
    case WM_CANCELMODE:
      if (GetCapture() == hwnd) ReleaseCapture();
      return 0;
    case WM_QUERYNEWPALETTE:
      return FALSE;
    default:
      return 0;
  }
}
