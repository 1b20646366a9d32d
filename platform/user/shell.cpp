// The tray, message boxes, help and the desktop's opener.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <string_view>

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

BOOL WinHelp(HWND hwnd, const char* helpFile, UINT command, std::uintptr_t data) {
  if (!helpFile || !*helpFile) return FALSE;
  if (command != HELP_CONTEXT && command != HELP_QUIT && command != HELP_CONTENTS && command != HELP_FINDER) {
    return FALSE;
  }
  platform::HelpRequest request;
  request.file = helpFile;
  request.command = command;
  request.data = data;
  request.owner = hwnd;
  return platform::GetBackend().ShowHelp(request) ? TRUE : FALSE;
}

namespace {

// A file name becomes a file:// address; anything with a scheme is an address already.
std::string AsAddress(std::string_view file) {
  const size_t colon = file.find(':');
  const bool hasScheme = colon != std::string_view::npos && colon > 1 &&
                         std::all_of(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(colon), [](char c) {
                           return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
                         });
  if (hasScheme) return std::string(file);
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(std::filesystem::path(file), ec);
  return "file://" + (ec ? std::string(file) : absolute.string());
}

constexpr std::uintptr_t kShellOpened = 42;        // anything above 32
constexpr std::uintptr_t kShellNoAssociation = 31;  // SE_ERR_NOASSOC
constexpr std::uintptr_t kShellNoFile = 2;          // ERROR_FILE_NOT_FOUND

}  // namespace

HINSTANCE ShellExecute(HWND, const char* verb, const char* file, const char*, const char*, int) {
  if (!file || !*file) return reinterpret_cast<HINSTANCE>(kShellNoFile);
  if (verb && *verb && std::string_view(verb) != "open") return reinterpret_cast<HINSTANCE>(kShellNoAssociation);
  const bool opened = platform::GetBackend().OpenUrl(AsAddress(file));
  return reinterpret_cast<HINSTANCE>(opened ? kShellOpened : kShellNoAssociation);
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
