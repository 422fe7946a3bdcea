// Menus as data: the handle table, items, their states and the functions that build and
// query them. Handles are small numbers in a range of their own so that a window handle,
// a GDI object or a stale pointer is never mistaken for a menu.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

#include "platform/controls/MenuModel.h"
#include "platform/kernel32.h"

namespace platform::controls {

namespace {

constexpr uintptr_t kFirstMenuHandle = 0x04000000;
constexpr uintptr_t kMenuHandleStep = 4;
constexpr uintptr_t kLastMenuHandle = 0x04FFFFFC;
// Deep enough for any real menu; stops a menu that was made to contain itself.
constexpr int kMaxDepth = 32;

struct Menu {
  bool popup = false;
  std::vector<MenuItemData> items;
};

struct MenuTable {
  std::recursive_mutex mutex;
  std::map<uintptr_t, std::shared_ptr<Menu>> menus;
  uintptr_t next = kFirstMenuHandle;
};

MenuTable& Table() {
  static auto* table = new MenuTable();
  return *table;
}

uintptr_t Key(HMENU menu) {
  return reinterpret_cast<uintptr_t>(menu);
}

Menu* FindLocked(HMENU menu) {
  auto& menus = Table().menus;
  auto it = menus.find(Key(menu));
  return it == menus.end() ? nullptr : it->second.get();
}

HMENU NewMenu(bool popup) {
  MenuTable& t = Table();
  std::lock_guard lock(t.mutex);
  // Handles are reused only after the whole range went round, so a stale handle stays
  // dead for a long time.
  for (uintptr_t tries = 0; tries <= (kLastMenuHandle - kFirstMenuHandle) / kMenuHandleStep;
       ++tries) {
    uintptr_t h = t.next;
    t.next = t.next >= kLastMenuHandle ? kFirstMenuHandle : t.next + kMenuHandleStep;
    if (t.menus.count(h) != 0) continue;
    auto menu = std::make_shared<Menu>();
    menu->popup = popup;
    t.menus.emplace(h, std::move(menu));
    return reinterpret_cast<HMENU>(h);
  }
  SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return nullptr;
}

void DestroyLocked(HMENU menu, int depth) {
  auto& menus = Table().menus;
  auto it = menus.find(Key(menu));
  if (it == menus.end() || depth > kMaxDepth) return;
  std::shared_ptr<Menu> held = it->second;
  menus.erase(it);
  for (const MenuItemData& item : held->items) {
    if (item.sub != nullptr) DestroyLocked(item.sub, depth + 1);
  }
}

// Where an item lies: the menu that holds it (a submenu for MF_BYCOMMAND) and its index.
struct Place {
  Menu* menu = nullptr;
  size_t index = 0;
};

bool FindByCommand(Menu* menu, UINT id, int depth, Place* place) {
  if (depth > kMaxDepth) return false;
  for (size_t i = 0; i < menu->items.size(); ++i) {
    const MenuItemData& item = menu->items[i];
    if (item.sub == nullptr && !item.Separator() && item.id == id) {
      *place = {menu, i};
      return true;
    }
    if (item.sub != nullptr) {
      Menu* sub = FindLocked(item.sub);
      if (sub != nullptr && FindByCommand(sub, id, depth + 1, place)) return true;
    }
  }
  // A submenu may be named by the id it was given (its handle, as MF_POPUP items have).
  for (size_t i = 0; i < menu->items.size(); ++i) {
    if (menu->items[i].sub != nullptr && menu->items[i].id == id) {
      *place = {menu, i};
      return true;
    }
  }
  return false;
}

bool Locate(HMENU handle, UINT item, bool byPosition, Place* place) {
  Menu* menu = FindLocked(handle);
  if (menu == nullptr) return false;
  if (byPosition) {
    if (item >= menu->items.size()) return false;
    *place = {menu, item};
    return true;
  }
  return FindByCommand(menu, item, 0, place);
}

// An item from the flags and arguments of AppendMenuA, InsertMenuA and ModifyMenuA.
bool ItemFromFlags(UINT flags, UINT_PTR idNew, LPCSTR text, MenuItemData* item) {
  item->type = flags & (MF_SEPARATOR | MF_MENUBARBREAK | MF_MENUBREAK | MF_RIGHTJUSTIFY);
  item->state = flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_DEFAULT);
  if ((flags & MF_POPUP) != 0) {
    HMENU sub = reinterpret_cast<HMENU>(idNew);
    if (FindLocked(sub) == nullptr) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return false;
    }
    item->sub = sub;
    item->id = static_cast<UINT>(idNew);
  } else {
    item->id = static_cast<UINT>(idNew);
  }
  // Bitmap and owner-drawn items are not drawn here; their "text" is a handle or data.
  if ((flags & (MF_SEPARATOR | MF_BITMAP | MF_OWNERDRAW)) == 0 && text != nullptr) {
    item->text = text;
  }
  return true;
}

// Adding `sub` under `menu` must not make a menu contain itself.
bool WouldLoop(HMENU menu, HMENU sub, int depth) {
  if (sub == nullptr) return false;
  if (sub == menu || depth > kMaxDepth) return true;
  Menu* m = FindLocked(sub);
  if (m == nullptr) return false;
  for (const MenuItemData& item : m->items) {
    if (WouldLoop(menu, item.sub, depth + 1)) return true;
  }
  return false;
}

UINT StateBits(const MenuItemData& item) {
  UINT bits = item.state | (item.type & (MF_SEPARATOR | MF_MENUBARBREAK | MF_MENUBREAK));
  if (item.sub != nullptr) {
    Menu* sub = FindLocked(item.sub);
    // For a submenu the high byte holds its item count, as callers expect.
    bits |= MF_POPUP | (static_cast<UINT>(sub != nullptr ? sub->items.size() : 0) << 8);
  }
  return bits;
}

}  // namespace

std::string MenuItemData::Label() const {
  size_t tab = text.find('\t');
  return tab == std::string::npos ? text : text.substr(0, tab);
}

std::string MenuItemData::Shortcut() const {
  size_t tab = text.find('\t');
  return tab == std::string::npos ? std::string() : text.substr(tab + 1);
}

char MenuItemData::AccessKey() const {
  const std::string label = Label();
  for (size_t i = 0; i < label.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(label[i]);
    // Skip both bytes of a GBK character: its trail byte may look like '&'.
    if (c >= 0x81 && c <= 0xFE && i + 1 < label.size()) {
      ++i;
      continue;
    }
    if (c != '&' || i + 1 >= label.size()) continue;
    unsigned char next = static_cast<unsigned char>(label[i + 1]);
    if (next == '&') {
      ++i;
      continue;
    }
    if (next < 0x80) return static_cast<char>(std::tolower(next));
    return 0;
  }
  return 0;
}

bool SnapshotMenu(HMENU handle, std::vector<MenuItemData>* items) {
  std::lock_guard lock(Table().mutex);
  Menu* menu = FindLocked(handle);
  if (menu == nullptr) return false;
  *items = menu->items;
  return true;
}

bool FindItemById(HMENU handle, UINT id, MenuItemData* item) {
  std::lock_guard lock(Table().mutex);
  Place place;
  if (!Locate(handle, id, false, &place)) return false;
  *item = place.menu->items[place.index];
  return true;
}

}  // namespace platform::controls

using namespace platform::controls;

HMENU CreateMenu() {
  return NewMenu(false);
}
HMENU CreatePopupMenu() {
  return NewMenu(true);
}

BOOL DestroyMenu(HMENU menu) {
  std::lock_guard lock(Table().mutex);
  if (FindLocked(menu) == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  DestroyLocked(menu, 0);
  return TRUE;
}

BOOL IsMenu(HMENU menu) {
  std::lock_guard lock(Table().mutex);
  return FindLocked(menu) != nullptr ? TRUE : FALSE;
}

BOOL InsertMenuA(HMENU handle, UINT position, UINT flags, UINT_PTR idNew, LPCSTR text) {
  std::lock_guard lock(Table().mutex);
  Menu* menu = FindLocked(handle);
  if (menu == nullptr) return FALSE;
  MenuItemData item;
  if (!ItemFromFlags(flags, idNew, text, &item)) return FALSE;
  if (WouldLoop(handle, item.sub, 0)) return FALSE;
  Menu* target = menu;
  size_t index = menu->items.size();
  if ((flags & MF_BYPOSITION) != 0) {
    // Past the end (and the customary -1) appends.
    index = std::min<size_t>(position, menu->items.size());
  } else {
    Place place;
    if (Locate(handle, position, false, &place)) {
      target = place.menu;
      index = place.index;
    }
  }
  target->items.insert(target->items.begin() + static_cast<std::ptrdiff_t>(index), std::move(item));
  return TRUE;
}

BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR idNew, LPCSTR text) {
  return InsertMenuA(menu, 0xFFFFFFFFu, (flags & ~MF_BYCOMMAND) | MF_BYPOSITION, idNew, text);
}

BOOL ModifyMenuA(HMENU handle, UINT position, UINT flags, UINT_PTR idNew, LPCSTR text) {
  std::lock_guard lock(Table().mutex);
  Place place;
  if (!Locate(handle, position, (flags & MF_BYPOSITION) != 0, &place)) return FALSE;
  MenuItemData item;
  if (!ItemFromFlags(flags, idNew, text, &item)) return FALSE;
  if (WouldLoop(handle, item.sub, 0)) return FALSE;
  MenuItemData& old = place.menu->items[place.index];
  // A submenu replaced by something else is destroyed, as its owner gave it to us.
  if (old.sub != nullptr && old.sub != item.sub) DestroyLocked(old.sub, 0);
  item.data = old.data;
  old = std::move(item);
  return TRUE;
}

BOOL RemoveMenu(HMENU handle, UINT position, UINT flags) {
  std::lock_guard lock(Table().mutex);
  Place place;
  if (!Locate(handle, position, (flags & MF_BYPOSITION) != 0, &place)) return FALSE;
  place.menu->items.erase(place.menu->items.begin() + static_cast<std::ptrdiff_t>(place.index));
  return TRUE;
}

BOOL DeleteMenu(HMENU handle, UINT position, UINT flags) {
  std::lock_guard lock(Table().mutex);
  Place place;
  if (!Locate(handle, position, (flags & MF_BYPOSITION) != 0, &place)) return FALSE;
  HMENU sub = place.menu->items[place.index].sub;
  place.menu->items.erase(place.menu->items.begin() + static_cast<std::ptrdiff_t>(place.index));
  if (sub != nullptr) DestroyLocked(sub, 0);
  return TRUE;
}

BOOL InsertMenuItemA(HMENU handle, UINT position, BOOL byPosition, LPCMENUITEMINFOA info) {
  if (info == nullptr || info->cbSize < sizeof(MENUITEMINFOA)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard lock(Table().mutex);
  Menu* menu = FindLocked(handle);
  if (menu == nullptr) return FALSE;
  MenuItemData item;
  if ((info->fMask & (MIIM_TYPE | MIIM_FTYPE)) != 0) item.type = info->fType & ~MF_POPUP;
  if ((info->fMask & MIIM_STATE) != 0)
    item.state = info->fState & (MFS_GRAYED | MFS_CHECKED | MFS_DEFAULT);
  if ((info->fMask & MIIM_ID) != 0) item.id = info->wID;
  if ((info->fMask & MIIM_DATA) != 0) item.data = info->dwItemData;
  if ((info->fMask & MIIM_SUBMENU) != 0 && info->hSubMenu != nullptr) {
    if (FindLocked(info->hSubMenu) == nullptr || WouldLoop(handle, info->hSubMenu, 0)) return FALSE;
    item.sub = info->hSubMenu;
  }
  const bool textGiven = (info->fMask & MIIM_STRING) != 0 ||
                         ((info->fMask & MIIM_TYPE) != 0 &&
                          (info->fType & (MFT_SEPARATOR | MFT_BITMAP | MFT_OWNERDRAW)) == 0);
  if (textGiven && info->dwTypeData != nullptr) item.text = info->dwTypeData;
  Menu* target = menu;
  size_t index = menu->items.size();
  if (byPosition) {
    index = std::min<size_t>(position, menu->items.size());
  } else {
    Place place;
    if (Locate(handle, position, false, &place)) {
      target = place.menu;
      index = place.index;
    }
  }
  target->items.insert(target->items.begin() + static_cast<std::ptrdiff_t>(index), std::move(item));
  return TRUE;
}

BOOL GetMenuItemInfoA(HMENU handle, UINT position, BOOL byPosition, LPMENUITEMINFOA info) {
  if (info == nullptr || info->cbSize < sizeof(MENUITEMINFOA)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard lock(Table().mutex);
  Place place;
  if (!Locate(handle, position, byPosition != FALSE, &place)) return FALSE;
  const MenuItemData& item = place.menu->items[place.index];
  if ((info->fMask & (MIIM_TYPE | MIIM_FTYPE)) != 0) info->fType = item.type;
  if ((info->fMask & MIIM_STATE) != 0) info->fState = item.state;
  if ((info->fMask & MIIM_ID) != 0) info->wID = item.id;
  if ((info->fMask & MIIM_SUBMENU) != 0) info->hSubMenu = item.sub;
  if ((info->fMask & MIIM_DATA) != 0) info->dwItemData = item.data;
  if ((info->fMask & (MIIM_STRING | MIIM_TYPE)) != 0) {
    // cch is the buffer size on the way in and the text length on the way out.
    UINT room = info->cch;
    if (info->dwTypeData != nullptr && room > 0) {
      size_t n = std::min<size_t>(item.text.size(), room - 1);
      // Never end inside a two-byte GBK character.
      size_t safe = 0;
      while (safe < n) {
        unsigned char c = static_cast<unsigned char>(item.text[safe]);
        size_t w = c >= 0x81 && c <= 0xFE && safe + 1 < item.text.size() ? 2 : 1;
        if (safe + w > n) break;
        safe += w;
      }
      std::memcpy(info->dwTypeData, item.text.data(), safe);
      info->dwTypeData[safe] = '\0';
      info->cch = static_cast<UINT>(safe);
    } else {
      info->cch = static_cast<UINT>(item.text.size());
    }
  }
  return TRUE;
}

BOOL SetMenuItemInfoA(HMENU handle, UINT position, BOOL byPosition, LPCMENUITEMINFOA info) {
  if (info == nullptr || info->cbSize < sizeof(MENUITEMINFOA)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard lock(Table().mutex);
  Place place;
  if (!Locate(handle, position, byPosition != FALSE, &place)) return FALSE;
  MenuItemData& item = place.menu->items[place.index];
  if ((info->fMask & MIIM_SUBMENU) != 0) {
    if (info->hSubMenu != nullptr &&
        (FindLocked(info->hSubMenu) == nullptr || WouldLoop(handle, info->hSubMenu, 0))) {
      return FALSE;
    }
    item.sub = info->hSubMenu;
  }
  if ((info->fMask & (MIIM_TYPE | MIIM_FTYPE)) != 0) item.type = info->fType & ~MF_POPUP;
  if ((info->fMask & MIIM_STATE) != 0)
    item.state = info->fState & (MFS_GRAYED | MFS_CHECKED | MFS_DEFAULT);
  if ((info->fMask & MIIM_ID) != 0) item.id = info->wID;
  if ((info->fMask & MIIM_DATA) != 0) item.data = info->dwItemData;
  const bool textGiven = (info->fMask & MIIM_STRING) != 0 ||
                         ((info->fMask & MIIM_TYPE) != 0 &&
                          (info->fType & (MFT_SEPARATOR | MFT_BITMAP | MFT_OWNERDRAW)) == 0);
  if (textGiven) item.text = info->dwTypeData != nullptr ? info->dwTypeData : "";
  return TRUE;
}

int GetMenuItemCount(HMENU handle) {
  std::lock_guard lock(Table().mutex);
  Menu* menu = FindLocked(handle);
  return menu == nullptr ? -1 : static_cast<int>(menu->items.size());
}

UINT GetMenuItemID(HMENU handle, int position) {
  std::lock_guard lock(Table().mutex);
  Menu* menu = FindLocked(handle);
  if (menu == nullptr || position < 0 || static_cast<size_t>(position) >= menu->items.size()) {
    return 0xFFFFFFFFu;
  }
  const MenuItemData& item = menu->items[static_cast<size_t>(position)];
  return item.sub != nullptr ? 0xFFFFFFFFu : item.id;
}

HMENU GetSubMenu(HMENU handle, int position) {
  std::lock_guard lock(Table().mutex);
  Menu* menu = FindLocked(handle);
  if (menu == nullptr || position < 0 || static_cast<size_t>(position) >= menu->items.size()) {
    return nullptr;
  }
  return menu->items[static_cast<size_t>(position)].sub;
}

int GetMenuStringA(HMENU handle, UINT position, LPSTR buffer, int size, UINT flags) {
  std::lock_guard lock(Table().mutex);
  Place place;
  if (!Locate(handle, position, (flags & MF_BYPOSITION) != 0, &place)) return 0;
  const std::string& text = place.menu->items[place.index].text;
  if (buffer == nullptr || size <= 0) return static_cast<int>(text.size());
  size_t room = static_cast<size_t>(size) - 1;
  size_t n = 0;
  while (n < text.size()) {
    unsigned char c = static_cast<unsigned char>(text[n]);
    size_t w = c >= 0x81 && c <= 0xFE && n + 1 < text.size() ? 2 : 1;
    if (n + w > room) break;
    n += w;
  }
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  return static_cast<int>(n);
}

UINT GetMenuState(HMENU handle, UINT position, UINT flags) {
  std::lock_guard lock(Table().mutex);
  Place place;
  if (!Locate(handle, position, (flags & MF_BYPOSITION) != 0, &place)) return 0xFFFFFFFFu;
  return StateBits(place.menu->items[place.index]);
}

DWORD CheckMenuItem(HMENU handle, UINT position, UINT check) {
  std::lock_guard lock(Table().mutex);
  Place place;
  if (!Locate(handle, position, (check & MF_BYPOSITION) != 0, &place)) return 0xFFFFFFFFu;
  MenuItemData& item = place.menu->items[place.index];
  DWORD previous = item.state & MF_CHECKED;
  item.state = (item.state & ~MF_CHECKED) | (check & MF_CHECKED);
  return previous;
}

BOOL EnableMenuItem(HMENU handle, UINT position, UINT enable) {
  std::lock_guard lock(Table().mutex);
  Place place;
  if (!Locate(handle, position, (enable & MF_BYPOSITION) != 0, &place)) return -1;
  MenuItemData& item = place.menu->items[place.index];
  BOOL previous = static_cast<BOOL>(item.state & (MF_GRAYED | MF_DISABLED));
  item.state = (item.state & ~(MF_GRAYED | MF_DISABLED)) | (enable & (MF_GRAYED | MF_DISABLED));
  return previous;
}

BOOL CheckMenuRadioItem(HMENU handle, UINT first, UINT last, UINT check, UINT flags) {
  std::lock_guard lock(Table().mutex);
  Menu* menu = nullptr;
  size_t from = 0, to = 0, chosen = 0;
  if ((flags & MF_BYPOSITION) != 0) {
    menu = FindLocked(handle);
    if (menu == nullptr || first > last || last >= menu->items.size() || check < first ||
        check > last) {
      return FALSE;
    }
    from = first;
    to = last;
    chosen = check;
  } else {
    // By command the three items must lie in one menu.
    Place a, b, c;
    if (!Locate(handle, first, false, &a) || !Locate(handle, last, false, &b) ||
        !Locate(handle, check, false, &c) || a.menu != b.menu || a.menu != c.menu) {
      return FALSE;
    }
    menu = a.menu;
    from = std::min(a.index, b.index);
    to = std::max(a.index, b.index);
    chosen = c.index;
    if (chosen < from || chosen > to) return FALSE;
  }
  for (size_t i = from; i <= to; ++i) {
    MenuItemData& item = menu->items[i];
    if (item.Separator()) continue;
    if (i == chosen) {
      item.state |= MF_CHECKED;
      item.type |= MFT_RADIOCHECK;
    } else {
      item.state &= ~MF_CHECKED;
    }
  }
  return TRUE;
}

HMENU GetSystemMenu(HWND, BOOL) {
  return nullptr;
}
