// Menus: loaded from resources, changed by the program, tracked as modal popups.
#include <cstring>

#include "platform/user/session.h"
#include "platform/user/state.h"
#include "platform/user/user.h"

using namespace user::detail;

namespace {

MenuObject* FindMenu(HMENU menu) {
  State& s = S();
  auto it = s.menus.find(reinterpret_cast<std::uintptr_t>(menu));
  return it == s.menus.end() ? nullptr : &it->second;
}

HMENU BuildMenu(const std::vector<platform::MenuEntry>& entries, HMENU parent) {
  State& s = S();
  const HMENU handle = reinterpret_cast<HMENU>(s.nextUserObject);
  s.nextUserObject += 4;
  s.menus[reinterpret_cast<std::uintptr_t>(handle)].parent = parent;
  std::vector<MenuItem> items;
  for (const platform::MenuEntry& e : entries) {
    MenuItem item;
    item.id = e.id;
    item.text = e.text;
    if (e.grayed) item.flags |= MF_GRAYED;
    switch (e.kind) {
      case platform::MenuEntry::Kind::Separator: item.flags |= MF_SEPARATOR; break;
      case platform::MenuEntry::Kind::Submenu:
        item.flags |= MF_POPUP;
        item.submenu = BuildMenu(e.children, handle);
        break;
      case platform::MenuEntry::Kind::Command: break;
    }
    items.push_back(std::move(item));
  }
  s.menus[reinterpret_cast<std::uintptr_t>(handle)].items = std::move(items);
  return handle;
}

std::vector<platform::MenuEntry> ToEntries(HMENU menu) {
  std::vector<platform::MenuEntry> out;
  const MenuObject* m = FindMenu(menu);
  if (!m) return out;
  for (const MenuItem& item : m->items) {
    platform::MenuEntry e;
    e.id = item.id;
    e.text = item.text;
    e.grayed = (item.flags & (MF_GRAYED | MF_DISABLED)) != 0;
    if (item.flags & MF_SEPARATOR) {
      e.kind = platform::MenuEntry::Kind::Separator;
    } else if (item.flags & MF_POPUP) {
      e.kind = platform::MenuEntry::Kind::Submenu;
      e.children = ToEntries(item.submenu);
    }
    out.push_back(std::move(e));
  }
  return out;
}

MenuItem* FindItem(HMENU menu, UINT item, UINT flags) {
  MenuObject* m = FindMenu(menu);
  if (!m) return nullptr;
  if (flags & MF_BYPOSITION) {
    return item < m->items.size() ? &m->items[item] : nullptr;
  }
  for (MenuItem& i : m->items) {
    if (!(i.flags & (MF_POPUP | MF_SEPARATOR)) && i.id == item) return &i;
    if (i.flags & MF_POPUP) {
      if (MenuItem* inner = FindItem(i.submenu, item, flags)) return inner;
    }
  }
  return nullptr;
}

}  // namespace

HMENU LoadMenu(HINSTANCE instance, const char* name) {
  const user::ResourceTable* t = user::Resources();
  if (!t || !instance || !name || !IS_INTRESOURCE(name)) return nullptr;
  auto it = t->menus.find(static_cast<UINT>(reinterpret_cast<std::uintptr_t>(name)));
  if (it == t->menus.end()) return nullptr;
  return BuildMenu(it->second, nullptr);
}

HMENU GetSubMenu(HMENU menu, int position) {
  MenuObject* m = FindMenu(menu);
  if (!m || position < 0 || static_cast<size_t>(position) >= m->items.size()) return nullptr;
  const MenuItem& item = m->items[static_cast<size_t>(position)];
  return (item.flags & MF_POPUP) ? item.submenu : nullptr;
}

int GetMenuItemCount(HMENU menu) {
  const MenuObject* m = FindMenu(menu);
  return m ? static_cast<int>(m->items.size()) : -1;
}

UINT GetMenuItemID(HMENU menu, int position) {
  const MenuObject* m = FindMenu(menu);
  if (!m || position < 0 || static_cast<size_t>(position) >= m->items.size()) return 0xFFFFFFFF;
  const MenuItem& item = m->items[static_cast<size_t>(position)];
  if (item.flags & MF_POPUP) return 0xFFFFFFFF;
  return item.flags & MF_SEPARATOR ? 0 : item.id;
}

UINT GetMenuState(HMENU menu, UINT item, UINT flags) {
  const MenuItem* i = FindItem(menu, item, flags);
  return i ? (i->flags & (MF_GRAYED | MF_DISABLED | MF_SEPARATOR | MF_POPUP)) : 0xFFFFFFFF;
}

int GetMenuString(HMENU menu, UINT item, char* buffer, int size, UINT flags) {
  const MenuItem* i = FindItem(menu, item, flags);
  if (!i) return 0;
  if (!buffer || size <= 0) return static_cast<int>(i->text.size());
  const size_t n = std::min(i->text.size(), static_cast<size_t>(size - 1));
  std::memcpy(buffer, i->text.data(), n);
  buffer[n] = '\0';
  return static_cast<int>(n);
}

UINT EnableMenuItem(HMENU menu, UINT item, UINT enable) {
  MenuItem* i = FindItem(menu, item, enable);
  if (!i) return 0xFFFFFFFF;
  const UINT previous = i->flags & (MF_GRAYED | MF_DISABLED);
  i->flags = (i->flags & ~(MF_GRAYED | MF_DISABLED)) | (enable & (MF_GRAYED | MF_DISABLED));
  return previous;
}

BOOL DestroyMenu(HMENU menu) {
  State& s = S();
  auto it = s.menus.find(reinterpret_cast<std::uintptr_t>(menu));
  if (it == s.menus.end()) return FALSE;
  const std::vector<MenuItem> items = it->second.items;
  s.menus.erase(it);
  for (const MenuItem& i : items) {
    if (i.submenu) DestroyMenu(i.submenu);
  }
  return TRUE;
}

BOOL IsMenu(HMENU menu) { return FindMenu(menu) ? TRUE : FALSE; }

BOOL SetMenu(HWND hwnd, HMENU menu) {
  Window* w = Find(hwnd);
  if (!w || (w->style & WS_CHILD)) return FALSE;
  if (menu && !FindMenu(menu)) return FALSE;
  // The old menu stays with its loader, as on the classic platform.
  w->menu = menu;
  return TRUE;
}

HMENU GetMenu(HWND hwnd) {
  const Window* w = Find(hwnd);
  return w && !(w->style & WS_CHILD) ? w->menu : nullptr;
}

BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND owner, const RECT*) {
  if (!FindMenu(menu) || !IsWindow(owner)) return FALSE;
  const std::vector<platform::MenuEntry> entries = ToEntries(menu);
  const UINT chosen = platform::GetBackend().TrackPopupMenu(entries, POINT{x, y}, owner);
  if (flags & TPM_RETURNCMD) return static_cast<BOOL>(chosen);
  // The chosen command is posted, so it runs after the menu has gone.
  if (chosen != 0 && IsWindow(owner)) PostMessage(owner, WM_COMMAND, chosen, 0);
  return TRUE;
}
