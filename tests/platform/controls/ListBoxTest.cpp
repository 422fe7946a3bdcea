// The list box: its items, sorting and searching, selection by messages, mouse and keys,
// the notifications it sends, scrolling, and the height it keeps.
#include <cstring>
#include <string>

#include "tests/platform/controls/ListsTestSupport.h"

namespace {

using namespace lists_test;

class ListBoxTest : public ControlTest {
 protected:
  HWND List(DWORD style = LBS_NOTIFY, int h = 200) {
    return Child("LISTBOX", style | WS_BORDER | LBS_NOINTEGRALHEIGHT, 10, 10, 150, h);
  }
  static int Add(HWND lb, const char* text) {
    return static_cast<int>(SendMessageA(lb, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
  }
  static std::string Text(HWND lb, int index) {
    LRESULT n = SendMessageA(lb, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (n < 0) return "<error>";
    std::string text(static_cast<size_t>(n) + 1, '\0');
    SendMessageA(lb, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(n));
    return text;
  }
  static int Sel(HWND lb) { return static_cast<int>(SendMessageA(lb, LB_GETCURSEL, 0, 0)); }
  static int Height(HWND lb) { return static_cast<int>(SendMessageA(lb, LB_GETITEMHEIGHT, 0, 0)); }
  static void Fill(HWND lb, int n) {
    for (int i = 0; i < n; ++i) Add(lb, ("item " + std::to_string(100 + i)).c_str());
  }
};

TEST_F(ListBoxTest, ItemsAreAddedInsertedAndDeleted) {
  HWND lb = List();
  EXPECT_EQ(Add(lb, "one"), 0);
  EXPECT_EQ(Add(lb, "three"), 1);
  EXPECT_EQ(SendMessageA(lb, LB_INSERTSTRING, 1, reinterpret_cast<LPARAM>("two")), 1);
  EXPECT_EQ(
      SendMessageA(lb, LB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("four")),
      3);
  EXPECT_EQ(SendMessageA(lb, LB_INSERTSTRING, 9, reinterpret_cast<LPARAM>("nowhere")), LB_ERR);
  EXPECT_EQ(SendMessageA(lb, LB_GETCOUNT, 0, 0), 4);
  EXPECT_EQ(Text(lb, 1), "two");
  EXPECT_EQ(Text(lb, 3), "four");
  // The selection follows its item through inserts and deletes.
  SendMessageA(lb, LB_SETCURSEL, 2, 0);
  SendMessageA(lb, LB_INSERTSTRING, 0, reinterpret_cast<LPARAM>("zero"));
  EXPECT_EQ(Sel(lb), 3);
  EXPECT_EQ(SendMessageA(lb, LB_DELETESTRING, 0, 0), 4);  // answers what is left
  EXPECT_EQ(Sel(lb), 2);
  EXPECT_EQ(SendMessageA(lb, LB_DELETESTRING, 2, 0), 3);
  EXPECT_EQ(Sel(lb), LB_ERR);
  EXPECT_EQ(SendMessageA(lb, LB_DELETESTRING, 3, 0), LB_ERR);
  // Item data rides along.
  EXPECT_TRUE(SendMessageA(lb, LB_SETITEMDATA, 1, 0x1234));
  EXPECT_EQ(SendMessageA(lb, LB_GETITEMDATA, 1, 0), 0x1234);
  EXPECT_EQ(SendMessageA(lb, LB_GETITEMDATA, 7, 0), LB_ERR);
  EXPECT_EQ(SendMessageA(lb, LB_SETITEMDATA, 7, 1), LB_ERR);
  // Bad indexes, null texts and missing buffers give errors or empty items, not crashes.
  EXPECT_EQ(SendMessageA(lb, LB_GETTEXTLEN, static_cast<WPARAM>(-1), 0), LB_ERR);
  EXPECT_EQ(SendMessageA(lb, LB_GETTEXT, 0, 0), LB_ERR);
  EXPECT_EQ(Add(lb, nullptr), 3);
  EXPECT_EQ(Text(lb, 3), "");
  std::string longText(100000, 'x');
  int at = Add(lb, longText.c_str());
  EXPECT_EQ(SendMessageA(lb, LB_GETTEXTLEN, static_cast<WPARAM>(at), 0), 100000);
  SendMessageA(lb, LB_RESETCONTENT, 0, 0);
  EXPECT_EQ(SendMessageA(lb, LB_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(Sel(lb), LB_ERR);
}

TEST_F(ListBoxTest, SortedListsOrderByBytesIgnoringAsciiCase) {
  HWND lb = List(LBS_SORT | LBS_HASSTRINGS);
  const char* chen = "\xb3\xc2";  // GBK, sorts after ASCII
  const char* an = "\xb0\xb2";    // GBK, before chen
  for (const char* t : {"banana", chen, "Apple", "cherry", an, "apple"}) Add(lb, t);
  EXPECT_EQ(Text(lb, 0), "Apple");
  EXPECT_EQ(Text(lb, 1), "apple");  // equal keys keep their order of arrival
  EXPECT_EQ(Text(lb, 2), "banana");
  EXPECT_EQ(Text(lb, 3), "cherry");
  EXPECT_EQ(Text(lb, 4), an);
  EXPECT_EQ(Text(lb, 5), chen);
  // Insert never sorts.
  SendMessageA(lb, LB_INSERTSTRING, 0, reinterpret_cast<LPARAM>("zzz"));
  EXPECT_EQ(Text(lb, 0), "zzz");
}

TEST_F(ListBoxTest, SearchesMatchPrefixesOrWholeTextsAndWrap) {
  HWND lb = List();
  for (const char* t : {"alpha", "beta", "Alphabet", "gamma", "\xd6\xd0\xce\xc4"}) Add(lb, t);
  EXPECT_EQ(
      SendMessageA(lb, LB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("ALP")), 0);
  EXPECT_EQ(SendMessageA(lb, LB_FINDSTRING, 0, reinterpret_cast<LPARAM>("alp")),
            2);  // after the start
  EXPECT_EQ(SendMessageA(lb, LB_FINDSTRING, 2, reinterpret_cast<LPARAM>("alp")), 0);  // wraps
  EXPECT_EQ(SendMessageA(lb, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                         reinterpret_cast<LPARAM>("ALPHABET")),
            2);
  EXPECT_EQ(SendMessageA(lb, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                         reinterpret_cast<LPARAM>("alph")),
            LB_ERR);
  EXPECT_EQ(SendMessageA(lb, LB_FINDSTRING, static_cast<WPARAM>(-1),
                         reinterpret_cast<LPARAM>("\xd6\xd0")),
            4);
  EXPECT_EQ(
      SendMessageA(lb, LB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("g")), 3);
  EXPECT_EQ(Sel(lb), 3);
  EXPECT_EQ(
      SendMessageA(lb, LB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("zz")),
      LB_ERR);
  EXPECT_EQ(Sel(lb), 3);
  // Out-of-range selections are refused and leave the selection alone; -1 clears it.
  EXPECT_EQ(SendMessageA(lb, LB_SETCURSEL, 99, 0), LB_ERR);
  EXPECT_EQ(Sel(lb), 3);
  EXPECT_EQ(SendMessageA(lb, LB_SETCURSEL, static_cast<WPARAM>(-1), 0), LB_ERR);
  EXPECT_EQ(Sel(lb), LB_ERR);
  EXPECT_EQ(SendMessageA(lb, LB_GETSELCOUNT, 0, 0), LB_ERR);  // single selection
}

TEST_F(ListBoxTest, ClicksSelectAndNotify) {
  HWND lb = List();
  Fill(lb, 5);
  const int h = Height(lb);
  Take();
  automation::ClickAt(OnScreen(lb, {20, 2 * h + h / 2}));
  automation::RunUntilIdle();
  EXPECT_EQ(Sel(lb), 2);
  EXPECT_EQ(GetFocus(), lb);
  EXPECT_EQ(Notifications(Take(), lb), (std::vector<int>{LBN_SETFOCUS, LBN_SELCHANGE}));
  // Clicking the selected item again changes nothing; a double click reports itself.
  automation::DoubleClick(OnScreen(lb, {20, 2 * h + h / 2}));
  automation::RunUntilIdle();
  EXPECT_EQ(Notifications(Take(), lb), (std::vector<int>{LBN_DBLCLK}));
  // Below the last item nothing is selected.
  automation::ClickAt(OnScreen(lb, {20, 6 * h + 3}));
  automation::RunUntilIdle();
  EXPECT_EQ(Sel(lb), 2);
  // Dragging moves the selection with the mouse.
  automation::MouseDown(OnScreen(lb, {20, h / 2}));
  automation::MouseMove(OnScreen(lb, {20, 4 * h + h / 2}));
  automation::MouseUp(OnScreen(lb, {20, 4 * h + h / 2}));
  automation::RunUntilIdle();
  EXPECT_EQ(Sel(lb), 4);
  Take();
  // Leaving the focus says so; without LBS_NOTIFY nothing is said.
  SetFocus(parent_);
  automation::RunUntilIdle();
  EXPECT_EQ(Notifications(Take(), lb), (std::vector<int>{LBN_KILLFOCUS}));
  HWND quiet = Child("LISTBOX", LBS_NOINTEGRALHEIGHT, 200, 10, 100, 100, 101);
  Fill(quiet, 3);
  automation::ClickAt(OnScreen(quiet, {20, h / 2}));
  automation::RunUntilIdle();
  EXPECT_EQ(Sel(quiet), 0);
  EXPECT_TRUE(Notifications(Take(), quiet).empty());
}

TEST_F(ListBoxTest, KeysMoveTheSelection) {
  HWND lb = List(LBS_NOTIFY, 0);
  SetWindowPos(lb, nullptr, 0, 0, 150, Height(lb) * 4 + 2, SWP_NOMOVE | SWP_NOZORDER);  // four rows
  for (const char* t :
       {"apple", "banana", "blueberry", "cherry", "\xc0\xe6", "date", "elder", "fig", "grape"}) {
    Add(lb, t);
  }
  Focus(lb);
  Take();
  Press(VK_DOWN);  // nothing selected: the first item
  EXPECT_EQ(Sel(lb), 0);
  Press(VK_DOWN);
  EXPECT_EQ(Sel(lb), 1);
  Press(VK_NEXT);  // a page is one less than the rows shown
  EXPECT_EQ(Sel(lb), 4);
  Press(VK_END);
  EXPECT_EQ(Sel(lb), 8);
  EXPECT_GE(SendMessageA(lb, LB_GETTOPINDEX, 0, 0), 5);  // scrolled to show it
  Press(VK_DOWN);                                        // at the end: stays, no notification
  Press(VK_HOME);
  EXPECT_EQ(Sel(lb), 0);
  EXPECT_EQ(SendMessageA(lb, LB_GETTOPINDEX, 0, 0), 0);
  EXPECT_EQ(Notifications(Take(), lb), std::vector<int>(5, LBN_SELCHANGE));
  // Type-ahead: the next item starting with the letter, wrapping; GBK characters too.
  automation::TypeGbk("b");
  automation::RunUntilIdle();
  EXPECT_EQ(Sel(lb), 1);
  automation::TypeGbk("B");
  automation::RunUntilIdle();
  EXPECT_EQ(Sel(lb), 2);
  automation::TypeGbk("\xc0\xe6");
  automation::RunUntilIdle();
  EXPECT_EQ(Sel(lb), 4);
  automation::TypeGbk("q");
  automation::RunUntilIdle();
  EXPECT_EQ(Sel(lb), 4);
  EXPECT_EQ(SendMessageA(lb, WM_GETDLGCODE, 0, 0) & 0x0081, 0x0081);  // arrows and characters
}

TEST_F(ListBoxTest, ScrollBarShowsOnlyWhenItemsOverflow) {
  HWND lb = List(LBS_NOTIFY | WS_VSCROLL, 0);
  const int h = Height(lb);
  SetWindowPos(lb, nullptr, 0, 0, 150, h * 5 + 2, SWP_NOMOVE | SWP_NOZORDER);
  Fill(lb, 5);
  EXPECT_EQ(GetWindowLongPtrA(lb, GWL_STYLE) & WS_VSCROLL, 0);
  Fill(lb, 15);
  EXPECT_NE(GetWindowLongPtrA(lb, GWL_STYLE) & WS_VSCROLL, 0);
  SCROLLINFO info{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
  GetScrollInfo(lb, SB_VERT, &info);
  EXPECT_EQ(info.nMax, 19);
  EXPECT_EQ(info.nPage, 5u);
  // The wheel scrolls three rows a notch, never past the ends.
  Focus(lb);
  automation::Wheel(OnScreen(lb, {20, 10}), -WHEEL_DELTA / 2);
  automation::RunUntilIdle();
  EXPECT_EQ(SendMessageA(lb, LB_GETTOPINDEX, 0, 0), 0);  // half a notch waits for the rest
  automation::Wheel(OnScreen(lb, {20, 10}), -WHEEL_DELTA / 2);
  automation::RunUntilIdle();
  EXPECT_EQ(SendMessageA(lb, LB_GETTOPINDEX, 0, 0), 3);
  EXPECT_EQ(GetScrollPos(lb, SB_VERT), 3);
  automation::Wheel(OnScreen(lb, {20, 10}), -20 * WHEEL_DELTA);
  automation::RunUntilIdle();
  EXPECT_EQ(SendMessageA(lb, LB_GETTOPINDEX, 0, 0), 15);
  // The bar's own arrow scrolls the list.
  RECT r = WindowRect(lb);
  POINT up{r.right - 1 - 8, r.top + 1 + 8};
  automation::MouseDown(up);
  automation::MouseUp(up);
  automation::RunUntilIdle();
  EXPECT_EQ(SendMessageA(lb, LB_GETTOPINDEX, 0, 0), 14);
  // Rows and points map both ways from the top index.
  RECT item{};
  ASSERT_EQ(SendMessageA(lb, LB_GETITEMRECT, 15, reinterpret_cast<LPARAM>(&item)), 1);
  EXPECT_EQ(item.top, h);
  LRESULT hit = SendMessageA(lb, LB_ITEMFROMPOINT, 0, MAKELPARAM(10, 2 * h + 1));
  EXPECT_EQ(LOWORD(static_cast<DWORD>(hit)), 16);
  EXPECT_EQ(HIWORD(static_cast<DWORD>(hit)), 0);
  EXPECT_EQ(SendMessageA(lb, LB_SETTOPINDEX, 40, 0), LB_ERR);
  SendMessageA(lb, LB_SETTOPINDEX, 2, 0);
  EXPECT_EQ(SendMessageA(lb, LB_GETTOPINDEX, 0, 0), 2);
  // Emptied, the bar goes again.
  SendMessageA(lb, LB_RESETCONTENT, 0, 0);
  EXPECT_EQ(GetWindowLongPtrA(lb, GWL_STYLE) & WS_VSCROLL, 0);
}

TEST_F(ListBoxTest, MultipleSelectionToggleAndExtendedRanges) {
  HWND multi = List(LBS_NOTIFY | LBS_MULTIPLESEL);
  Fill(multi, 6);
  const int h = Height(multi);
  for (int row : {1, 3, 1, 4}) {
    automation::ClickAt(OnScreen(multi, {20, row * h + 2}));
    automation::RunUntilIdle();
  }
  EXPECT_EQ(SendMessageA(multi, LB_GETSELCOUNT, 0, 0), 2);
  int items[4] = {};
  EXPECT_EQ(SendMessageA(multi, LB_GETSELITEMS, 4, reinterpret_cast<LPARAM>(items)), 2);
  EXPECT_EQ(items[0], 3);
  EXPECT_EQ(items[1], 4);
  EXPECT_EQ(SendMessageA(multi, LB_SETCURSEL, 1, 0), LB_ERR);
  SendMessageA(multi, LB_SETSEL, TRUE, static_cast<LPARAM>(-1));
  EXPECT_EQ(SendMessageA(multi, LB_GETSELCOUNT, 0, 0), 6);
  EXPECT_EQ(SendMessageA(multi, LB_SETSEL, TRUE, 99), LB_ERR);
  // Extended: a click selects one, Shift+click a range from it, Ctrl+click adds.
  HWND ext = Child("LISTBOX", LBS_EXTENDEDSEL | LBS_NOINTEGRALHEIGHT, 200, 10, 150, 200, 101);
  Fill(ext, 6);
  automation::ClickAt(OnScreen(ext, {20, 1 * h + 2}));
  automation::RunUntilIdle();
  automation::KeyDown(VK_SHIFT);
  automation::ClickAt(OnScreen(ext, {20, 3 * h + 2}));
  automation::KeyUp(VK_SHIFT);
  automation::RunUntilIdle();
  automation::KeyDown(VK_CONTROL);
  automation::ClickAt(OnScreen(ext, {20, 5 * h + 2}));
  automation::KeyUp(VK_CONTROL);
  automation::RunUntilIdle();
  std::vector<int> selected;
  for (int i = 0; i < 6; ++i) {
    if (SendMessageA(ext, LB_GETSEL, static_cast<WPARAM>(i), 0) > 0) selected.push_back(i);
  }
  EXPECT_EQ(selected, (std::vector<int>{1, 2, 3, 5}));
}

// Without LBS_NOINTEGRALHEIGHT the list keeps whole rows only: its client height comes down
// to a multiple of the row height when it is made, resized, given a font or a row height.
TEST_F(ListBoxTest, HeightSnapsToWholeRowsUnlessAskedNotTo) {
  HFONT big = CreateFontA(-30, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "");
  const int defaultRow = Height(List());
  struct Case {
    const char* what;
    DWORD style;
    int height;            // outer height asked for at creation
    int resizeTo = 0;      // then asked for by SetWindowPos
    HFONT font = nullptr;  // then given by WM_SETFONT
    int rowHeight = 0;     // then given by LB_SETITEMHEIGHT
  };
  const std::vector<Case> cases = {
      {"as created", 0, 101},
      {"exactly whole rows already", 0, 3 * defaultRow + 2},
      {"shorter than one row keeps its size", 0, 7},
      {"kept as asked", LBS_NOINTEGRALHEIGHT, 101},
      {"resized", 0, 101, 163},
      {"resized, kept as asked", LBS_NOINTEGRALHEIGHT, 101, 163},
      {"given a bigger font", 0, 161, 0, big},
      {"given a row height", 0, 161, 0, nullptr, 23},
  };
  // Whole rows of `row` pixels in `height`, unless that leaves none.
  auto whole = [](int height, int row) { return height > row ? height / row * row : height; };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const bool integral = (c.style & LBS_NOINTEGRALHEIGHT) == 0;
    HWND lb = Child("LISTBOX", c.style | WS_BORDER, 200, 20, 150, c.height, 101);
    const RECT made = WindowRect(lb);
    int expected = (c.resizeTo != 0 ? c.resizeTo : c.height) - 2;  // inside the border
    if (integral) expected = whole(expected, defaultRow);
    if (c.resizeTo != 0)
      SetWindowPos(lb, nullptr, 0, 0, 150, c.resizeTo, SWP_NOMOVE | SWP_NOZORDER);
    if (c.font != nullptr) SendMessageA(lb, WM_SETFONT, reinterpret_cast<WPARAM>(c.font), TRUE);
    if (c.rowHeight != 0) SendMessageA(lb, LB_SETITEMHEIGHT, 0, MAKELPARAM(c.rowHeight, 0));
    const int row = Height(lb);
    if (c.font != nullptr || c.rowHeight != 0) {
      ASSERT_NE(row, defaultRow);
      if (integral) expected = whole(expected, row);
    }
    RECT client{};
    GetClientRect(lb, &client);
    const RECT now = WindowRect(lb);
    EXPECT_EQ(client.bottom, expected) << "row height " << row;
    EXPECT_EQ(now.bottom - now.top, expected + 2) << "the border stays outside the rows";
    EXPECT_EQ(now.top, made.top) << "the list keeps its place";
    EXPECT_EQ(now.right - now.left, 150);
    DestroyWindow(lb);
  }
  DeleteObject(big);
}

TEST_F(ListBoxTest, SelectedItemIsHighlighted) {
  HWND lb = List();
  Fill(lb, 3);
  const int h = Height(lb);
  SendMessageA(lb, LB_SETCURSEL, 1, 0);
  auto image = automation::CaptureWindow(lb);
  ASSERT_FALSE(image.empty());
  // Window coordinates: one pixel of border before the client area.
  EXPECT_EQ(image.ColorAt(140, 1 + h + h / 2), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(image.ColorAt(140, 1 + h / 2), GetSysColor(COLOR_WINDOW));
}

}  // namespace
