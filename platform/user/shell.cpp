// The tray and message boxes.
#include <algorithm>
#include <cstring>

#include "platform/user/session.h"
#include "platform/user/state.h"
#include "platform/user/user.h"

using namespace user::detail;

BOOL Shell_NotifyIcon(DWORD message, const NOTIFYICONDATAA* data) {
  if (!data || !IsWindow(data->hWnd)) return FALSE;
  State& s = S();
  auto it = std::find_if(s.tray.begin(), s.tray.end(), [&](const TrayIcon& t) {
    return t.hwnd == data->hWnd && t.id == data->uID;
  });
  // The tip is a fixed 64-byte field: at most 63 bytes and the terminating zero.
  const std::string tip(data->szTip, strnlen(data->szTip, sizeof(data->szTip) - 1));
  std::vector<platform::Image> picture;
  if (data->uFlags & NIF_ICON) {
    auto icon = s.icons.find(reinterpret_cast<std::uintptr_t>(data->hIcon));
    if (icon != s.icons.end()) picture = icon->second.sizes;
  }
  switch (message) {
    case NIM_ADD: {
      if (it != s.tray.end()) return FALSE;
      TrayIcon t;
      t.hwnd = data->hWnd;
      t.id = data->uID;
      t.callbackMessage = (data->uFlags & NIF_MESSAGE) ? data->uCallbackMessage : 0;
      t.tip = (data->uFlags & NIF_TIP) ? tip : std::string();
      t.iconSizes = static_cast<int>(picture.size());
      if (!platform::GetBackend().TrayAdd(t.hwnd, t.id, picture, t.tip)) return FALSE;
      s.tray.push_back(std::move(t));
      return TRUE;
    }
    case NIM_MODIFY: {
      if (it == s.tray.end()) return FALSE;
      if (data->uFlags & NIF_MESSAGE) it->callbackMessage = data->uCallbackMessage;
      if (data->uFlags & NIF_TIP) it->tip = tip;
      if (data->uFlags & NIF_ICON) it->iconSizes = static_cast<int>(picture.size());
      return platform::GetBackend().TrayModify(it->hwnd, it->id, picture, it->tip) ? TRUE : FALSE;
    }
    case NIM_DELETE: {
      if (it == s.tray.end()) return FALSE;
      const TrayIcon gone = *it;
      s.tray.erase(it);
      platform::GetBackend().TrayDelete(gone.hwnd, gone.id);
      return TRUE;
    }
    default: return FALSE;
  }
}

int MessageBox(HWND owner, const char* text, const char* caption, UINT type) {
  return platform::GetBackend().MessageBox(owner, text ? text : "", caption ? caption : "Error", type);
}

namespace user {

void DeliverTrayEvent(HWND hwnd, UINT id, UINT mouseMessage) {
  for (const detail::TrayIcon& t : detail::S().tray) {
    if (t.hwnd == hwnd && t.id == id && t.callbackMessage) {
      PostMessage(hwnd, t.callbackMessage, id, static_cast<LPARAM>(mouseMessage));
      return;
    }
  }
}

std::vector<detail::TrayIcon> TrayIcons() { return detail::S().tray; }

}  // namespace user
