// The drop-down list combo box: its items (kept by its list), the drop-down as a popup,
// picking and dismissing by mouse and keys, and the notification order.
#include <cstring>
#include <string>

#include "tests/platform/controls/ListsTestSupport.h"

namespace {

using namespace lists_test;

class ComboBoxTest : public ControlTest {
 protected:
  HWND Combo(int height = 200) {
    HWND c = Child("COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 20, 20, 160, height);
    for (const char* t : {"red", "green", "blue", "\xba\xec\xc9\xab"}) {
      SendMessageA(c, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(t));
    }
    return c;
  }
  static int Sel(HWND c) { return static_cast<int>(SendMessageA(c, CB_GETCURSEL, 0, 0)); }
  static bool Dropped(HWND c) { return SendMessageA(c, CB_GETDROPPEDSTATE, 0, 0) != 0; }
  // The visible popup window of the drop-down, if any.
  static HWND DropDown() {
    HWND found = nullptr;
    EnumWindows(
        [](HWND w, LPARAM out) -> BOOL {
          char name[32] = {};
          GetClassNameA(w, name, sizeof(name));
          if (std::strcmp(name, "ComboLBox") == 0 && IsWindowVisible(w)) {
            *reinterpret_cast<HWND*>(out) = w;
            return FALSE;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
  }
};

TEST_F(ComboBoxTest, ItemMessagesAndTheSelectedText) {
  HWND c = Combo();
  EXPECT_EQ(SendMessageA(c, CB_GETCOUNT, 0, 0), 4);
  EXPECT_EQ(Sel(c), CB_ERR);
  EXPECT_EQ(SendMessageA(c, WM_GETTEXTLENGTH, 0, 0), 0);
  EXPECT_EQ(SendMessageA(c, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>("black")), 0);
  EXPECT_EQ(SendMessageA(c, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                         reinterpret_cast<LPARAM>("BLUE")),
            3);
  EXPECT_EQ(
      SendMessageA(c, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("gr")), 2);
  EXPECT_EQ(Sel(c), 2);
  char text[32] = {};
  EXPECT_EQ(SendMessageA(c, CB_GETLBTEXT, 2, reinterpret_cast<LPARAM>(text)), 5);
  EXPECT_STREQ(text, "green");
  EXPECT_EQ(SendMessageA(c, CB_GETLBTEXTLEN, 9, 0), CB_ERR);
  EXPECT_EQ(GetWindowTextA(c, text, sizeof(text)), 5);
  EXPECT_STREQ(text, "green");
  EXPECT_EQ(SendMessageA(c, CB_SETITEMDATA, 2, 77), TRUE);
  EXPECT_EQ(SendMessageA(c, CB_GETITEMDATA, 2, 0), 77);
  EXPECT_EQ(SendMessageA(c, CB_SETCURSEL, 99, 0), CB_ERR);
  EXPECT_EQ(Sel(c), 2);
  // The window text never ends inside a two-byte character.
  SendMessageA(c, CB_SETCURSEL, 4, 0);
  char small[4] = {};
  EXPECT_EQ(SendMessageA(c, WM_GETTEXT, sizeof(small), reinterpret_cast<LPARAM>(small)), 2);
  EXPECT_STREQ(small, "\xba\xec");
  // Deleting the selected item leaves nothing selected.
  EXPECT_EQ(SendMessageA(c, CB_DELETESTRING, 4, 0), 4);
  EXPECT_EQ(Sel(c), CB_ERR);
  SendMessageA(c, CB_RESETCONTENT, 0, 0);
  EXPECT_EQ(SendMessageA(c, CB_GETCOUNT, 0, 0), 0);
}

TEST_F(ComboBoxTest, FieldKeepsItsHeightAndTheRestIsTheDropDown) {
  HWND c = Combo(200);
  RECT r = WindowRect(c);
  int field = r.bottom - r.top;
  EXPECT_LT(field, 40);
  EXPECT_GT(field, 10);
  // WS_VSCROLL is for the drop-down: the closed field keeps its whole width for itself.
  RECT client{};
  GetClientRect(c, &client);
  EXPECT_GE(client.right, (r.right - r.left) - 4);
  RECT dropped{};
  SendMessageA(c, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
  EXPECT_EQ(dropped.bottom - dropped.top, 200);
  EXPECT_EQ(SendMessageA(c, CB_SETDROPPEDWIDTH, 10, 0), 160);  // never narrower than the field
  EXPECT_EQ(SendMessageA(c, CB_SETDROPPEDWIDTH, 240, 0), 240);
}

TEST_F(ComboBoxTest, ClickingOpensBelowAndClickingAnItemPicksIt) {
  HWND c = Combo();
  Take();
  automation::ClickAt(OnScreen(c, {80, 8}));
  automation::RunUntilIdle();
  ASSERT_TRUE(Dropped(c));
  HWND list = DropDown();
  ASSERT_NE(list, nullptr);
  RECT field = WindowRect(c), popup = WindowRect(list);
  EXPECT_EQ(popup.top, field.bottom);
  EXPECT_EQ(popup.left, field.left);
  EXPECT_EQ(GetFocus(), c);  // the focus stays on the combo box
  EXPECT_EQ(Notifications(Take(), c), (std::vector<int>{CBN_SETFOCUS, CBN_DROPDOWN}));
  // The third item of the drop-down.
  int h = static_cast<int>(SendMessageA(c, CB_GETITEMHEIGHT, 0, 0));
  automation::ClickAt(OnScreen(list, {30, 2 * h + h / 2}));
  automation::RunUntilIdle();
  EXPECT_FALSE(Dropped(c));
  EXPECT_FALSE(IsWindowVisible(list));
  EXPECT_EQ(Sel(c), 2);
  EXPECT_EQ(Notifications(Take(), c), (std::vector<int>{CBN_SELENDOK, CBN_CLOSEUP, CBN_SELCHANGE}));
  // Picking the same item again closes without a change.
  SendMessageA(c, CB_SHOWDROPDOWN, TRUE, 0);
  automation::ClickAt(OnScreen(DropDown(), {30, 2 * h + h / 2}));
  automation::RunUntilIdle();
  EXPECT_EQ(Notifications(Take(), c), (std::vector<int>{CBN_DROPDOWN, CBN_SELENDOK, CBN_CLOSEUP}));
}

TEST_F(ComboBoxTest, DismissingRestoresTheSelection) {
  HWND c = Combo();
  SendMessageA(c, CB_SETCURSEL, 1, 0);
  Focus(c);
  Take();
  // Opened with F4, the arrows move the highlight; Esc puts it back.
  Press(VK_F1 + 3);
  ASSERT_TRUE(Dropped(c));
  Press(VK_DOWN);
  Press(VK_DOWN);
  EXPECT_EQ(Sel(c), 3);
  Press(VK_ESCAPE);
  EXPECT_FALSE(Dropped(c));
  EXPECT_EQ(Sel(c), 1);
  EXPECT_EQ(Notifications(Take(), c),
            (std::vector<int>{CBN_DROPDOWN, CBN_SELENDCANCEL, CBN_CLOSEUP}));
  // A press outside the drop-down dismisses it as well.
  SendMessageA(c, CB_SHOWDROPDOWN, TRUE, 0);
  SendMessageA(DropDown(), WM_KEYDOWN, VK_DOWN, 0);
  RECT r = WindowRect(parent_);
  automation::ClickAt({r.right - 20, r.bottom - 20});
  automation::RunUntilIdle();
  EXPECT_FALSE(Dropped(c));
  EXPECT_EQ(Sel(c), 1);
  // And so does losing the focus.
  SendMessageA(c, CB_SHOWDROPDOWN, TRUE, 0);
  SetFocus(parent_);
  automation::RunUntilIdle();
  EXPECT_FALSE(Dropped(c));
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(ComboBoxTest, KeysOnAClosedComboChangeTheSelection) {
  HWND c = Combo();
  Focus(c);
  Take();
  Press(VK_DOWN);
  EXPECT_EQ(Sel(c), 0);
  Press(VK_END);
  EXPECT_EQ(Sel(c), 3);
  Press(VK_DOWN);  // already last: no change, no notification
  automation::TypeGbk("g");
  automation::RunUntilIdle();
  EXPECT_EQ(Sel(c), 1);
  EXPECT_FALSE(Dropped(c));
  EXPECT_EQ(Notifications(Take(), c), std::vector<int>(3, CBN_SELCHANGE));
  // Alt+Down opens; Enter picks the highlight.
  automation::KeyDown(VK_MENU);
  automation::PressKey(VK_DOWN);
  automation::KeyUp(VK_MENU);
  automation::RunUntilIdle();
  ASSERT_TRUE(Dropped(c));
  Press(VK_UP);
  Press(VK_RETURN);
  EXPECT_FALSE(Dropped(c));
  EXPECT_EQ(Sel(c), 0);
  EXPECT_EQ(Notifications(Take(), c),
            (std::vector<int>{CBN_DROPDOWN, CBN_SELENDOK, CBN_CLOSEUP, CBN_SELCHANGE}));
}

TEST_F(ComboBoxTest, FieldShowsTheSelectedItem) {
  HWND c = Combo();
  auto empty = automation::CaptureWindow(c);
  SendMessageA(c, CB_SETCURSEL, 1, 0);
  auto shown = automation::CaptureWindow(c);
  ASSERT_FALSE(empty.empty());
  ASSERT_EQ(empty.pixels.size(), shown.pixels.size());
  int changed = 0;
  for (int y = 0; y < shown.height; ++y) {
    for (int x = 0; x < 100; ++x) changed += shown.At(x, y) != empty.At(x, y) ? 1 : 0;
  }
  EXPECT_GT(changed, 10);
  // Destroying an open combo box takes its drop-down with it.
  SendMessageA(c, CB_SHOWDROPDOWN, TRUE, 0);
  HWND list = DropDown();
  ASSERT_NE(list, nullptr);
  DestroyWindow(c);
  automation::RunUntilIdle();
  EXPECT_FALSE(IsWindow(list));
}

}  // namespace
