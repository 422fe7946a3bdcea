// How menu items are measured and drawn, shared by the bar and the popup windows.
#pragma once

#include <string>
#include <vector>

#include "platform/controls/MenuModel.h"

namespace platform::controls {

// Sizes in pixels of a popup menu's pieces.
constexpr int kPopupEdge = 3;  // border and margin around the items
constexpr int kPopupItemHeight = 20;
constexpr int kPopupSeparatorHeight = 8;
constexpr int kCheckColumn = 22;  // left of the label: check marks
constexpr int kArrowColumn = 18;  // right of the shortcut: submenu arrows
constexpr int kShortcutGap = 24;

// The text's size in the menu font, & prefixes removed.
SIZE MeasureMenuText(const std::string& text);
// One item through the theme (`inBar`: an item of the menu bar).
void PaintMenuItem(HDC dc, const RECT& rect, const MenuItemData& item, bool selected, bool inBar);
void PaintMenuBar(HWND window, HDC dc, const RECT& bar);
// DefWindowProc's keys that select the bar (Alt alone, F10, Alt+letter); true when used.
bool MenuBarKey(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Every message taken from the queue: a key pressed while Alt is held keeps the Alt release
// from selecting the bar, even when the program handled the key itself and DefWindowProc
// never saw it.
void NoteKeyForMenuBar(const MSG& msg);

}  // namespace platform::controls

namespace platform::controls {

// The popup window class, and its layout: item rectangles in client coordinates.
inline constexpr const char* kPopupMenuClass = "#32768";
struct PopupLayout {
  SIZE size{};
  std::vector<RECT> items;
};
PopupLayout LayoutPopup(const std::vector<MenuItemData>& items);

// What a popup window shows; owned by the tracking loop, read by the popup's painting.
struct PopupView {
  HMENU menu = nullptr;
  int selected = -1;
};

}  // namespace platform::controls
