// Building menus and asking about their items: handles, positions and commands, item
// states and the values the state functions return, strings and item records.
#include <cstring>

#include "platform/user32.h"
#include "tests/platform/user/WindowTestSupport.h"

namespace {

using namespace window_test;

class MenuConstructionTest : public WindowTest {};

// File menu: Open (1), Save (2), separator, Recent > (A (11), B (12)), Exit (3) grayed.
struct FileMenu {
  HMENU bar = CreateMenu();
  HMENU file = CreatePopupMenu();
  HMENU recent = CreatePopupMenu();
  FileMenu() {
    AppendMenuA(recent, MF_STRING, 11, "A");
    AppendMenuA(recent, MF_STRING, 12, "B");
    AppendMenuA(file, MF_STRING, 1, "&Open\tCtrl+O");
    AppendMenuA(file, MF_STRING, 2, "&Save\tCtrl+S");
    AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(file, MF_POPUP, reinterpret_cast<UINT_PTR>(recent), "&Recent");
    AppendMenuA(file, MF_STRING | MF_GRAYED, 3, "E&xit");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
  }
};

TEST_F(MenuConstructionTest, HandlesAreMenusUntilDestroyedWithTheirSubmenus) {
  FileMenu m;
  EXPECT_TRUE(IsMenu(m.bar));
  EXPECT_TRUE(IsMenu(m.recent));
  EXPECT_NE(m.bar, m.file);
  // Menu handles never look like window handles or null.
  EXPECT_FALSE(IsWindow(reinterpret_cast<HWND>(m.bar)));
  EXPECT_TRUE(DestroyMenu(m.bar));
  EXPECT_FALSE(IsMenu(m.bar));
  EXPECT_FALSE(IsMenu(m.file)) << "submenus go with their menu";
  EXPECT_FALSE(IsMenu(m.recent));
  EXPECT_FALSE(DestroyMenu(m.bar)) << "twice";
  EXPECT_FALSE(IsMenu(nullptr));
  EXPECT_EQ(GetMenuItemCount(m.bar), -1);
  EXPECT_FALSE(AppendMenuA(m.bar, MF_STRING, 1, "x"));
}

TEST_F(MenuConstructionTest, ItemsByPositionAndByCommandReachIntoSubmenus) {
  FileMenu m;
  EXPECT_EQ(GetMenuItemCount(m.file), 5);
  EXPECT_EQ(GetMenuItemID(m.file, 0), 1u);
  EXPECT_EQ(GetMenuItemID(m.file, 3), 0xFFFFFFFFu) << "a submenu has no command";
  EXPECT_EQ(GetMenuItemID(m.file, 99), 0xFFFFFFFFu);
  EXPECT_EQ(GetSubMenu(m.file, 3), m.recent);
  EXPECT_EQ(GetSubMenu(m.file, 0), nullptr);
  EXPECT_EQ(GetSubMenu(m.bar, 0), m.file);
  char text[32];
  // By command from the bar finds the item two levels down.
  EXPECT_EQ(GetMenuStringA(m.bar, 12, text, sizeof text, MF_BYCOMMAND), 1);
  EXPECT_STREQ(text, "B");
  EXPECT_EQ(GetMenuStringA(m.file, 1, text, sizeof text, MF_BYPOSITION), 12);
  EXPECT_STREQ(text, "&Save\tCtrl+S");
  EXPECT_EQ(GetMenuStringA(m.file, 1, text, 5, MF_BYPOSITION), 4) << "cut to the buffer";
  EXPECT_STREQ(text, "&Sav");
  EXPECT_EQ(GetMenuStringA(m.file, 77, text, sizeof text, MF_BYCOMMAND), 0);

  EXPECT_TRUE(InsertMenuA(m.file, 0, MF_BYPOSITION | MF_STRING, 5, "&New"));
  EXPECT_EQ(GetMenuItemID(m.file, 0), 5u);
  // Inserting by command puts the item before the one with that command, in its menu.
  EXPECT_TRUE(InsertMenuA(m.bar, 12, MF_BYCOMMAND | MF_STRING, 13, "A2"));
  EXPECT_EQ(GetMenuItemCount(m.recent), 3);
  EXPECT_EQ(GetMenuItemID(m.recent, 1), 13u);
  EXPECT_TRUE(ModifyMenuA(m.file, 1, MF_BYCOMMAND | MF_STRING, 6, "&Open..."));
  EXPECT_EQ(GetMenuStringA(m.file, 6, text, sizeof text, MF_BYCOMMAND), 8);
  EXPECT_EQ(GetMenuStringA(m.file, 1, text, sizeof text, MF_BYCOMMAND), 0) << "old id gone";

  // RemoveMenu hands a submenu back; DeleteMenu destroys it.
  EXPECT_TRUE(RemoveMenu(m.file, 4, MF_BYPOSITION));
  EXPECT_TRUE(IsMenu(m.recent));
  EXPECT_TRUE(AppendMenuA(m.file, MF_POPUP, reinterpret_cast<UINT_PTR>(m.recent), "&Recent"));
  EXPECT_TRUE(DeleteMenu(m.file, GetMenuItemCount(m.file) - 1, MF_BYPOSITION));
  EXPECT_FALSE(IsMenu(m.recent));
  EXPECT_FALSE(DeleteMenu(m.file, 40, MF_BYPOSITION));
  DestroyMenu(m.bar);
}

TEST_F(MenuConstructionTest, CheckAndEnableReturnThePreviousState) {
  FileMenu m;
  EXPECT_EQ(CheckMenuItem(m.bar, 2, MF_BYCOMMAND | MF_CHECKED), static_cast<DWORD>(MF_UNCHECKED));
  EXPECT_EQ(CheckMenuItem(m.bar, 2, MF_BYCOMMAND | MF_CHECKED), static_cast<DWORD>(MF_CHECKED));
  EXPECT_EQ(GetMenuState(m.file, 1, MF_BYPOSITION) & MF_CHECKED, MF_CHECKED);
  EXPECT_EQ(CheckMenuItem(m.file, 1, MF_BYPOSITION | MF_UNCHECKED), static_cast<DWORD>(MF_CHECKED));
  EXPECT_EQ(GetMenuState(m.file, 2, MF_BYCOMMAND) & MF_CHECKED, 0u);
  EXPECT_EQ(CheckMenuItem(m.file, 999, MF_BYCOMMAND | MF_CHECKED), 0xFFFFFFFFu);

  EXPECT_EQ(EnableMenuItem(m.file, 3, MF_BYCOMMAND | MF_ENABLED), static_cast<BOOL>(MF_GRAYED));
  EXPECT_EQ(EnableMenuItem(m.file, 3, MF_BYCOMMAND | MF_GRAYED), static_cast<BOOL>(MF_ENABLED));
  EXPECT_EQ(EnableMenuItem(m.file, 3, MF_BYCOMMAND | MF_DISABLED), static_cast<BOOL>(MF_GRAYED));
  EXPECT_EQ(GetMenuState(m.file, 3, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED), MF_DISABLED);
  EXPECT_EQ(EnableMenuItem(m.file, 42, MF_BYCOMMAND), -1);
  EXPECT_EQ(EnableMenuItem(m.file, 42, MF_BYPOSITION), -1);

  // A submenu item reports MF_POPUP and its item count in the high byte.
  UINT state = GetMenuState(m.file, 3, MF_BYPOSITION);
  EXPECT_NE(state & MF_POPUP, 0u);
  EXPECT_EQ((state >> 8) & 0xFF, 2u);
  EXPECT_NE(GetMenuState(m.file, 2, MF_BYPOSITION) & MF_SEPARATOR, 0u);
  EXPECT_EQ(GetMenuState(m.file, 9, MF_BYPOSITION), 0xFFFFFFFFu);

  // Radio groups: one checked, the others cleared, within the range.
  HMENU view = CreatePopupMenu();
  for (UINT id = 20; id < 24; ++id) AppendMenuA(view, MF_STRING | MF_CHECKED, id, "v");
  EXPECT_TRUE(CheckMenuRadioItem(view, 20, 22, 21, MF_BYCOMMAND));
  EXPECT_EQ(GetMenuState(view, 20, MF_BYCOMMAND) & MF_CHECKED, 0u);
  EXPECT_EQ(GetMenuState(view, 21, MF_BYCOMMAND) & MF_CHECKED, MF_CHECKED);
  EXPECT_EQ(GetMenuState(view, 23, MF_BYCOMMAND) & MF_CHECKED, MF_CHECKED) << "outside the range";
  EXPECT_FALSE(CheckMenuRadioItem(view, 0, 2, 5, MF_BYPOSITION));
  DestroyMenu(view);
  DestroyMenu(m.bar);
}

TEST_F(MenuConstructionTest, ItemRecordsFollowTheirMasks) {
  HMENU menu = CreatePopupMenu();
  HMENU sub = CreatePopupMenu();
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_ID | MIIM_STRING | MIIM_STATE | MIIM_DATA;
  info.wID = 40;
  info.fState = MFS_CHECKED;
  info.dwItemData = 0xABCD;
  char label[] = "&Zoom";
  info.dwTypeData = label;
  EXPECT_TRUE(InsertMenuItemA(menu, 0, TRUE, &info));
  info = {};
  info.cbSize = sizeof info;
  info.fMask = MIIM_SUBMENU | MIIM_STRING;
  char more[] = "More";
  info.dwTypeData = more;
  info.hSubMenu = sub;
  EXPECT_TRUE(InsertMenuItemA(menu, 40, FALSE, &info)) << "before the item with id 40";
  EXPECT_EQ(GetSubMenu(menu, 0), sub);

  MENUITEMINFOA out{};
  out.cbSize = sizeof out;
  out.fMask = MIIM_ID | MIIM_STATE | MIIM_DATA | MIIM_STRING;
  char buffer[4];
  out.dwTypeData = buffer;
  out.cch = sizeof buffer;
  ASSERT_TRUE(GetMenuItemInfoA(menu, 1, TRUE, &out));
  EXPECT_EQ(out.wID, 40u);
  EXPECT_EQ(out.fState & MFS_CHECKED, MFS_CHECKED);
  EXPECT_EQ(out.dwItemData, 0xABCDu);
  EXPECT_STREQ(buffer, "&Zo");
  // Without a buffer the length comes back.
  out.dwTypeData = nullptr;
  out.cch = 0;
  ASSERT_TRUE(GetMenuItemInfoA(menu, 40, FALSE, &out));
  EXPECT_EQ(out.cch, 5u);

  MENUITEMINFOA change{};
  change.cbSize = sizeof change;
  change.fMask = MIIM_STATE;
  change.fState = MFS_GRAYED;
  EXPECT_TRUE(SetMenuItemInfoA(menu, 40, FALSE, &change));
  EXPECT_EQ(GetMenuState(menu, 40, MF_BYCOMMAND) & (MF_GRAYED | MF_CHECKED), MF_GRAYED);

  // A record of the wrong size, a null record and a missing item are refused.
  MENUITEMINFOA small{};
  small.cbSize = 8;
  EXPECT_FALSE(SetMenuItemInfoA(menu, 40, FALSE, &small));
  EXPECT_FALSE(GetMenuItemInfoA(menu, 40, FALSE, nullptr));
  EXPECT_FALSE(GetMenuItemInfoA(menu, 9, TRUE, &out));
  DestroyMenu(menu);
}

TEST_F(MenuConstructionTest, AMenuCannotContainItself) {
  HMENU a = CreatePopupMenu();
  HMENU b = CreatePopupMenu();
  EXPECT_TRUE(AppendMenuA(a, MF_POPUP, reinterpret_cast<UINT_PTR>(b), "b"));
  EXPECT_FALSE(AppendMenuA(b, MF_POPUP, reinterpret_cast<UINT_PTR>(a), "a"));
  EXPECT_FALSE(AppendMenuA(a, MF_POPUP, reinterpret_cast<UINT_PTR>(a), "self"));
  EXPECT_FALSE(AppendMenuA(a, MF_POPUP, 0x1234, "not a menu"));
  EXPECT_EQ(GetMenuItemCount(b), 0);
  DestroyMenu(a);
  EXPECT_FALSE(IsMenu(b));
}

TEST_F(MenuConstructionTest, GbkLabelsAreNeverCutInsideACharacter) {
  HMENU menu = CreatePopupMenu();
  // "文件" (two GBK characters) and an access key after them.
  const char label[] = "\xCE\xC4\xBC\xFE(&F)";
  AppendMenuA(menu, MF_STRING, 1, label);
  char text[4];
  EXPECT_EQ(GetMenuStringA(menu, 1, text, sizeof text, MF_BYCOMMAND), 2);
  EXPECT_EQ(std::strlen(text), 2u);
  EXPECT_EQ(std::memcmp(text, "\xCE\xC4", 2), 0);
  DestroyMenu(menu);
}

TEST_F(MenuConstructionTest, SetMenuTakesTheBarFromTheClientArea) {
  HWND w = Make(WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 50, 50, 300, 200);
  RECT before = ClientRect(w);
  RECT outerBefore = WindowRect(w);
  HMENU bar = CreateMenu();
  AppendMenuA(bar, MF_STRING, 1, "&Go");
  EXPECT_TRUE(SetMenu(w, bar));
  EXPECT_EQ(GetMenu(w), bar);
  RECT after = ClientRect(w);
  EXPECT_EQ(after.bottom, before.bottom - 20);
  EXPECT_EQ(after.right, before.right);
  EXPECT_EQ(Str(WindowRect(w)), Str(outerBefore)) << "the window keeps its size";
  POINT origin{0, 0};
  ClientToScreen(w, &origin);
  EXPECT_EQ(origin.y - outerBefore.top, 6 + 24 + 20);
  // The bar answers hit tests as the menu.
  EXPECT_EQ(
      SendMessageA(w, WM_NCHITTEST, 0, MAKELPARAM(outerBefore.left + 20, outerBefore.top + 40)),
      HTMENU);
  EXPECT_TRUE(DrawMenuBar(w));
  EXPECT_TRUE(SetMenu(w, nullptr));
  EXPECT_EQ(Str(ClientRect(w)), Str(before));
  EXPECT_FALSE(DrawMenuBar(w));
  EXPECT_FALSE(SetMenu(w, reinterpret_cast<HMENU>(static_cast<uintptr_t>(0x777))));
  // Child windows have no menu bar.
  HWND child = Make(WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, w);
  EXPECT_FALSE(SetMenu(child, bar));
  EXPECT_EQ(GetSystemMenu(w, FALSE), nullptr);
  DestroyMenu(bar);
}

}  // namespace
