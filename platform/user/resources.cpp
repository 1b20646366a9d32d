// Resource loading: strings, cursors, icons and accelerator tables.
#include "platform/user/resources.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "platform/core/xpm.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/objects.h"
#include "platform/user/session.h"
#include "platform/user/state.h"
#include "platform/user/user.h"

using namespace user::detail;

namespace user {
namespace {

const ResourceTable*& Table() {
  static const ResourceTable* table = nullptr;
  return table;
}

constexpr std::uintptr_t kProgramInstance = 0x400000;

std::optional<UINT> ResourceNumber(const char* name) {
  if (!name) return std::nullopt;
  if (IS_INTRESOURCE(name)) return static_cast<UINT>(reinterpret_cast<std::uintptr_t>(name));
  // "#123" names a resource by number too.
  if (name[0] == '#') return static_cast<UINT>(std::strtoul(name + 1, nullptr, 10));
  return std::nullopt;
}

template <typename Handle>
Handle NewUserHandle() {
  State& s = S();
  const std::uintptr_t id = s.nextUserObject;
  s.nextUserObject += 4;
  return reinterpret_cast<Handle>(id);
}

}  // namespace

void RegisterResources(const ResourceTable* table) { Table() = table; }
const ResourceTable* Resources() { return Table(); }
HINSTANCE ProgramInstance() { return reinterpret_cast<HINSTANCE>(kProgramInstance); }

}  // namespace user

using namespace user;

int LoadString(HINSTANCE, UINT id, char* buffer, int size) {
  if (!buffer || size <= 0) return 0;
  buffer[0] = '\0';
  const ResourceTable* t = Resources();
  if (!t) return 0;
  auto it = t->strings.find(id);
  if (it == t->strings.end()) return 0;
  const size_t n = std::min(it->second.size(), static_cast<size_t>(size - 1));
  std::memcpy(buffer, it->second.data(), n);
  buffer[n] = '\0';
  return static_cast<int>(n);
}

HCURSOR LoadCursor(HINSTANCE instance, const char* name) {
  State& s = S();
  const auto number = ResourceNumber(name);
  if (!number) return nullptr;
  if (!instance) {
    // System cursors: only the arrow is used. It is shared and lives for the session.
    if (*number != 32512) return nullptr;
    static const std::uintptr_t kArrow = 0x7F00;
    if (!s.cursors.count(kArrow)) {
      s.cursors[kArrow].cursor.kind = platform::Cursor::Kind::Arrow;
    }
    return reinterpret_cast<HCURSOR>(kArrow);
  }
  const ResourceTable* t = Resources();
  if (!t) return nullptr;
  auto it = t->cursors.find(*number);
  if (it == t->cursors.end()) return nullptr;
  auto picture = platform::ParseXpm(it->second);
  if (!picture) return nullptr;
  CursorObject c;
  c.cursor.kind = platform::Cursor::Kind::Picture;
  c.cursor.image = std::move(picture->image);
  c.cursor.hotspot = picture->hotspot.value_or(POINT{0, 0});
  HCURSOR h = NewUserHandle<HCURSOR>();
  s.cursors.emplace(reinterpret_cast<std::uintptr_t>(h), std::move(c));
  return h;
}

BOOL DestroyCursor(HCURSOR cursor) {
  State& s = S();
  const auto id = reinterpret_cast<std::uintptr_t>(cursor);
  auto it = s.cursors.find(id);
  if (it == s.cursors.end()) return FALSE;
  if (it->second.cursor.kind == platform::Cursor::Kind::Arrow) return TRUE;  // shared
  // A cursor destroyed while it is shown leaves the plain arrow on screen.
  if (s.cursor == cursor) SetCursor(LoadCursor(nullptr, IDC_ARROW));
  s.cursors.erase(reinterpret_cast<std::uintptr_t>(cursor));
  return TRUE;
}

HCURSOR SetCursor(HCURSOR cursor) {
  State& s = S();
  const HCURSOR previous = s.cursor;
  auto it = s.cursors.find(reinterpret_cast<std::uintptr_t>(cursor));
  if (cursor && it == s.cursors.end()) return previous;
  s.cursor = cursor;
  if (cursor != previous) {
    platform::Cursor hidden;
    hidden.kind = platform::Cursor::Kind::Hidden;
    platform::GetBackend().SetCursor(cursor ? it->second.cursor : hidden);
  }
  return previous;
}

HCURSOR GetCursor() { return S().cursor; }

BOOL GetCursorPos(POINT* point) {
  if (!point) return FALSE;
  *point = platform::GetBackend().CursorPos();
  return TRUE;
}

HICON LoadIcon(HINSTANCE instance, const char* name) {
  const auto number = ResourceNumber(name);
  const ResourceTable* t = Resources();
  if (!number || !instance || !t) return nullptr;
  auto it = t->icons.find(*number);
  if (it == t->icons.end()) return nullptr;
  IconObject icon;
  for (XpmLines lines : it->second) {
    auto picture = platform::ParseXpm(lines);
    if (picture) icon.sizes.push_back(std::move(picture->image));
  }
  if (icon.sizes.empty()) return nullptr;
  HICON h = NewUserHandle<HICON>();
  S().icons.emplace(reinterpret_cast<std::uintptr_t>(h), std::move(icon));
  return h;
}

HBITMAP LoadBitmap(HINSTANCE instance, const char* name) {
  const auto number = ResourceNumber(name);
  const ResourceTable* t = Resources();
  if (!number || !instance || !t) return nullptr;
  auto it = t->bitmaps.find(*number);
  if (it == t->bitmaps.end()) return nullptr;
  auto picture = platform::ParseXpm(it->second);
  if (!picture) return nullptr;
  HBITMAP b = CreateBitmap(picture->image.width, picture->image.height, 1,
                           static_cast<UINT>(gdi::DisplayBitsPerPixel()), nullptr);
  if (!b) return nullptr;
  // Bitmaps have no transparency: a transparent pixel in the picture is black.
  auto* bitmap = gdi::Find<gdi::BitmapObject>(b);
  for (size_t i = 0; i < bitmap->surface->pixels.size(); ++i) {
    const std::uint32_t argb = picture->image.argb[i];
    bitmap->surface->pixels[i] = (argb >> 24) ? (argb & 0xFFFFFF) : 0;
  }
  return b;
}

BOOL DrawIcon(HDC hdc, int x, int y, HICON icon) {
  auto it = S().icons.find(reinterpret_cast<std::uintptr_t>(icon));
  if (it == S().icons.end() || it->second.sizes.empty()) return FALSE;
  const std::vector<platform::Image>& sizes = it->second.sizes;
  const platform::Image* picture = &sizes.front();
  for (const platform::Image& p : sizes) {
    if (p.width == GetSystemMetrics(SM_CXICON)) {
      picture = &p;
      break;
    }
  }
  for (int row = 0; row < picture->height; ++row) {
    for (int col = 0; col < picture->width; ++col) {
      const std::uint32_t argb = picture->argb[static_cast<size_t>(row) * picture->width + col];
      if ((argb >> 24) < 0x80) continue;
      SetPixel(hdc, x + col, y + row, RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF));
    }
  }
  return TRUE;
}

BOOL DestroyIcon(HICON icon) {
  return S().icons.erase(reinterpret_cast<std::uintptr_t>(icon)) ? TRUE : FALSE;
}

HACCEL LoadAccelerators(HINSTANCE instance, const char* name) {
  const auto number = ResourceNumber(name);
  const ResourceTable* t = Resources();
  if (!number || !instance || !t) return nullptr;
  auto it = t->accelerators.find(*number);
  if (it == t->accelerators.end()) return nullptr;
  HACCEL h = NewUserHandle<HACCEL>();
  S().accelerators.emplace(reinterpret_cast<std::uintptr_t>(h), it->second);
  return h;
}

BOOL DestroyAcceleratorTable(HACCEL accel) {
  return S().accelerators.erase(reinterpret_cast<std::uintptr_t>(accel)) ? TRUE : FALSE;
}

int TranslateAccelerator(HWND hwnd, HACCEL accel, MSG* msg) {
  State& s = S();
  if (!msg || !IsWindow(hwnd)) return 0;
  if (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN) return 0;
  auto it = s.accelerators.find(reinterpret_cast<std::uintptr_t>(accel));
  if (it == s.accelerators.end()) return 0;
  const bool shift = GetKeyState(VK_SHIFT) & 0x8000;
  const bool control = GetKeyState(VK_CONTROL) & 0x8000;
  const bool alt = GetKeyState(VK_MENU) & 0x8000;
  for (const Accelerator& a : it->second) {
    if (!(a.flags & FVIRTKEY) || a.key != (msg->wParam & 0xFFFF)) continue;
    if (((a.flags & FSHIFT) != 0) != shift) continue;
    if (((a.flags & FCONTROL) != 0) != control) continue;
    if (((a.flags & FALT) != 0) != alt) continue;
    SendMessage(hwnd, WM_COMMAND, MAKEWPARAM(a.command, 1), 0);
    return 1;
  }
  return 0;
}
