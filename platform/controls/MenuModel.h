// The menus behind HMENU handles, shared by the menu functions, the menu bar and the
// popup tracking. Copies are handed out so that nobody holds the table's lock while
// painting or sending messages.
#pragma once

#include <string>
#include <vector>

#include "platform/user32.h"

namespace platform::controls {

struct MenuItemData {
  UINT type = MF_STRING;  // MFT_* (MF_SEPARATOR, MFT_RADIOCHECK, ...)
  UINT state = 0;         // MFS_* (MF_CHECKED, MF_GRAYED, MF_DISABLED, MF_DEFAULT)
  UINT id = 0;
  HMENU sub = nullptr;
  std::string text;  // GBK, with & access keys and a tab before the shortcut
  ULONG_PTR data = 0;

  bool Separator() const { return (type & MF_SEPARATOR) != 0; }
  bool Disabled() const { return (state & (MF_GRAYED | MF_DISABLED)) != 0; }
  // The text before the tab and the shortcut after it.
  std::string Label() const;
  std::string Shortcut() const;
  // The access key (lower case), 0 when the label has none.
  char AccessKey() const;
};

// A snapshot of a menu's items; false for a dead handle.
bool SnapshotMenu(HMENU menu, std::vector<MenuItemData>* items);
// Finds the item with `id` in `menu` or its submenus.
bool FindItemById(HMENU menu, UINT id, MenuItemData* item);

// ---- The bar (MenuBar.cpp) ----
// Where each bar item lies, in window coordinates, given the bar's rectangle.
std::vector<RECT> LayoutMenuBar(HMENU menu, const RECT& bar);
// The bar item shown highlighted while the bar is tracked (-1: none).
void SetBarHighlight(HWND window, int index);
void RedrawMenuBarNow(HWND window);
// The bar's rectangle in screen coordinates; false when the window has no bar.
bool MenuBarOnScreen(HWND window, RECT* bar, HMENU* menu);

// ---- Tracking (MenuTracking.cpp) ----
// Runs the bar's menu loop: from a mouse press at `screen`, or from the keyboard with an
// access key (`key` 0: Alt alone or F10 selects the first item without opening it).
void TrackBarFromMouse(HWND window, POINT screen);
void TrackBarFromKey(HWND window, char key);

}  // namespace platform::controls
